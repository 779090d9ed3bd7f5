#include "platform/qt/qt_port_catalog.h"

#include <unistd.h>

#include <QSerialPortInfo>

#include "platform/qt/uart_presence.h"

namespace kell {

QtPortCatalog::QtPortCatalog() {
    Refresh();
}

void QtPortCatalog::Refresh() {
    ports_ = OrderPorts(ListSystemPorts());
}

std::vector<SerialPortEntry> QtPortCatalog::ListSystemPorts() {
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
        found.push_back(std::move(entry));
    }
    return found;
}

const SerialPortEntry* QtPortCatalog::Find(int number) const {
    if (number < 1 || static_cast<std::size_t>(number) > ports_.size())
        return nullptr;
    return &ports_[static_cast<std::size_t>(number) - 1];
}

bool QtPortCatalog::Exists(int number) {
    const SerialPortEntry* port = Find(number);
    return port && ::access(port->path.c_str(), F_OK) == 0;
}

std::vector<std::string> QtPortCatalog::SystemPortNames() {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < ports_.size(); ++i)
        names.push_back("COM" + std::to_string(i + 1));
    return names;
}

std::string QtPortCatalog::DevicePath(int number) {
    const SerialPortEntry* port = Find(number);
    return port ? port->path : std::string();
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
