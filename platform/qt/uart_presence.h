#pragma once

#include <string>

namespace kell {

// Whether the kernel lists a serial port that has no UART behind it: the serial core exposes
// the port type as <sysClassTty>/<name>/type, and type 0 means no hardware was found (the
// ttyS ports of a PC without them). Ports outside the serial core (USB, pseudo-terminals) have
// no such attribute and count as present. Reading sysfs needs no rights and, unlike opening
// the port, does not toggle its modem lines.
bool SerialPortLacksUart(const std::string& name,
                         const std::string& sysClassTty = "/sys/class/tty");

}  // namespace kell
