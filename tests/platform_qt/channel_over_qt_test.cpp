#include <unistd.h>

#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <vector>

#include "link/serial_channel.h"
#include "platform/qt/manual_port_catalog.h"
#include "platform/qt/qt_serial_device.h"
#include "platform/qt/system_clock.h"
#include "platform/virtual/test_doubles.h"
#include "tests/platform_qt/pseudo_terminal.h"
#include "tests/platform_qt/qt_application.h"
#include "tests/support/process_cpu.h"

namespace kell::testing {
namespace {

// The serial channel on the real device stack, with a pseudo-terminal given as the manual port.
struct ChannelOnPty : WithQtApplication {
    PseudoTerminal pty;
    FixedPortCatalog machine;  // the machine's own ports do not matter here
    std::unique_ptr<ManualPortCatalog> ports;
    QtSerialDevice device;
    SystemClock clock;
    std::unique_ptr<TMonitorPSerie> channel;

    void SetUp() override {
        ASSERT_TRUE(pty.Ready());
        machine.Set(1, "/dev/ttyACM0");
        ports = std::make_unique<ManualPortCatalog>(machine, pty.Path());
        channel = std::make_unique<TMonitorPSerie>(
            device, *ports, clock,
            std::make_shared<PortLock>(::testing::TempDir() + "/kell-channel-pty.lock"));
    }

    // Polls one byte at a time against a deadline, as every exchange does.
    std::vector<std::uint8_t> ReadReply(std::size_t count, int timeoutMs = 2000) {
        std::vector<std::uint8_t> got;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            std::uint8_t byte = 0;
            if (channel->Read(&byte, 1) == 1)
                got.push_back(byte);
        }
        return got;
    }
};

TEST_F(ChannelOnPty, ConfigureWriteAndReadAnswer) {
    ASSERT_TRUE(channel->Configure(ManualPortCatalog::kManualPortNumber, PortSettings{}));
    EXPECT_EQ(channel->DeviceName(), pty.Path());
    EXPECT_EQ(channel->OutputRoom(), 2048);

    std::vector<std::uint8_t> request(600);
    for (std::size_t i = 0; i < request.size(); ++i)
        request[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(channel->Write(request), 600);
    EXPECT_EQ(pty.Receive(600), request);

    ASSERT_TRUE(pty.Send({0x5D, 0x30, 0x0A}));
    EXPECT_EQ(ReadReply(3), (std::vector<std::uint8_t>{0x5D, 0x30, 0x0A}));
}

TEST_F(ChannelOnPty, ChangingTheSpeedReopensAndKeepsWorking) {
    ASSERT_TRUE(channel->Configure(1, PortSettings{}));
    PortSettings fast;
    fast.BaudRate = 500000;
    ASSERT_TRUE(channel->Configure(1, fast));
    const std::uint8_t probe = 0x00;
    EXPECT_EQ(channel->Write(&probe, 1), 1);
    EXPECT_EQ(pty.Receive(1), std::vector<std::uint8_t>{0x00});
    ASSERT_TRUE(pty.Send({0x5D}));
    EXPECT_EQ(ReadReply(1), std::vector<std::uint8_t>{0x5D});
}

// The device is named by a stable link, as udev names a USB device; unplugging it removes the
// link. (A closed pseudo-terminal's own name may be taken at once by another one, as a USB
// node's may: no test relies on it staying free.)
TEST_F(ChannelOnPty, UnplugFailsWritesAndTheReconnectFindsNoPort) {
    QTemporaryDir folder;
    const std::string link = folder.filePath("usb-Maker_Meter_1-if00").toStdString();
    ASSERT_EQ(::symlink(pty.Path().c_str(), link.c_str()), 0);
    ManualPortCatalog linked(machine, link);
    channel = std::make_unique<TMonitorPSerie>(
        device, linked, clock,
        std::make_shared<PortLock>(::testing::TempDir() + "/kell-channel-pty.lock"));
    ASSERT_TRUE(channel->Configure(1, PortSettings{}));
    EXPECT_EQ(channel->DeviceName(), pty.Path());
    ::unlink(link.c_str());
    pty.CloseMaster();
    const std::uint8_t byte = 0x0A;
    EXPECT_EQ(channel->Write(&byte, 1), -1);
    std::uint8_t in = 0;
    EXPECT_EQ(channel->Read(&in, 1), 0u);
    EXPECT_EQ(channel->OutputRoom(), TMonitorPSerie::kRoomFailure);
    EXPECT_FALSE(channel->Configure(1, PortSettings{}));
    EXPECT_EQ(channel->LastOpenResult(), OpenResult::NotFound);
    channel.reset();  // before the catalog it was made over
}

// The far end never reads: the terminal's buffers fill and the write stalls. It sleeps on the
// device until its stall guard gives up, and does not spin a core meanwhile.
TEST_F(ChannelOnPty, AStalledWriteSleepsThroughItsGuard) {
    ASSERT_TRUE(channel->Configure(1, PortSettings{}));
    const std::vector<std::uint8_t> data(256 * 1024, 0x55);
    const auto wallStart = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuSeconds();
    EXPECT_EQ(channel->Write(data), -1);
    const double cpuS = ProcessCpuSeconds() - cpuStart;
    const double wallS =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    EXPECT_GE(wallS, 4.0);
    EXPECT_LE(cpuS, 0.05 * wallS) << cpuS << " s of CPU in " << wallS << " s";
    EXPECT_TRUE(channel->IsOpen());  // a full queue is not a broken line
}

TEST_F(ChannelOnPty, OtherPortsAreHiddenBehindTheManualOne) {
    EXPECT_FALSE(channel->Configure(2, PortSettings{}));
    EXPECT_EQ(channel->LastOpenResult(), OpenResult::NotFound);
}

}  // namespace
}  // namespace kell::testing
