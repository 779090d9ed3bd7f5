#include "cli/tracing_serial_device.h"

#include <gtest/gtest.h>

#include <deque>
#include <sstream>
#include <vector>

#include "platform/virtual/virtual_clock.h"
#include "trace/trace_file.h"

namespace kell::testing {
using namespace kell::cli;
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
    TracingSerialDevice device{stub, clock, out};

    trace::Trace ReadBack() {
        std::istringstream in(out.str());
        return trace::ReadTrace(in);
    }
};

using Kind = trace::TraceEvent::Kind;

// What the device writes is what the replay reads: every kind of event, with its time.
TEST_F(TraceTest, EveryEventReadsBackAsWritten) {
    trace::TraceHeader header;
    header.version = trace::kFormatVersion;
    header.program = "Version 2.04";
    header.payloadsSha256 = "ab12";
    header.recorded = "2024-05-02T09:14:03Z";
    device.WriteHeader(header);
    stub.openResult = OpenResult::NotFound;
    device.Open("/dev/ttyACM0");
    stub.openResult = OpenResult::Ok;
    clock.AdvanceBy(1'234'567);
    device.Open("/dev/ttyACM0");
    LineSettings fast;
    fast.baudRate = 500000;
    device.Apply(fast);
    stub.rtsOk = false;
    device.SetRts(true);
    device.Purge(true, false);
    std::vector<std::uint8_t> block(300, 0xFF);
    block[0] = 0x03;
    EXPECT_EQ(device.Write(block.data(), block.size()), 300);
    stub.writeResult = -1;
    device.Write(block.data(), 2);
    std::uint8_t buffer[8];
    EXPECT_EQ(device.Read(buffer, sizeof buffer, 10), 0u);  // nothing came: nothing written
    stub.incoming = {0x5D, 0x0A};
    EXPECT_EQ(device.Read(buffer, sizeof buffer, 10), 2u);
    stub.status = {true, kLineErrorFraming | kLineErrorDevice, 0};
    device.QueryStatus();
    device.WaitForOutput(25);  // nothing crosses the line: not an event
    device.Close();
    device.WriteAnswer("erase", false);
    device.WriteOutcome("failed", 4, 3, "The update failed.\nCode 3.");

    const trace::Trace read = ReadBack();
    EXPECT_TRUE(read.problems.empty()) << read.problems.front();
    EXPECT_FALSE(read.cutShort);
    EXPECT_EQ(read.header.program, header.program);
    EXPECT_EQ(read.header.payloadsSha256, "ab12");
    EXPECT_EQ(read.header.recorded, header.recorded);
    ASSERT_EQ(read.events.size(), 12u) << out.str();
    const auto& e = read.events;
    EXPECT_EQ(e[0].result, OpenResult::NotFound);
    EXPECT_EQ(e[1].us, 1'234'567);
    EXPECT_EQ(e[1].path, "/dev/ttyACM0");
    EXPECT_EQ(e[2].settings.baudRate, 500000u);
    EXPECT_TRUE(e[3].on && e[3].refused);
    EXPECT_TRUE(e[4].input && !e[4].output);
    EXPECT_EQ(e[5].bytes, block);
    EXPECT_NE(out.str().find("-> 03 FF*299"), std::string::npos) << out.str();
    EXPECT_TRUE(e[6].failed);
    EXPECT_EQ(e[7].kind, Kind::Read);
    EXPECT_EQ(e[7].bytes, (std::vector<std::uint8_t>{0x5D, 0x0A}));
    EXPECT_EQ(e[8].errors, kLineErrorFraming | kLineErrorDevice);
    EXPECT_EQ(e[9].kind, Kind::Close);
    EXPECT_EQ(e[10].kind, Kind::Answer);
    EXPECT_EQ(e[10].question, "erase");
    EXPECT_FALSE(e[10].on);
    EXPECT_EQ(trace::RecordedAnswers(read), "erase=cancel");
    EXPECT_EQ(e[11].kind, Kind::Outcome);
    EXPECT_EQ(e[11].summary, "The update failed.\nCode 3.");
    EXPECT_EQ(e[11].resultCode, 3);
    EXPECT_EQ(stub.outputWaits, std::vector<std::uint32_t>{25});
}

}  // namespace
}  // namespace kell::testing
