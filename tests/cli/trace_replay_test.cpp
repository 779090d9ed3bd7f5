// Recorded sessions (tests/traces/, made by scripts/record-traces) played back through the
// console program's core: the program must send the recorded bytes and come to the recorded end.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/trace_header.h"
#include "tests/cli/replay_rig.h"

namespace kell::cli::testing {
namespace {

void ExpectSameSession(const std::string& name, double speed = 1.0) {
    SCOPED_TRACE(name);
    const trace::Trace trace = ReadShippedTrace(name);
    ASSERT_TRUE(trace.Usable()) << trace.Refusal();
    EXPECT_TRUE(trace.problems.empty()) << trace.problems.front();
    ASSERT_EQ(trace.header.payloadsSha256, PayloadsSha256())
        << "recorded with other payloads: run scripts/record-traces";
    const trace::TraceEvent recorded = RecordedOutcome(trace);
    ASSERT_FALSE(recorded.outcome.empty()) << "the trace ends without the program's verdict";

    ReplayRig rig(trace, speed);
    const Outcome outcome = rig.Run();
    EXPECT_TRUE(rig.replayer.Done()) << rig.replayer.Summary();
    EXPECT_EQ(outcome.name, recorded.outcome);
    EXPECT_EQ(outcome.exitStatus, recorded.exitStatus);
    EXPECT_EQ(rig.cli.w().State().resultCode, recorded.resultCode);
    EXPECT_EQ(outcome.summary, recorded.summary);
}

TEST(TraceReplay, RecordedSessionsPlayBackByteForByte) {
    for (const char* name : {"full-update.trace"})
        ExpectSameSession(name);
}

TEST(TraceReplay, ATenTimesFasterReplayEndsTheSame) {
    ExpectSameSession("full-update.trace", 10.0);
}

// A full update's trace cut off in the middle of the firmware stream, as a killed program leaves
// it: the line goes dead there, and the program fails as the live session whose cable was
// pulled in the stream did, with a code (which one depends on the block the line died in).
TEST(TraceReplay, ATraceCutInTheFirmwareStreamFailsAsTheLiveSession) {
    std::ifstream file(std::string(KELL_TRACES_DIR) + "/full-update.trace");
    std::stringstream whole;
    whole << file.rdbuf();
    const std::string text = whole.str();
    std::size_t cutAt = text.find("-> 03FE");
    for (int block = 0; block < 100 && cutAt != std::string::npos; ++block)
        cutAt = text.find("-> 03", cutAt + 1);
    ASSERT_NE(cutAt, std::string::npos);
    std::istringstream cut(text.substr(0, cutAt + 8));
    const trace::Trace trace = trace::ReadTrace(cut);
    ASSERT_TRUE(trace.cutShort);
    const trace::TraceEvent live = RecordedOutcome(ReadShippedTrace("cable-pulled.trace"));

    ReplayRig rig(trace);
    const Outcome outcome = rig.Run();
    EXPECT_TRUE(rig.replayer.Done()) << rig.replayer.Summary();
    EXPECT_EQ(outcome.name, live.outcome);
    EXPECT_EQ(outcome.exitStatus, live.exitStatus);
    EXPECT_NE(rig.cli.w().State().resultCode, 0);
}

TEST(TraceReplay, OneChangedByteIsCaughtAtThatByte) {
    trace::Trace trace = ReadShippedTrace("full-update.trace");
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
}  // namespace kell::cli::testing
