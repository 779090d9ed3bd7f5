// Recorded sessions (tests/traces/, made by scripts/record-traces) played back through the
// console program's core: the program must send the recorded bytes and come to the recorded end.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "cli/trace_header.h"
#include "tests/cli/replay_rig.h"
#include "trace/compact_trace.h"

namespace kell::testing {
using namespace kell::cli;
namespace {

void ExpectSameSession(const std::string& name, double speed = 1.0, bool seesOpens = true) {
    SCOPED_TRACE(name);
    const trace::Trace trace = ReadShippedTrace(name);
    ASSERT_TRUE(trace.Usable()) << trace.Refusal();
    EXPECT_TRUE(trace.problems.empty()) << trace.problems.front();
    ASSERT_EQ(trace.header.payloadsSha256, PayloadsSha256())
        << "recorded with other payloads: run scripts/record-traces";
    const trace::TraceEvent recorded = RecordedOutcome(trace);
    ASSERT_FALSE(recorded.outcome.empty()) << "the trace ends without the program's verdict";

    ReplayRig rig(trace, speed, seesOpens);
    const Outcome outcome = rig.Run();
    EXPECT_TRUE(rig.replayer.Done()) << rig.replayer.Summary();
    EXPECT_EQ(outcome.name, recorded.outcome);
    EXPECT_EQ(outcome.exitStatus, recorded.exitStatus);
    EXPECT_EQ(rig.cli.w().State().resultCode, recorded.resultCode);
    EXPECT_EQ(outcome.summary, recorded.summary);
}

TEST(TraceReplay, RecordedSessionsPlayBackByteForByte) {
    for (const char* name : {"full-update.trace.gz", "bootstrap.trace.gz", "erase-refused.trace.gz",
                             "failed-with-code.trace.gz", "cable-pulled.trace.gz"})
        ExpectSameSession(name);
}

// Faster, the meter's delays shrink but the program's own pauses do not: an answer recorded after
// the program's purge (the module's end, after its restart) must still come after it, also where
// the replay cannot see the program reopen the port (kell-sim on a pseudo-terminal).
TEST(TraceReplay, ATenTimesFasterReplayEndsTheSame) {
    ExpectSameSession("full-update.trace.gz", 10.0);
    ExpectSameSession("full-update.trace.gz", 10.0, false);
}

bool SameWrite(const trace::TraceEvent& a, const trace::TraceEvent& b) {
    return a.kind == trace::TraceEvent::Kind::Write && b.kind == a.kind && a.bytes == b.bytes &&
           a.elided == b.elided && a.elidedCrc32 == b.elidedCrc32 && !a.failed && !b.failed;
}

// The full update's trace cut off where the live session's cable was pulled (a block of the
// firmware stream that the meter never answered), as a program killed there leaves it, its last
// line half written: the line goes dead after the last whole event, and the program fails as the
// live session did, with the same code.
TEST(TraceReplay, ATraceCutWhereTheCableWasPulledFailsAsTheLiveSession) {
    const trace::Trace live = ReadShippedTrace("cable-pulled.trace.gz");
    const trace::TraceEvent liveOutcome = RecordedOutcome(live);
    ASSERT_NE(liveOutcome.resultCode, 0);
    const auto lastWrite =
        std::find_if(live.events.rbegin(), live.events.rend(), [](const trace::TraceEvent& e) {
            return e.kind == trace::TraceEvent::Kind::Write && !e.failed;
        });
    ASSERT_NE(lastWrite, live.events.rend());

    trace::Trace whole = ReadShippedTrace("full-update.trace.gz");
    const auto pulled =
        std::find_if(whole.events.begin(), whole.events.end(),
                     [&](const trace::TraceEvent& e) { return SameWrite(e, *lastWrite); });
    ASSERT_NE(pulled, whole.events.end());
    whole.events.erase(pulled + 1, whole.events.end());
    const std::string text = trace::FormatTrace(whole) + "      9999.000  <- 3";
    std::istringstream cutText(text);
    const trace::Trace cut = trace::ReadTrace(cutText);
    ASSERT_TRUE(cut.cutShort);
    ASSERT_EQ(cut.events.size(), whole.events.size());

    ReplayRig rig(cut);
    const Outcome outcome = rig.Run();
    EXPECT_TRUE(rig.replayer.Done()) << rig.replayer.Summary();
    EXPECT_EQ(outcome.name, liveOutcome.outcome);
    EXPECT_EQ(outcome.exitStatus, liveOutcome.exitStatus);
    EXPECT_EQ(rig.cli.w().State().resultCode, liveOutcome.resultCode);
    EXPECT_EQ(outcome.summary, liveOutcome.summary);
}

// A recording in which the program sent a frame again because its own clock judged the meter's
// answer late: where the replay answers in time, the program goes on without the repeat, and
// that is no change in its bytes. Anything else the recording has and the program does not
// send is one.
TEST(TraceReplay, ARepeatOnlyTheRecordingMadeIsPassedOverAndNothingElse) {
    const trace::Trace whole = ReadShippedTrace("full-update.trace.gz");
    const auto eepromWrite =
        std::find_if(whole.events.begin(), whole.events.end(), [](const trace::TraceEvent& e) {
            return e.kind == trace::TraceEvent::Kind::Write && e.bytes.size() > 2 &&
                   e.bytes[0] == 0x02 && e.bytes[2] == 'P';
        });
    ASSERT_NE(eepromWrite, whole.events.end());
    auto answered = eepromWrite + 1;
    while (answered->kind == trace::TraceEvent::Kind::Read)
        ++answered;
    ASSERT_GT(answered - eepromWrite, 1);

    trace::Trace retried = whole;
    const std::ptrdiff_t at = answered - whole.events.begin();
    retried.events.insert(retried.events.begin() + at, eepromWrite, answered);
    ReplayRig rig(retried);
    const Outcome outcome = rig.Run();
    EXPECT_TRUE(rig.replayer.Done()) << rig.replayer.Summary();
    EXPECT_EQ(outcome.exitStatus, kExitUpdated);

    // The same frame recorded once more, but after the next one: not a repeat.
    trace::Trace reordered = whole;
    auto next = answered;
    while (next->kind != trace::TraceEvent::Kind::Write)
        ++next;
    auto afterNext = next + 1;
    while (afterNext->kind == trace::TraceEvent::Kind::Read)
        ++afterNext;
    reordered.events.insert(reordered.events.begin() + (afterNext - whole.events.begin()),
                            eepromWrite, answered);
    ReplayRig strict(reordered);
    strict.Run();
    ASSERT_TRUE(strict.replayer.Mismatch()) << strict.replayer.Summary();
    EXPECT_EQ(strict.replayer.Mismatch()->event,
              static_cast<int>(afterNext - whole.events.begin()) + 1);
}

TEST(TraceReplay, OneChangedByteIsCaughtAtThatByte) {
    trace::Trace trace = ReadShippedTrace("full-update.trace.gz");
    ASSERT_TRUE(trace.Usable()) << trace.Refusal();
    // The third write of the session, second byte.
    std::size_t changed = 0;
    for (std::size_t i = 0, writes = 0; i < trace.events.size(); ++i) {
        if (trace.events[i].kind == trace::TraceEvent::Kind::Write && ++writes == 3) {
            changed = i;
            break;
        }
    }
    ASSERT_GE(trace.events[changed].bytes.size(), 2u);
    const std::uint8_t sent = trace.events[changed].bytes[1];
    trace.events[changed].bytes[1] ^= 0x40;

    ReplayRig rig(trace);
    const Outcome outcome = rig.Run();
    ASSERT_TRUE(rig.replayer.Mismatch()) << rig.replayer.Summary();
    const sim::ReplayMismatch& m = *rig.replayer.Mismatch();
    EXPECT_EQ(m.event, static_cast<int>(changed) + 1);
    EXPECT_EQ(m.line, trace.events[changed].line);
    EXPECT_EQ(m.offset, 1u);
    EXPECT_EQ(m.expected, sent ^ 0x40);
    EXPECT_EQ(m.sent, sent);
    EXPECT_NE(outcome.exitStatus, kExitUpdated);
}

}  // namespace
}  // namespace kell::testing
