#include <gtest/gtest.h>

#include <vector>

#include "platform/virtual/virtual_line.h"

namespace kell::testing {
namespace {

// Echoes every byte it receives after a fixed delay.
class EchoDevice : public LineDevice {
  public:
    EchoDevice(VirtualClock& clock, DevicePort& port, std::int64_t delayUs)
        : clock_(clock), port_(port), delayUs_(delayUs) {}
    void OnByteFromHost(std::uint8_t byte) override {
        received.push_back(byte);
        clock_.After(delayUs_, [this, byte] { port_.SendToHost(&byte, 1); });
    }
    std::vector<std::uint8_t> received;

  private:
    VirtualClock& clock_;
    DevicePort& port_;
    std::int64_t delayUs_;
};

struct LineFixture : ::testing::Test {
    VirtualClock clock;
    VirtualLine line{clock};
    VirtualLineSet lines;
    // Declared before the host, so that the host's close on destruction still finds it.
    EchoDevice echo{clock, line, 1000};
    VirtualSerialDevice host{lines};

    void SetUp() override {
        lines.Add("/dev/ttyV0", &line);
        line.Attach(&echo);
        ASSERT_EQ(host.Open("/dev/ttyV0"), OpenResult::Ok);
    }
    // The device must outlive the host's close, which tells it the port went away.
    void TearDown() override { host.Close(); }
};

TEST_F(LineFixture, BytesTakeTheirWireTimeBothWays) {
    const std::uint8_t out[2] = {0x41, 0x42};
    const std::int64_t start = clock.NowUs();
    ASSERT_EQ(host.Write(out, 2), 2);
    std::uint8_t in[4] = {};
    // Nothing is there before the first echo: a read waits at most its time-out.
    EXPECT_EQ(host.Read(in, 1, 0), 0u);
    EXPECT_EQ(clock.NowUs(), start);
    // First byte: 96 us on the wire, 1 ms in the device, 96 us back.
    ASSERT_EQ(host.Read(in, 4, 10), 1u);
    EXPECT_EQ(in[0], 0x41);
    EXPECT_EQ(clock.NowUs() - start, 96 + 1000 + 96);
    ASSERT_EQ(host.Read(in, 4, 10), 1u);
    EXPECT_EQ(in[0], 0x42);
}

TEST_F(LineFixture, ReadReturnsWhatIsThereWithoutWaiting) {
    const std::uint8_t out[3] = {1, 2, 3};
    host.Write(out, 3);
    clock.AdvanceBy(10'000);
    std::uint8_t in[8] = {};
    const std::int64_t before = clock.NowUs();
    EXPECT_EQ(host.Read(in, 8, 100), 3u);
    EXPECT_EQ(clock.NowUs(), before);
}

TEST_F(LineFixture, SpeedMismatchIsALineErrorReportedOnce) {
    LineSettings fast;
    fast.baudRate = 500000;
    host.Apply(fast);  // the device still listens at 115200
    const std::uint8_t b = 7;
    host.Write(&b, 1);
    clock.AdvanceBy(5000);
    EXPECT_TRUE(echo.received.empty());
    line.SetDeviceBaud(500000);
    host.Write(&b, 1);
    clock.AdvanceBy(100);        // taken at the matching speed ...
    line.SetDeviceBaud(115200);  // ... and answered at the old one
    clock.AdvanceBy(5000);
    EXPECT_EQ(host.QueryStatus().errors, kLineErrorFraming);
    EXPECT_EQ(host.QueryStatus().errors, 0u);
}

TEST_F(LineFixture, StalledDeviceFillsTheQueueAndAWaitForOutputLastsUntilAByteLeaves) {
    line.SetAcceptingInput(false);
    std::vector<std::uint8_t> block(3000, 0x55);
    EXPECT_EQ(host.Write(block.data(), block.size()), 2048);
    const std::int64_t before = clock.NowUs();
    SerialStatus status = host.QueryStatus();
    EXPECT_TRUE(status.ok);
    EXPECT_EQ(status.outQueued, 2048u);
    EXPECT_EQ(clock.NowUs(), before);  // a status query takes no time
    // Nothing leaves a stalled queue: the wait lasts its time-out.
    host.WaitForOutput(50);
    EXPECT_EQ(clock.NowUs() - before, 50'000);
    // The device takes bytes again: the wait ends as the first one is through.
    line.SetAcceptingInput(true);
    const std::int64_t resumed = clock.NowUs();
    host.WaitForOutput(50);
    EXPECT_EQ(clock.NowUs() - resumed, ByteTimeUs(115200));
    EXPECT_EQ(host.QueryStatus().outQueued, 2047u);
    clock.AdvanceBy(1'000'000);
    EXPECT_EQ(host.QueryStatus().outQueued, 0u);
    EXPECT_EQ(echo.received.size(), 2048u);
    // With nothing queued there is nothing to wait for.
    const std::int64_t idle = clock.NowUs();
    host.WaitForOutput(50);
    EXPECT_EQ(clock.NowUs(), idle);
}

TEST_F(LineFixture, AnUnplugEndsAWaitForOutput) {
    line.SetAcceptingInput(false);
    const std::uint8_t b = 1;
    host.Write(&b, 1);
    const std::int64_t before = clock.NowUs();
    clock.After(10'000, [&] { line.Unplug(); });
    host.WaitForOutput(1000);
    EXPECT_EQ(clock.NowUs() - before, 10'000);
}

TEST_F(LineFixture, UnplugFailsTheOpenHandleAndTheNextOpen) {
    line.Unplug();
    const std::uint8_t b = 1;
    EXPECT_EQ(host.Write(&b, 1), -1);
    EXPECT_FALSE(host.QueryStatus().ok);
    host.Close();
    EXPECT_EQ(host.Open("/dev/ttyV0"), OpenResult::NotFound);
    EXPECT_EQ(host.Open("/dev/ttyNone"), OpenResult::NotFound);
    lines.Deny("/dev/ttyS9");
    EXPECT_EQ(host.Open("/dev/ttyS9"), OpenResult::PermissionDenied);
}

TEST(VirtualClock, EventsRunInTimeOrderAndTiesInScheduleOrder) {
    VirtualClock clock(0);
    std::vector<int> order;
    clock.At(200, [&] { order.push_back(3); });
    clock.At(100, [&] { order.push_back(1); });
    clock.At(100, [&] { order.push_back(2); });
    auto cancelled = clock.At(150, [&] { order.push_back(99); });
    clock.Cancel(cancelled);
    clock.AdvanceTo(1000);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(clock.NowUs(), 1000);
}

}  // namespace
}  // namespace kell::testing
