#pragma once

// The update sequence's steps as one table, in the order they run: what plans each step, what
// it weighs, how its step text is shown, what runs it, what follows it and how far it moves the
// overall bar. The sequence (update_sequence.cpp) walks the table; nothing else orders steps.
#include <cstdint>
#include <span>

#include "app/session_events.h"
#include "platform/controls.h"

namespace kell {

class Tventana_brisca;
class TFParam_defecto;
struct SessionContext;
struct SessionState;
struct MainWindowControls;

// What one run of the sequence carries from step to step.
struct SequenceRun {
    Tventana_brisca& window;
    // The window's session state, for what a step changes beyond the session's context.
    SessionState& state;
    SessionContext& session;
    TFParam_defecto& defaults;
    bool wow64 = false;
    // The time question was answered with Cancel: nothing but the end runs.
    bool declined = false;
    // A question (the erase refused) stopped the session before any step.
    bool stoppedByTheQuestions = false;
    bool lastStepResult = false;
    // The zone write went through on its retry after the re-press.
    bool zoneRetryWritten = false;

    // Keeps the step's result for the next step; a failure stops the session. Returns it.
    bool Record(bool result);
};

enum class StepText {
    ShownAndPumped,  // the step text, then one pump
    Shown,           // the step text without a pump: the step goes straight on
    ShownByTheStep,  // the step shows it itself, once its preparation succeeded
};

enum class AfterStep {
    Nothing,
    // The instrument restarts: when more steps follow, a pause and a reconnection.
    ReconnectWhenMoreFollow,
    // As above, except when the main firmware follows, whose loader takes over the line as it is.
    ReconnectWhenMoreFollowWithoutFirmware,
};

struct SequenceStep {
    StepComponent component = StepComponent::Keypad;
    CheckBox MainWindowControls::*mark = nullptr;
    // Planned only when the main firmware is not (the channel plans then travel with it).
    bool onlyWithoutFirmware = false;
    // Seconds in the overall bar's maximum; the extra counts on a 64-bit Windows host.
    int weight = 0;
    int extraWeightOnWow64 = 0;
    // Runs whether or not the step is planned, unless the time question was declined.
    void (*before)(SequenceRun&) = nullptr;
    StepText stepText = StepText::ShownAndPumped;
    // Runs the planned step and records its result; returns what the step's end reports.
    bool (*run)(SequenceRun&) = nullptr;
    AfterStep after = AfterStep::Nothing;
    std::uint32_t pauseBeforeReconnectMs = 0;
    // Added to the overall bar's base when the step ends.
    int advance = 0;
};

std::span<const SequenceStep> SequenceSteps();

}  // namespace kell
