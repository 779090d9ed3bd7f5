#pragma once

#include <string>

namespace kell {

// Where the USB serial device behind tty `name` sits on the bus: the sysfs path of its USB
// interface ("/sys/devices/.../usb1/1-2/1-2:1.0"), which stays the same when the device drops
// off the bus and comes back in the same socket under another node. Empty for a device that
// is not on a bus sysfs shows (a pseudo-terminal) or a name that is no plain tty name.
std::string UsbLocation(const std::string& name, const std::string& sysClassTty = "/sys/class/tty");

}  // namespace kell
