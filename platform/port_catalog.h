#pragma once

#include <string>
#include <vector>

namespace kell {

// The machine's serial ports as the updater numbers them: port n is "COMn" to the user. The
// numbering puts USB serial devices first; the mapping from a number to a device lives here only.
// A number names a device, not a path: a USB device that drops off the bus and comes back may
// get another node, and port n follows it.
class PortCatalog {
  public:
    virtual ~PortCatalog() = default;

    // Reads the system's list again and numbers its ports anew (a device plugged in since the
    // last one is there now). Each search and each fill of the manual panel's list start with
    // it; between two rescans a number keeps naming the same device.
    virtual void Rescan() {}
    // Whether numbered port n exists now (the per-number probe of the search).
    virtual bool Exists(int number) = 0;
    // The system's list of port names ("COM3", "COM20:", "LPT1" ...) in the system's order.
    virtual std::vector<std::string> SystemPortNames() = 0;
    // The node of port n's device at this moment ("/dev/ttyACM1"), looked up at each call;
    // empty when there is no such port or its device is off the bus.
    virtual std::string DevicePath(int number) = 0;
    // What names port n's device for good, across its nodes: the lock that keeps two copies of
    // the program off one device is taken under it. By default its node.
    virtual std::string DeviceIdentity(int number) { return DevicePath(number); }
    // Short human description of port n for the manual panel ("ttyACM0"), empty when none.
    virtual std::string Describe(int number) = 0;
};

}  // namespace kell
