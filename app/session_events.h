#pragma once

#include <array>
#include <string>

#include "app/version_check.h"
#include "platform/controls.h"

namespace kell {

// What a session asks the user, by what it is. A front end answers by the kind, never by the
// texts or captions, which the language file sets (and a translation may word alike).
enum class QuestionKind {
    Time,     // the estimate, OK to go on (a message box)
    Plans,    // install the channel plans, which needs the stored data erased (attention panel)
    Erase,    // erase the meter's stored data (attention panel)
    RePress,  // restart the meter by hand, then press the search button again
};

struct AskedQuestion {
    QuestionKind kind = QuestionKind::Time;
    std::string header;  // the panel's header; empty for the message box and the re-press
    std::string text;    // its lines, one per line
    std::string okCaption;
    std::string cancelCaption;
};

// The steps of the update sequence, in their fixed order.
enum class StepComponent { Keypad, Erase, Plans, Zone, Fpga, Firmware, Module };

// The instrument's model, as its hardware type names it.
enum class InstrumentModel { Orvo, Tesk };

// Why a search ended without an instrument to update.
enum class SearchEnd {
    NoInstrument,       // no port answered
    Busy,               // an instrument answered that it is busy
    PermissionRefused,  // a port was there but this user may not open it
    HeldElsewhere,      // a port was open in another program
};

// Why an identified instrument is not updated.
// Unidentified: a reading that decides what the session writes gave replies that never agreed.
enum class Refusal { LowLevel, Peripherals, NothingToDo, UnknownModel, Unidentified };

// How an update session that ran ended.
enum class SessionEnd { Updated, Failed, Cancelled, EraseRefused };

// The window's three info lines, and whether they are numbered instructions.
struct InfoLines {
    std::array<std::string, 3> lines;
    bool numbered = false;

    bool operator==(const InfoLines&) const = default;
};

// The two bars while they are shown: the overall one counts nominal seconds (its maximum is
// the session's estimate), the step's its own units.
struct SessionProgress {
    bool shown = false;
    std::string overallLabel;
    ProgressBar overall;
    ProgressBar step;

    // Seconds the overall bar still has to go, by the steps' weights.
    int SecondsLeft() const {
        return overall.maximum > overall.position ? overall.maximum - overall.position : 0;
    }
    bool operator==(const SessionProgress& other) const {
        return shown == other.shown && overallLabel == other.overallLabel &&
               SameBar(overall, other.overall) && SameBar(step, other.step);
    }

  private:
    static bool SameBar(const ProgressBar& a, const ProgressBar& b) {
        return a.minimum == b.minimum && a.maximum == b.maximum && a.position == b.position;
    }
};

// What the core tells the front ends while a session runs. Every call has a default that does
// nothing, so a front end overrides what it renders. Calls come on the core's thread, inside
// the session; a handler may pump events but must not start another exchange.
class SessionEvents {
  public:
    virtual ~SessionEvents() = default;

    // The question is up: its message box or panel opens right after, or the wait for the
    // re-press begins. Answered follows once the user (or the front end) answered it.
    virtual void QuestionAsked(const AskedQuestion& question) {}
    virtual void QuestionAnswered(QuestionKind kind, bool ok) {}

    // A step of the sequence starts (index from 1 of total) and ends; resultCode is the
    // session's first failure code so far (0 while none).
    virtual void StepStarted(StepComponent component, int index, int total) {}
    virtual void StepEnded(StepComponent component, bool succeeded, int resultCode) {}

    // What the window shows changed: told each time the core lets the front end run (every
    // pump, and before every message box), so a front end that draws from these is never
    // behind the window.
    virtual void InfoLinesChanged(const InfoLines& lines) {}
    virtual void ProgressChanged(const SessionProgress& progress) {}

    // Identification read the instrument's hardware type and knows its model.
    virtual void InstrumentIdentified(InstrumentModel model) {}
    virtual void SearchEnded(SearchEnd why) {}
    virtual void UpdateRefused(Refusal why) {}
    virtual void SessionEnded(SessionEnd how, int resultCode) {}

    // After a session that ended updated, the meter is asked again for its versions once it is
    // back from its restart: Started before the wait (which may take several seconds), Checked
    // with what it reported, or that it did not come back (not told when the program was closed
    // during the wait).
    virtual void VersionCheckStarted() {}
    virtual void VersionsChecked(const VersionCheck& check) {}
};

// The names the console's JSON and --answer use.
const char* QuestionKindName(QuestionKind kind);
const char* StepComponentName(StepComponent component);
const char* InstrumentModelName(InstrumentModel model);

}  // namespace kell
