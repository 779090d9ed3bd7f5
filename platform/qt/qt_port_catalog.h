#pragma once

#include <string>
#include <vector>

#include "platform/port_catalog.h"
#include "platform/qt/port_order.h"
#include "platform/qt/stable_links.h"

namespace kell {

// The machine's serial ports as Qt lists them, together with the devices of the stable-link
// folder, numbered 1, 2, ... in the order of OrderPorts (USB serial devices first). The numbers
// are given anew by Rescan (each search, each fill of the manual panel's list); between two
// rescans a number names one device, not one path: every DevicePath follows the device to the
// node it has at that moment (through its stable link, else its USB identity), so an
// instrument that comes back under another name after a restart is still port n.
class QtPortCatalog : public PortCatalog {
  public:
    explicit QtPortCatalog(std::string stableLinkFolder = StableLinkFolder());

    void Rescan() override;
    const std::vector<SerialPortEntry>& Ports() const { return ports_; }

    // True for a number of the list whose device has a node now.
    bool Exists(int number) override;
    // "COM1", "COM2", ... for every port of the list, in its order.
    std::vector<std::string> SystemPortNames() override;
    // The node of port n's device now; "" while the device is off the bus.
    std::string DevicePath(int number) override;
    // Its stable link, else its USB identity, else its node with links resolved.
    std::string DeviceIdentity(int number) override;
    // "ttyACM0 — <what the system says it is>", or the bare name when it says nothing.
    std::string Describe(int number) override;

    // The system's ports as Qt reports them, with the devices the stable-link folder names
    // (a device Qt does not list, such as the simulated instrument's pseudo-terminal, is
    // added under its link's name), before ordering.
    static std::vector<SerialPortEntry> ListSystemPorts(const std::string& stableLinkFolder);

  private:
    const SerialPortEntry* Find(int number) const;

    std::string stableLinkFolder_;
    std::vector<SerialPortEntry> ports_;
};

// The text the manual panel shows for a port.
std::string DescribePort(const SerialPortEntry& port);

}  // namespace kell
