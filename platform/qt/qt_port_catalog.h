#pragma once

#include <string>
#include <vector>

#include "platform/port_catalog.h"
#include "platform/qt/port_order.h"

namespace kell {

// The machine's serial ports as Qt lists them, numbered 1, 2, ... in the order of OrderPorts
// (USB serial devices first). The list is taken once at construction, so a number keeps its
// device for the whole run; Refresh() takes it again.
class QtPortCatalog : public PortCatalog {
  public:
    QtPortCatalog();

    void Refresh();
    const std::vector<SerialPortEntry>& Ports() const { return ports_; }

    // True for a number of the list whose device node is still there.
    bool Exists(int number) override;
    // "COM1", "COM2", ... for every port of the list, in its order.
    std::vector<std::string> SystemPortNames() override;
    std::string DevicePath(int number) override;
    // "ttyACM0 — <what the system says it is>", or the bare name when it says nothing.
    std::string Describe(int number) override;

    // The system's ports as Qt reports them, before ordering.
    static std::vector<SerialPortEntry> ListSystemPorts();

  private:
    const SerialPortEntry* Find(int number) const;

    std::vector<SerialPortEntry> ports_;
};

// The text the manual panel shows for a port.
std::string DescribePort(const SerialPortEntry& port);

}  // namespace kell
