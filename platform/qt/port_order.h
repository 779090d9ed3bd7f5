#pragma once

#include <string>
#include <vector>

#include "platform/qt/serial_port_entry.h"

namespace kell {

// The names USB serial devices get on Linux: ttyACM* (modem class) and ttyUSB* (converters).
bool IsUsbSerialName(const std::string& name);

// Name order that reads digit runs as numbers, so that ttyS2 comes before ttyS10.
bool NaturalLess(const std::string& a, const std::string& b);

// The order ports are numbered in (port 1 first): ports without hardware are dropped; USB
// serial devices come first, then the others, each group in natural name order. A device path
// listed twice keeps its first entry.
std::vector<SerialPortEntry> OrderPorts(std::vector<SerialPortEntry> ports);

}  // namespace kell
