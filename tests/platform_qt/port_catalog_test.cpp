#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "platform/qt/manual_port_catalog.h"
#include "platform/qt/port_order.h"
#include "platform/qt/qt_port_catalog.h"
#include "platform/qt/uart_presence.h"
#include "platform/virtual/test_doubles.h"

namespace kell::testing {
namespace {

SerialPortEntry Port(const std::string& name, bool usb = false, bool noHardware = false) {
    SerialPortEntry entry;
    entry.name = name;
    entry.path = "/dev/" + name;
    entry.usb = usb;
    entry.noHardware = noHardware;
    return entry;
}

std::vector<std::string> Names(const std::vector<SerialPortEntry>& ports) {
    std::vector<std::string> names;
    for (const auto& p : ports)
        names.push_back(p.name);
    return names;
}

TEST(PortOrder, UsbSerialDevicesFirstThenTheOthersByName) {
    const auto ordered = OrderPorts({Port("ttyS10"), Port("ttyUSB0"), Port("ttyS2"),
                                     Port("ttyACM1"), Port("rfcomm0"), Port("ttyACM10"),
                                     Port("ttyACM2"), Port("ttyAMA0"), Port("ttyS0")});
    EXPECT_EQ(Names(ordered),
              (std::vector<std::string>{"ttyACM1", "ttyACM2", "ttyACM10", "ttyUSB0", "rfcomm0",
                                        "ttyAMA0", "ttyS0", "ttyS2", "ttyS10"}));
}

TEST(PortOrder, PortsWithoutHardwareAreDropped) {
    const auto ordered =
        OrderPorts({Port("ttyS0", false, true), Port("ttyS1"), Port("ttyS2", false, true)});
    EXPECT_EQ(Names(ordered), std::vector<std::string>{"ttyS1"});
}

TEST(PortOrder, ADeviceWithAUsbVendorCountsAsUsbWhateverItsName) {
    const auto ordered = OrderPorts({Port("ttyS0"), Port("ttyXRUSB0", true), Port("ttyUSB3")});
    EXPECT_EQ(Names(ordered), (std::vector<std::string>{"ttyUSB3", "ttyXRUSB0", "ttyS0"}));
}

TEST(PortOrder, ADevicePathListedTwiceIsNumberedOnce) {
    auto again = Port("ttyACM0");
    again.description = "second listing";
    const auto ordered = OrderPorts({Port("ttyACM0"), again, Port("ttyS0")});
    ASSERT_EQ(ordered.size(), 2u);
    EXPECT_EQ(ordered[0].description, "");
}

TEST(PortOrder, NaturalOrderReadsNumbersAsNumbers) {
    EXPECT_TRUE(NaturalLess("ttyS2", "ttyS10"));
    EXPECT_FALSE(NaturalLess("ttyS10", "ttyS2"));
    EXPECT_TRUE(NaturalLess("ttyACM9", "ttyACM10"));
    EXPECT_TRUE(NaturalLess("tty", "ttyS0"));
    EXPECT_TRUE(NaturalLess("ttyACM5", "ttyS0"));
    EXPECT_TRUE(NaturalLess("ttyS007", "ttyS10"));
    EXPECT_FALSE(NaturalLess("ttyS1", "ttyS1"));
    // Leading zeros make no other number, but the order stays strict.
    EXPECT_NE(NaturalLess("ttyS01", "ttyS1"), NaturalLess("ttyS1", "ttyS01"));
    EXPECT_TRUE(NaturalLess("ttyS99999999999999999999", "ttyS100000000000000000000"));
}

TEST(PortOrder, UsbNamesAreTheLinuxUsbSerialDrivers) {
    EXPECT_TRUE(IsUsbSerialName("ttyACM0"));
    EXPECT_TRUE(IsUsbSerialName("ttyUSB12"));
    EXPECT_FALSE(IsUsbSerialName("ttyS0"));
    EXPECT_FALSE(IsUsbSerialName("xttyACM0"));
}

// A made-up /sys/class/tty with the serial core's type attribute.
struct FakeSysfs : ::testing::Test {
    std::string root = ::testing::TempDir() + "/kell-sysfs-tty";

    void Port(const std::string& name, const std::string* type) {
        ::mkdir(root.c_str(), 0755);
        const std::string dir = root + "/" + name;
        ::mkdir(dir.c_str(), 0755);
        if (type)
            std::ofstream(dir + "/type") << *type << "\n";
    }
};

TEST_F(FakeSysfs, OnlyASerialCorePortOfTypeUnknownLacksAUart) {
    const std::string unknown = "0", uart16550a = "4", garbage = "x";
    Port("ttyS0", &uart16550a);
    Port("ttyS1", &unknown);
    Port("ttyS2", &garbage);
    Port("ttyACM0", nullptr);
    EXPECT_FALSE(SerialPortLacksUart("ttyS0", root));
    EXPECT_TRUE(SerialPortLacksUart("ttyS1", root));
    EXPECT_FALSE(SerialPortLacksUart("ttyS2", root));
    EXPECT_FALSE(SerialPortLacksUart("ttyACM0", root));
    EXPECT_FALSE(SerialPortLacksUart("ttyS9", root));
    EXPECT_FALSE(SerialPortLacksUart("../ttyS1", root));
}

TEST(QtPortCatalog, NumbersTheMachinesPortsFromOne) {
    QtPortCatalog catalog;
    const auto& ports = catalog.Ports();
    const auto names = catalog.SystemPortNames();
    ASSERT_EQ(names.size(), ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const int n = static_cast<int>(i + 1);
        EXPECT_EQ(names[i], "COM" + std::to_string(n));
        EXPECT_EQ(catalog.DevicePath(n), ports[i].path);
        EXPECT_EQ(catalog.Describe(n).rfind(ports[i].name, 0), 0u);
        EXPECT_FALSE(SerialPortLacksUart(ports[i].name));
    }
    const int past = static_cast<int>(ports.size()) + 1;
    EXPECT_FALSE(catalog.Exists(0));
    EXPECT_FALSE(catalog.Exists(past));
    EXPECT_EQ(catalog.DevicePath(past), "");
    EXPECT_EQ(catalog.Describe(-1), "");
    catalog.Rescan();
    EXPECT_EQ(catalog.Ports().size(), ports.size());
}

TEST(QtPortCatalog, DescriptionNamesTheDeviceAndWhatItIs) {
    SerialPortEntry port = Port("ttyACM0", true);
    EXPECT_EQ(DescribePort(port), "ttyACM0");
    port.description = "Kell Series";
    EXPECT_EQ(DescribePort(port), "ttyACM0 \u2014 Kell Series");
}

TEST(ManualPortCatalog, TheGivenPathIsPortOneAndTheOnlyPort) {
    FixedPortCatalog machine;
    machine.Set(1, "/dev/ttyACM0");
    machine.Set(3, "/dev/ttyS0");
    machine.SetSystemNames({"COM1", "COM3"});
    ManualPortCatalog ports(machine, "/dev/pts/7");
    EXPECT_TRUE(ports.Exists(1));
    EXPECT_FALSE(ports.Exists(2));
    EXPECT_FALSE(ports.Exists(3));
    EXPECT_EQ(ports.SystemPortNames(), std::vector<std::string>{"COM1"});
    EXPECT_EQ(ports.DevicePath(1), "/dev/pts/7");
    EXPECT_EQ(ports.DevicePath(3), "");
    EXPECT_EQ(ports.Describe(1), "/dev/pts/7");
    EXPECT_EQ(ports.Describe(3), "");
}

TEST(ManualPortCatalog, AListedDeviceKeepsItsDescription) {
    FixedPortCatalog machine;
    machine.Set(1, "/dev/ttyACM0");
    machine.Set(12, "/dev/ttyUSB0");
    machine.SetSystemNames({"COM1", "LPT1", "COM12:", "COM99999999999999"});
    ManualPortCatalog ports(machine, "/dev/ttyUSB0");
    EXPECT_EQ(ports.DevicePath(1), "/dev/ttyUSB0");
    EXPECT_EQ(ports.Describe(1), "/dev/ttyUSB0");  // FixedPortCatalog describes by path
}

TEST(ManualPortCatalog, WithoutAPathTheMachinesPortsShowThrough) {
    FixedPortCatalog machine;
    machine.Set(2, "/dev/ttyACM0");
    machine.SetSystemNames({"COM2"});
    ManualPortCatalog ports(machine, "");
    EXPECT_FALSE(ports.Active());
    EXPECT_TRUE(ports.Exists(2));
    EXPECT_FALSE(ports.Exists(1));
    EXPECT_EQ(ports.DevicePath(2), "/dev/ttyACM0");
    EXPECT_EQ(ports.SystemPortNames(), std::vector<std::string>{"COM2"});
}

}  // namespace
}  // namespace kell::testing
