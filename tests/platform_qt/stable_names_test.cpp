// Port numbers that name devices: stable links followed at every lookup, USB identities, and a
// catalog that reads the system's list again when asked.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/qt/manual_port_catalog.h"
#include "platform/qt/qt_port_catalog.h"
#include "platform/qt/serial_port_entry.h"
#include "platform/qt/stable_links.h"
#include "platform/qt/usb_location.h"
#include "platform/virtual/test_doubles.h"
#include "tests/platform_qt/pseudo_terminal.h"

namespace kell::testing {
namespace {

namespace fs = std::filesystem;

SerialPortEntry Usb(const std::string& node, std::uint16_t vendor, const std::string& serial,
                    const std::string& location = {}) {
    SerialPortEntry entry;
    entry.name = fs::path(node).filename().string();
    entry.path = node;
    entry.usb = true;
    entry.vendorId = vendor;
    entry.productId = 0x0001;
    entry.serialNumber = serial;
    entry.usbLocation = location;
    return entry;
}

TEST(SameDevice, AUsbDeviceIsKnownByItsIdentityWhateverItsNode) {
    const SerialPortEntry before = Usb("/dev/ttyACM0", 0x1234, "A001");
    EXPECT_TRUE(SameDevice(before, Usb("/dev/ttyACM1", 0x1234, "A001")));
    EXPECT_FALSE(SameDevice(before, Usb("/dev/ttyACM0", 0x1234, "A002")));
    EXPECT_FALSE(SameDevice(before, Usb("/dev/ttyACM0", 0x4321, "A001")));

    // Without a serial number, its place on the bus tells it apart.
    const SerialPortEntry noSerial = Usb("/dev/ttyUSB0", 0x1234, "", "/sys/devices/usb1/1-2");
    EXPECT_TRUE(SameDevice(noSerial, Usb("/dev/ttyUSB3", 0x1234, "", "/sys/devices/usb1/1-2")));
    EXPECT_FALSE(SameDevice(noSerial, Usb("/dev/ttyUSB0", 0x1234, "", "/sys/devices/usb1/1-3")));

    // A stable link says it all; a port without any of these is its path.
    SerialPortEntry linked = before;
    linked.stableLink = "/dev/serial/by-id/usb-a";
    SerialPortEntry elsewhere = Usb("/dev/ttyACM4", 0x9999, "Z");
    elsewhere.stableLink = "/dev/serial/by-id/usb-a";
    EXPECT_TRUE(SameDevice(linked, elsewhere));
    SerialPortEntry uart;
    uart.path = "/dev/ttyS0";
    SerialPortEntry sameUart = uart;
    EXPECT_TRUE(SameDevice(uart, sameUart));
    sameUart.path = "/dev/ttyS1";
    EXPECT_FALSE(SameDevice(uart, sameUart));
}

// A folder of links as udev's by-id folder, pointing at pseudo-terminals.
struct LinkFolder : ::testing::Test {
    QTemporaryDir dir;
    std::string folder = dir.path().toStdString();

    std::string Link(const std::string& name, const std::string& node) {
        const std::string link = folder + "/" + name;
        ::unlink(link.c_str());
        EXPECT_EQ(::symlink(node.c_str(), link.c_str()), 0);
        return link;
    }
};

TEST_F(LinkFolder, LinksAreFollowedAtEachLookupAndDanglingOnesNameNothing) {
    PseudoTerminal first, second;
    ASSERT_TRUE(first.Ready() && second.Ready());
    const std::string link = Link("usb-Maker_Meter_1-if00", first.Path());
    Link(".usb-Maker_Meter_1-if00.new", second.Path());  // a link being made is not listed
    Link("usb-gone", folder + "/nothing-here");

    const std::vector<StableLink> links = ReadStableLinks(folder);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].link, link);
    EXPECT_EQ(links[0].node, fs::canonical(first.Path()).string());

    EXPECT_EQ(FollowLink(link), fs::canonical(first.Path()).string());
    Link("usb-Maker_Meter_1-if00", second.Path());
    EXPECT_EQ(FollowLink(link), fs::canonical(second.Path()).string());
    EXPECT_EQ(FollowLink(folder + "/usb-gone"), "");
    EXPECT_EQ(FollowLink(folder + "/never-made"), "");
    EXPECT_TRUE(IsStableName(link));
    EXPECT_TRUE(IsStableName("/dev/serial/by-id/usb-Maker_Meter_2-if00"));  // not there yet
    EXPECT_FALSE(IsStableName("/dev/null"));
    EXPECT_TRUE(ReadStableLinks(folder + "/missing").empty());
}

TEST_F(LinkFolder, TheCatalogFollowsADeviceToItsNewNodeAndSeesNewOnesOnlyWhenReadAgain) {
    PseudoTerminal first, second, later;
    ASSERT_TRUE(first.Ready() && second.Ready() && later.Ready());
    Link("usb-Maker_Meter_1-if00", first.Path());
    QtPortCatalog catalog(folder);

    // The linked device is numbered among the USB devices, named by its link.
    int meter = 0;
    for (std::size_t i = 0; i < catalog.Ports().size(); ++i) {
        if (catalog.Ports()[i].stableLink == folder + "/usb-Maker_Meter_1-if00")
            meter = static_cast<int>(i + 1);
    }
    ASSERT_GT(meter, 0);
    EXPECT_TRUE(catalog.Ports()[static_cast<std::size_t>(meter) - 1].usb);
    EXPECT_NE(catalog.Describe(meter).find("usb-Maker_Meter_1-if00"), std::string::npos);
    EXPECT_EQ(catalog.DevicePath(meter), fs::canonical(first.Path()).string());
    EXPECT_TRUE(catalog.Exists(meter));

    // It restarts: off the bus (no link), then back under another node. No rescan is needed.
    ::unlink((folder + "/usb-Maker_Meter_1-if00").c_str());
    EXPECT_EQ(catalog.DevicePath(meter), "");
    EXPECT_FALSE(catalog.Exists(meter));
    Link("usb-Maker_Meter_1-if00", second.Path());
    EXPECT_EQ(catalog.DevicePath(meter), fs::canonical(second.Path()).string());

    // A device plugged in after the list was read is there once it is read again.
    const std::size_t before = catalog.Ports().size();
    Link("usb-Maker_Meter_2-if00", later.Path());
    EXPECT_EQ(catalog.Ports().size(), before);
    catalog.Rescan();
    EXPECT_EQ(catalog.Ports().size(), before + 1);
}

TEST_F(LinkFolder, AStableLinkGivenByHandIsFollowedAtEveryOpening) {
    PseudoTerminal first, second;
    ASSERT_TRUE(first.Ready() && second.Ready());
    const std::string link = Link("usb-Maker_Meter_1-if00", first.Path());
    FixedPortCatalog machine;
    ManualPortCatalog ports(machine, link);
    EXPECT_EQ(ports.DevicePath(1), fs::canonical(first.Path()).string());
    Link("usb-Maker_Meter_1-if00", second.Path());
    EXPECT_EQ(ports.DevicePath(1), fs::canonical(second.Path()).string());
    ::unlink(link.c_str());
    EXPECT_EQ(ports.DevicePath(1), "");
    ports.Rescan();
    EXPECT_EQ(machine.rescans, 1);
}

TEST_F(LinkFolder, AUsbDeviceIsPlacedByItsInterfaceInSysfs) {
    // /sys/class/tty/<name>/device points into /sys/devices: at the interface for the modem
    // class, at the port below the interface for converters.
    const std::string devices = folder + "/devices/usb1/1-2/1-2:1.0";
    fs::create_directories(devices + "/ttyUSB0");
    fs::create_directories(folder + "/class/ttyACM0");
    fs::create_directories(folder + "/class/ttyUSB0");
    fs::create_directory_symlink(devices, folder + "/class/ttyACM0/device");
    fs::create_directory_symlink(devices + "/ttyUSB0", folder + "/class/ttyUSB0/device");
    const std::string sysClassTty = folder + "/class";
    EXPECT_EQ(UsbLocation("ttyACM0", sysClassTty), fs::canonical(devices).string());
    EXPECT_EQ(UsbLocation("ttyUSB0", sysClassTty), fs::canonical(devices).string());
    EXPECT_EQ(UsbLocation("ttyS0", sysClassTty), "");
    EXPECT_EQ(UsbLocation("../class/ttyACM0", sysClassTty), "");
}

}  // namespace
}  // namespace kell::testing
