#include "platform/qt/qt_port_catalog.h"

#include <unistd.h>

#include <QSerialPortInfo>
#include <cstdio>
#include <filesystem>

#include "platform/qt/uart_presence.h"
#include "platform/qt/usb_location.h"

namespace kell {

namespace {

// A device named only by the stable-link folder: its node's name ("pts/4" for /dev/pts/4) and
// the link's own name as what it is.
SerialPortEntry LinkedDevice(const StableLink& link) {
    SerialPortEntry entry;
    const std::string dev = "/dev/";
    entry.name = link.node.rfind(dev, 0) == 0 ? link.node.substr(dev.size()) : link.node;
    entry.path = link.node;
    entry.description = std::filesystem::path(link.link).filename().string();
    entry.usb = true;  // the folder names plug-in devices
    entry.stableLink = link.link;
    return entry;
}

}  // namespace

QtPortCatalog::QtPortCatalog(std::string stableLinkFolder)
    : stableLinkFolder_(std::move(stableLinkFolder)) {
    Rescan();
}

void QtPortCatalog::Rescan() {
    ports_ = OrderPorts(ListSystemPorts(stableLinkFolder_));
}

std::vector<SerialPortEntry> QtPortCatalog::ListSystemPorts(const std::string& stableLinkFolder) {
    std::vector<SerialPortEntry> found;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialPortEntry entry;
        entry.name = info.portName().toStdString();
        entry.path = info.systemLocation().toStdString();
        entry.description = info.description().toStdString();
        if (entry.description.empty())
            entry.description = info.manufacturer().toStdString();
        entry.usb = info.hasVendorIdentifier();
        entry.noHardware = SerialPortLacksUart(entry.name);
        if (entry.usb) {
            entry.vendorId = info.vendorIdentifier();
            entry.productId = info.hasProductIdentifier() ? info.productIdentifier() : 0;
            entry.serialNumber = info.serialNumber().toStdString();
            entry.usbLocation = UsbLocation(entry.name);
        }
        found.push_back(std::move(entry));
    }
    for (const StableLink& link : ReadStableLinks(stableLinkFolder)) {
        bool listed = false;
        for (SerialPortEntry& entry : found) {
            if (entry.path != link.node)
                continue;
            listed = true;
            if (entry.stableLink.empty())
                entry.stableLink = link.link;
        }
        if (!listed)
            found.push_back(LinkedDevice(link));
    }
    return found;
}

const SerialPortEntry* QtPortCatalog::Find(int number) const {
    if (number < 1 || static_cast<std::size_t>(number) > ports_.size())
        return nullptr;
    return &ports_[static_cast<std::size_t>(number) - 1];
}

bool QtPortCatalog::Exists(int number) {
    const std::string node = DevicePath(number);
    return !node.empty() && ::access(node.c_str(), F_OK) == 0;
}

std::vector<std::string> QtPortCatalog::SystemPortNames() {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < ports_.size(); ++i)
        names.push_back("COM" + std::to_string(i + 1));
    return names;
}

std::string QtPortCatalog::DevicePath(int number) {
    const SerialPortEntry* port = Find(number);
    if (!port)
        return {};
    if (!port->stableLink.empty())
        return FollowLink(port->stableLink);
    const bool identified =
        port->usb && (!port->serialNumber.empty() || !port->usbLocation.empty());
    if (!identified)
        return port->path;
    // A USB device without a stable link: looked up by its identity in the list of now.
    for (const SerialPortEntry& now : ListSystemPorts(stableLinkFolder_)) {
        if (SameDevice(*port, now))
            return now.path;
    }
    return {};
}

std::string QtPortCatalog::DeviceIdentity(int number) {
    const SerialPortEntry* port = Find(number);
    if (!port)
        return {};
    if (!port->stableLink.empty())
        return port->stableLink;
    char usb[16];
    std::snprintf(usb, sizeof usb, "usb:%04x:%04x", port->vendorId, port->productId);
    if (port->usb && !port->serialNumber.empty())
        return std::string(usb) + ":" + port->serialNumber;
    if (port->usb && !port->usbLocation.empty())
        return std::string(usb) + "@" + port->usbLocation;
    return ResolvedPath(port->path);
}

std::string QtPortCatalog::Describe(int number) {
    const SerialPortEntry* port = Find(number);
    return port ? DescribePort(*port) : std::string();
}

std::string DescribePort(const SerialPortEntry& port) {
    if (port.description.empty())
        return port.name;
    return port.name + " \u2014 " + port.description;
}

}  // namespace kell
