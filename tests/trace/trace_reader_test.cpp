// Traces come from users: the reader keeps what it understands of a damaged file and never
// trusts a line.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

#include "trace/compact_trace.h"
#include "trace/gzip_file.h"
#include "trace/trace_file.h"
#include "trace/trace_text.h"

namespace kell::testing {
using namespace kell::trace;
namespace {

Trace Read(const std::string& text) {
    std::istringstream in(text);
    return ReadTrace(in);
}

const std::string kHeader = "# kell-trace 1\n# program Version 2.04\n";

TEST(TraceReader, AFileCutShortKeepsEveryWholeEvent) {
    const Trace trace = Read(kHeader +
                             "       0.000  open /dev/ttyACM0: ok\n"
                             "       1.500  -> 0300 FF*20 7C\n"
                             "       2.250  <- 30  |0|\n"
                             "       3.000  -> 03001");
    EXPECT_TRUE(trace.Usable());
    EXPECT_TRUE(trace.cutShort);
    EXPECT_TRUE(trace.problems.empty());
    ASSERT_EQ(trace.events.size(), 3u);
    EXPECT_EQ(trace.events[1].bytes.size(), 23u);
    EXPECT_EQ(trace.events[1].us, 1500);
    EXPECT_EQ(trace.events[2].line, 5);
}

TEST(TraceReader, GarbageIsNamedAndLeftOut) {
    const Trace trace = Read(kHeader +
                             "       0.000  open /dev/ttyACM0: maybe\n"
                             "       1.000  -> 0G\n"
                             "       1.000  -> FF*99999999999\n"
                             "       1.000  <- 01 ...+4 crc32=00000000\n"
                             "     -12.000  close\n"
                             "  settings\n"
                             "       2.000  settings 9600 9N1, DTR on\n"
                             "       3.000  close\n");
    ASSERT_EQ(trace.events.size(), 1u);
    EXPECT_EQ(trace.events[0].kind, TraceEvent::Kind::Close);
    ASSERT_EQ(trace.problems.size(), 7u);
    EXPECT_EQ(trace.problems[1], "line 4: not hexadecimal: 0G");

    EXPECT_FALSE(Read("       0.000  close\n").Usable());  // no header: not a trace
    EXPECT_NE(Read("# kell-trace 3\n       0.000  close\n").Refusal().find("format 3"),
              std::string::npos);
    // The first format had no answers; its traces are still read.
    EXPECT_TRUE(Read("# kell-trace 1\n       0.000  close\n").Usable());
    EXPECT_EQ(Read("# kell-trace 2\n       0.000  answer erase: maybe\n").problems.size(), 1u);
}

TEST(TraceReader, RandomBytesNeverBreakIt) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string text = kHeader + "       0.000  -> ";
        for (int i = 0; i < 300; ++i)
            text += static_cast<char>(random() % 256);
        const Trace trace = Read(text);
        EXPECT_LE(trace.events.size(), 40u);
    }
}

TEST(TraceReader, ACompactTraceStandsForItsLongWritesByCountAndChecksum) {
    Trace trace = Read(kHeader + "       0.000  -> 5A" + std::string(200, '7') + "\n");
    ASSERT_EQ(trace.events.size(), 1u);
    const std::vector<std::uint8_t> whole = trace.events[0].bytes;
    CompactWrites(trace);
    const Trace again = Read(FormatTrace(trace));
    ASSERT_EQ(again.events.size(), 1u) << FormatTrace(trace);
    const TraceEvent& e = again.events[0];
    EXPECT_EQ(e.bytes, std::vector<std::uint8_t>(whole.begin(), whole.begin() + 8));
    EXPECT_EQ(e.elided, whole.size() - 8);
    EXPECT_EQ(e.elidedCrc32, Crc32({whole.data() + 8, whole.size() - 8}));
}

// The traces kept with the tests are gzip-compressed; a compressed file cut short (a copy
// interrupted) still gives its whole events up to the cut, as a plain one does.
TEST(TraceReader, AGzipFileReadsAsItsTextEvenCutShort) {
    std::string text = kHeader;
    for (int i = 0; i < 3000; ++i)
        text += "  " + std::to_string(i) + ".000  -> 03" + std::to_string(1000 + i) + "\n";
    const std::string path = ::testing::TempDir() + "/reader-test.trace.gz";
    ASSERT_TRUE(WriteGzipFile(path, text));
    const Trace whole = ReadTraceFile(path);
    EXPECT_TRUE(whole.problems.empty());
    EXPECT_FALSE(whole.cutShort);
    ASSERT_EQ(whole.events.size(), 3000u);
    EXPECT_EQ(whole.events.back().bytes, (std::vector<std::uint8_t>{0x03, 0x39, 0x99}));

    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    const Trace cut = ReadTraceFile(path);
    EXPECT_GT(cut.events.size(), 0u);
    EXPECT_LT(cut.events.size(), 3000u);
    for (std::size_t i = 0; i < cut.events.size(); ++i)
        EXPECT_EQ(cut.events[i].bytes, whole.events[i].bytes);
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace kell::testing
