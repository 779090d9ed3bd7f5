#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/virtual/virtual_line.h"

namespace kell::testing {
namespace {

constexpr std::int64_t kMs = 1000;

// The PC's side of a virtual line behind a USB adapter; the test plays the instrument through
// the line's device port.
struct AdapterLine : ::testing::Test {
    VirtualClock clock;
    VirtualLine line{clock};
    VirtualLineSet lines;
    VirtualSerialDevice host{lines};
    const std::int64_t byteUs = ByteTimeUs(115200);

    void SetUp() override {
        lines.Add("/dev/ttyUSB0", &line);
        ASSERT_EQ(host.Open("/dev/ttyUSB0"), OpenResult::Ok);
    }

    // Moves the clock on to the adapter's next tick and returns its time.
    std::int64_t NextTick(std::uint32_t latencyMs) {
        const std::int64_t period = latencyMs * kMs;
        clock.AdvanceTo((clock.NowUs() / period + 1) * period);
        return clock.NowUs();
    }
    bool NothingArrived() {
        std::uint8_t byte = 0;
        return host.Read(&byte, 1, 0) == 0;
    }
};

TEST_F(AdapterLine, AnAnswerByteReachesThePcAtTheAdaptersNextTick) {
    line.SetAdapterLatencyMs(16);
    const std::int64_t tick = NextTick(16);
    clock.AdvanceBy(3 * kMs);
    std::vector<std::int64_t> onTheWire;
    line.SetTap([&](VirtualLine::Direction, std::int64_t timeUs, std::uint8_t) {
        onTheWire.push_back(timeUs);
    });
    const std::uint8_t answer = '0';
    line.SendToHost(&answer, 1);
    const std::int64_t arrived = clock.NowUs() + byteUs;

    clock.AdvanceTo(tick + 16 * kMs - 1);
    EXPECT_TRUE(NothingArrived());
    std::uint8_t byte = 0;
    ASSERT_EQ(host.Read(&byte, 1, 100), 1u);
    EXPECT_EQ(byte, '0');
    EXPECT_EQ(clock.NowUs(), tick + 16 * kMs);
    // The wire is as it was: the byte crossed it in its own time.
    EXPECT_EQ(onTheWire, std::vector<std::int64_t>{arrived});
}

TEST_F(AdapterLine, AFullPacketReachesThePcAtOnceAndTheRestAtTheTick) {
    line.SetAdapterLatencyMs(16);
    const std::int64_t tick = NextTick(16);
    std::vector<std::uint8_t> burst(63);
    for (std::size_t i = 0; i < burst.size(); ++i)
        burst[i] = static_cast<std::uint8_t>(i);
    line.SendToHost(burst.data(), burst.size());
    const std::int64_t packetFull = tick + 62 * byteUs;  // well before the next tick

    clock.AdvanceTo(packetFull - 1);
    EXPECT_TRUE(NothingArrived());
    std::vector<std::uint8_t> got(64);
    ASSERT_EQ(host.Read(got.data(), got.size(), 100), 62u);
    EXPECT_EQ(clock.NowUs(), packetFull);
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + 62, burst.begin()));
    ASSERT_EQ(host.Read(got.data(), got.size(), 100), 1u);
    EXPECT_EQ(got[0], 62);
    EXPECT_EQ(clock.NowUs(), tick + 16 * kMs);
}

TEST_F(AdapterLine, WithoutLatencyEveryByteArrivesWithItsWireTime) {
    line.SetAdapterLatencyMs(16);
    const std::uint8_t held = 1;
    line.SendToHost(&held, 1);
    clock.AdvanceBy(byteUs);
    // Turning the latency off passes on what the adapter held.
    line.SetAdapterLatencyMs(0);
    std::uint8_t byte = 0;
    ASSERT_EQ(host.Read(&byte, 1, 0), 1u);
    EXPECT_EQ(byte, 1);

    const std::int64_t start = clock.NowUs();
    const std::uint8_t answer = 2;
    line.SendToHost(&answer, 1);
    ASSERT_EQ(host.Read(&byte, 1, 100), 1u);
    EXPECT_EQ(byte, 2);
    EXPECT_EQ(clock.NowUs(), start + byteUs);
}

TEST_F(AdapterLine, LineErrorsAreReportedAsTheyHappenAndHeldBytesGoWithTheClose) {
    line.SetAdapterLatencyMs(16);
    NextTick(16);
    const std::uint8_t bytes[2] = {7, 8};
    line.SetDeviceBaud(500000);  // the PC listens at 115200
    line.SendToHost(bytes, 1);
    clock.AdvanceBy(1 * kMs);
    EXPECT_EQ(host.QueryStatus().errors, kLineErrorFraming);

    line.SetDeviceBaud(115200);
    line.SendToHost(bytes + 1, 1);
    clock.AdvanceBy(1 * kMs);
    host.Close();
    ASSERT_EQ(host.Open("/dev/ttyUSB0"), OpenResult::Ok);
    clock.AdvanceBy(32 * kMs);
    EXPECT_TRUE(NothingArrived());
    EXPECT_EQ(host.QueryStatus().errors, 0u);
}

}  // namespace
}  // namespace kell::testing
