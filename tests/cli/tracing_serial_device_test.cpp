#include "cli/tracing_serial_device.h"

#include <gtest/gtest.h>

#include <deque>
#include <sstream>
#include <vector>

#include "platform/virtual/virtual_clock.h"

namespace kell::cli {
namespace {

// A device whose answers the test sets.
struct StubDevice : SerialDevice {
    OpenResult Open(const std::string&) override {
        open = openResult == OpenResult::Ok;
        return openResult;
    }
    bool IsOpen() const override { return open; }
    void Close() override { open = false; }
    bool Apply(const LineSettings&) override { return true; }
    bool SetQueueSizes(std::uint32_t, std::uint32_t) override { return true; }
    std::size_t Read(std::uint8_t* dest, std::size_t max, std::uint32_t) override {
        std::size_t n = 0;
        while (n < max && !incoming.empty()) {
            dest[n++] = incoming.front();
            incoming.pop_front();
        }
        return n;
    }
    long Write(const std::uint8_t*, std::size_t count) override {
        return writeResult ? *writeResult : static_cast<long>(count);
    }
    SerialStatus QueryStatus() override { return status; }
    void WaitForOutput(std::uint32_t timeoutMs) override { outputWaits.push_back(timeoutMs); }
    void Purge(bool, bool) override {}
    bool SetRts(bool) override { return rtsOk; }

    OpenResult openResult = OpenResult::Ok;
    bool open = false;
    std::deque<std::uint8_t> incoming;
    std::optional<long> writeResult;
    SerialStatus status{true, 0, 0};
    bool rtsOk = true;
    std::vector<std::uint32_t> outputWaits;
};

struct TraceTest : ::testing::Test {
    VirtualClock clock;
    StubDevice stub;
    std::ostringstream out;
    TracingSerialDevice trace{stub, clock, out};

    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        std::istringstream in(out.str());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
};

TEST_F(TraceTest, BytesBothWaysWithTimesHexAndText) {
    trace.Open("/dev/pts/7");
    clock.AdvanceBy(1'234'567);
    std::vector<std::uint8_t> frame(20);
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<std::uint8_t>('A' + i);
    frame[0] = 0x01;
    EXPECT_EQ(trace.Write(frame.data(), frame.size()), 20);
    std::uint8_t buffer[8];
    EXPECT_EQ(trace.Read(buffer, sizeof buffer, 10), 0u);  // nothing came: nothing written
    stub.incoming = {0x5D};
    EXPECT_EQ(trace.Read(buffer, sizeof buffer, 10), 1u);
    EXPECT_EQ(buffer[0], 0x5D);

    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 5u) << out.str();
    EXPECT_EQ(lines[0].rfind("# milliseconds", 0), 0u);
    EXPECT_EQ(lines[1], "         0.000  open /dev/pts/7: ok");
    EXPECT_EQ(lines[2].substr(0, 34), "      1234.567  -> 01 42 43 44 45 ");
    EXPECT_NE(lines[2].find("|.BCDEFGHIJKLMNOP|"), std::string::npos);
    EXPECT_NE(lines[3].find("-> 51 52 53 54 "), std::string::npos);
    EXPECT_NE(lines[3].find("|QRST|"), std::string::npos);
    EXPECT_NE(lines[4].find("<- 5D"), std::string::npos);
    EXPECT_NE(lines[4].find("|]|"), std::string::npos);
}

TEST_F(TraceTest, FailuresShortWritesAndWakePulses) {
    stub.openResult = OpenResult::PermissionDenied;
    trace.Open("/dev/ttyACM0");
    stub.openResult = OpenResult::Ok;
    trace.Open("/dev/ttyACM0");
    for (int i = 0; i < 4; ++i) {
        trace.SetRts(i % 2 == 0);
        clock.AdvanceBy(20'000);
    }
    const std::uint8_t bytes[] = {1, 2, 3, 4, 5};
    stub.writeResult = 3;
    trace.Write(bytes, 5);
    stub.writeResult = -1;
    trace.Write(bytes, 1);
    stub.status = {true, kLineErrorFraming | kLineErrorOverrun, 0};
    trace.QueryStatus();
    trace.Close();

    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 8u) << out.str();
    EXPECT_NE(lines[1].find("open /dev/ttyACM0: permission denied"), std::string::npos);
    EXPECT_NE(lines[3].find("RTS: 4 changes in 60 ms, ends off"), std::string::npos);
    EXPECT_NE(lines[4].find("(3 of 5 taken)"), std::string::npos);
    EXPECT_NE(lines[5].find("(write failed)"), std::string::npos);
    EXPECT_NE(lines[6].find("line status: overrun framing"), std::string::npos);
    EXPECT_NE(lines[7].find("close"), std::string::npos);
}

// A stalled write waits in the device under the trace; a trace that kept the wait would turn
// that wait into a spin.
TEST_F(TraceTest, AWaitForOutputReachesTheDeviceAndWritesNothing) {
    trace.Open("/dev/ttyACM0");
    trace.WaitForOutput(25);
    EXPECT_EQ(stub.outputWaits, std::vector<std::uint32_t>{25});
    EXPECT_EQ(Lines().size(), 2u) << out.str();  // the heading and the open
}

}  // namespace
}  // namespace kell::cli
