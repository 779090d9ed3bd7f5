#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_serial_device.h"
#include "tests/platform_qt/pseudo_terminal.h"
#include "tests/platform_qt/qt_application.h"

namespace kell::testing {
namespace {

using Steady = std::chrono::steady_clock;

long ElapsedMs(Steady::time_point since) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - since).count());
}

std::vector<std::uint8_t> AllByteValues() {
    std::vector<std::uint8_t> v(256);
    for (int i = 0; i < 256; ++i)
        v[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    return v;
}

// Reads until `count` bytes came or timeoutMs passed, as a caller polling with a deadline does.
std::vector<std::uint8_t> ReadSome(SerialDevice& device, std::size_t count, int timeoutMs = 2000) {
    std::vector<std::uint8_t> got;
    std::uint8_t buffer[4096];
    const auto start = Steady::now();
    while (got.size() < count && ElapsedMs(start) < timeoutMs) {
        const std::size_t n = device.Read(buffer, std::min(sizeof buffer, count - got.size()), 20);
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

struct QtDeviceOnPty : WithQtApplication {
    PseudoTerminal pty;
    QtSerialDevice device;

    void SetUp() override {
        ASSERT_TRUE(pty.Ready());
        ASSERT_EQ(device.Open(pty.Path()), OpenResult::Ok);
        ASSERT_TRUE(device.Apply(LineSettings{}));
    }
};

TEST_F(QtDeviceOnPty, AppliesTheLineSettingsAtBothSpeeds) {
    LineSettings settings;
    settings.baudRate = 500000;
    EXPECT_TRUE(device.Apply(settings));
    // A second look at the same terminal (as root, whom the exclusive open lets through) shows
    // what the driver holds.
    const int fd = ::open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        termios tio{};
        ASSERT_EQ(::tcgetattr(fd, &tio), 0);
        EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B500000));
        EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
        EXPECT_EQ(tio.c_cflag & (PARENB | CRTSCTS), 0u);
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);
        EXPECT_EQ(tio.c_cc[VSTART], 0x11);
        EXPECT_EQ(tio.c_cc[VSTOP], 0x13);
        ::close(fd);
    }
    settings.baudRate = 115200;
    EXPECT_TRUE(device.Apply(settings));
    settings.baudRate = 250000;  // not a standard rate of the system: Qt sets it as a custom one
    EXPECT_TRUE(device.Apply(settings));
    settings.stopBits = 9;  // no such code
    EXPECT_FALSE(device.Apply(settings));
    EXPECT_TRUE(device.QueryStatus().ok);
}

TEST_F(QtDeviceOnPty, BytesTravelBothWaysUnchanged) {
    const auto bytes = AllByteValues();  // with CR, LF, XON and XOFF among them
    ASSERT_EQ(device.Write(bytes.data(), bytes.size()), 256);
    EXPECT_EQ(pty.Receive(256), bytes);

    ASSERT_TRUE(pty.Send(bytes));
    EXPECT_EQ(ReadSome(device, 256), bytes);
}

TEST_F(QtDeviceOnPty, ReadWaitsAtMostItsTimeOut) {
    std::uint8_t byte = 0;
    auto start = Steady::now();
    EXPECT_EQ(device.Read(&byte, 1, 0), 0u);
    EXPECT_LT(ElapsedMs(start), 1000);

    start = Steady::now();
    EXPECT_EQ(device.Read(&byte, 1, 50), 0u);
    const long waited = ElapsedMs(start);
    EXPECT_GE(waited, 49);
    EXPECT_LT(waited, 2000);
}

TEST_F(QtDeviceOnPty, ReadReturnsWithTheFirstByteNotAtItsTimeOut) {
    std::thread instrument([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        pty.Send({0x5D});
    });
    std::uint8_t byte = 0;
    const auto start = Steady::now();
    const std::size_t got = device.Read(&byte, 1, 10000);
    const long waited = ElapsedMs(start);
    instrument.join();
    ASSERT_EQ(got, 1u);
    EXPECT_EQ(byte, 0x5D);
    EXPECT_LT(waited, 5000);
}

TEST_F(QtDeviceOnPty, ArrivedBytesAreThereWithoutWaiting) {
    ASSERT_TRUE(pty.Send({1, 2, 3}));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::uint8_t in[8] = {};
    EXPECT_EQ(device.Read(in, 8, 0), 3u);
    EXPECT_EQ(in[2], 3);
}

TEST_F(QtDeviceOnPty, PurgeDropsWhatArrived) {
    ASSERT_TRUE(pty.Send({1, 2, 3}));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    device.Purge(true, false);
    std::uint8_t in[8] = {};
    EXPECT_EQ(device.Read(in, 8, 0), 0u);
}

TEST_F(QtDeviceOnPty, RtsOnATerminalWithoutModemLinesFailsHarmlessly) {
    EXPECT_FALSE(device.SetRts(true));
    EXPECT_FALSE(device.SetRts(false));
    const SerialStatus status = device.QueryStatus();
    EXPECT_TRUE(status.ok);
    EXPECT_EQ(status.errors, 0u);
    const std::uint8_t byte = 0x00;
    EXPECT_EQ(device.Write(&byte, 1), 1);
    EXPECT_EQ(pty.Receive(1), std::vector<std::uint8_t>{0x00});
}

TEST_F(QtDeviceOnPty, AFullDriverQueueIsBacklogNotAnUnplug) {
    // The far end reads nothing; write as the channel does, within the free room, until the
    // system's buffers are full and our own buffer holds the rest.
    std::vector<std::uint8_t> sent;
    SerialStatus status = device.QueryStatus();
    for (int round = 0; round < 2000 && status.outQueued < 2048; ++round) {
        ASSERT_TRUE(status.ok);
        const std::size_t room = 2048 - status.outQueued;
        std::vector<std::uint8_t> chunk(room);
        for (auto& b : chunk)
            b = static_cast<std::uint8_t>(sent.size() + (&b - chunk.data()));
        ASSERT_EQ(device.Write(chunk.data(), chunk.size()), static_cast<long>(chunk.size()));
        sent.insert(sent.end(), chunk.begin(), chunk.end());
        status = device.QueryStatus();
    }
    EXPECT_TRUE(status.ok);
    EXPECT_EQ(status.errors, 0u);
    EXPECT_EQ(status.outQueued, 2048u);
    EXPECT_FALSE(device.Gone());

    // The far end catches up: the backlog leaves and every byte arrives in order.
    std::vector<std::uint8_t> received;
    const auto start = Steady::now();
    while (received.size() < sent.size() && ElapsedMs(start) < 5000) {
        const auto got = pty.Receive(sent.size() - received.size(), 20);
        received.insert(received.end(), got.begin(), got.end());
        status = device.QueryStatus();  // pushes our buffer on
        ASSERT_TRUE(status.ok);
    }
    EXPECT_EQ(received, sent);
    EXPECT_EQ(device.QueryStatus().outQueued, 0u);
}

TEST_F(QtDeviceOnPty, UnplugFailsEveryOperationAtOnce) {
    pty.CloseMaster();
    const SerialStatus status = device.QueryStatus();
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.errors & kLineErrorDevice, kLineErrorDevice);
    EXPECT_TRUE(device.Gone());
    EXPECT_TRUE(device.IsOpen());  // until the owner closes it

    std::uint8_t byte = 0x41;
    const auto start = Steady::now();
    EXPECT_EQ(device.Read(&byte, 1, 5000), 0u);
    EXPECT_EQ(device.Write(&byte, 1), -1);
    EXPECT_FALSE(device.SetRts(true));
    EXPECT_FALSE(device.Apply(LineSettings{}));
    device.Purge(true, true);
    EXPECT_FALSE(device.QueryStatus().ok);
    EXPECT_LT(ElapsedMs(start), 2500);

    device.Close();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_FALSE(device.Gone());
}

TEST_F(QtDeviceOnPty, UnplugIsSeenByAReadFirst) {
    pty.CloseMaster();
    std::uint8_t byte = 0;
    const auto start = Steady::now();
    EXPECT_EQ(device.Read(&byte, 1, 5000), 0u);
    EXPECT_LT(ElapsedMs(start), 2500);
    EXPECT_TRUE(device.Gone());
}

TEST_F(QtDeviceOnPty, UnplugDuringAReadEndsTheWait) {
    std::thread unplug([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pty.CloseMaster();
    });
    std::uint8_t byte = 0;
    const auto start = Steady::now();
    EXPECT_EQ(device.Read(&byte, 1, 8000), 0u);
    const long waited = ElapsedMs(start);
    unplug.join();
    EXPECT_LT(waited, 4000);
    EXPECT_TRUE(device.Gone());
}

TEST_F(QtDeviceOnPty, AFarEndThatStopsReadingDoesNotHoldTheClose) {
    std::vector<std::uint8_t> block(2048, 0x55);
    for (int i = 0; i < 100; ++i)
        device.Write(block.data(), block.size());  // far more than the far end will ever read
    const auto start = Steady::now();
    device.Close();
    EXPECT_LT(ElapsedMs(start), 2500);
    EXPECT_FALSE(device.IsOpen());
}

TEST_F(QtDeviceOnPty, UnplugWhileTheEventLoopRunsDoesNotKeepWakingIt) {
    QtEventPump pump;
    pty.CloseMaster();
    // The first passes see the hang-up and release the port; no call on the device is needed.
    for (int i = 0; i < 5; ++i)
        pump.WaitForEvent(20);
    EXPECT_TRUE(device.Gone());
    const auto start = Steady::now();
    pump.WaitForEvent(60);
    EXPECT_GE(ElapsedMs(start), 40);
}

TEST_F(QtDeviceOnPty, ASecondOpenOfTheSamePortIsRefusedAsBusy) {
    QtSerialDevice other;
    EXPECT_EQ(other.Open(pty.Path()), OpenResult::Busy);
    EXPECT_FALSE(other.IsOpen());
    device.Close();
    EXPECT_EQ(other.Open(pty.Path()), OpenResult::Ok);
}

TEST_F(QtDeviceOnPty, ReopenAfterCloseWorks) {
    device.Close();
    ASSERT_EQ(device.Open(pty.Path()), OpenResult::Ok);
    const std::uint8_t byte = 0x0A;
    EXPECT_EQ(device.Write(&byte, 1), 1);
    EXPECT_EQ(pty.Receive(1), std::vector<std::uint8_t>{0x0A});
}

struct QtDevice : WithQtApplication {};

TEST_F(QtDevice, OpenSaysWhyItFailed) {
    QtSerialDevice device;
    EXPECT_EQ(device.Open("/dev/kell-no-such-port"), OpenResult::NotFound);
    EXPECT_EQ(device.Open(""), OpenResult::NotFound);
    const std::string notATerminal = ::testing::TempDir() + "/kell-not-a-terminal";
    std::FILE* f = std::fopen(notATerminal.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_EQ(device.Open(notATerminal), OpenResult::Failed);
    std::remove(notATerminal.c_str());
    EXPECT_FALSE(device.IsOpen());
}

TEST_F(QtDevice, EveryCallOnAClosedDeviceIsHarmless) {
    QtSerialDevice device;
    std::uint8_t byte = 0x77;
    EXPECT_EQ(device.Read(&byte, 1, 100), 0u);
    EXPECT_EQ(byte, 0x77);
    EXPECT_EQ(device.Write(&byte, 1), -1);
    EXPECT_FALSE(device.QueryStatus().ok);
    EXPECT_FALSE(device.Apply(LineSettings{}));
    EXPECT_FALSE(device.SetRts(true));
    EXPECT_FALSE(device.SetQueueSizes(2048, 2048));
    device.Purge(true, true);
    device.Close();
    EXPECT_FALSE(device.IsOpen());
}

TEST(QtDeviceWithoutApplication, WorksSynchronously) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Ready());
    QtSerialDevice device;
    ASSERT_EQ(device.Open(pty.Path()), OpenResult::Ok);
    ASSERT_TRUE(device.Apply(LineSettings{}));
    const std::uint8_t byte = 0x00;
    EXPECT_EQ(device.Write(&byte, 1), 1);
    EXPECT_EQ(pty.Receive(1), std::vector<std::uint8_t>{0x00});
    ASSERT_TRUE(pty.Send({0x5D}));
    EXPECT_EQ(ReadSome(device, 1), std::vector<std::uint8_t>{0x5D});
}

}  // namespace
}  // namespace kell::testing
