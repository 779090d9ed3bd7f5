#pragma once

#include <cstdint>
#include <string>

namespace kell {

// One serial device as the system lists it, with what names it across re-enumerations: on
// Linux a USB device's node (/dev/ttyACM0) is handed out when it enumerates, so an instrument
// that restarts may come back under another one.
struct SerialPortEntry {
    std::string name;         // "ttyACM0"
    std::string path;         // "/dev/ttyACM0", the node when it was listed
    std::string description;  // what the system says the device is; may be empty
    bool usb = false;         // the system knows a USB vendor for it
    bool noHardware = false;  // a legacy port the kernel lists although no UART is behind it

    std::string stableLink;  // udev's by-id link to it, empty when there is none
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string serialNumber;  // the USB serial number, empty when the device has none
    std::string usbLocation;   // where it sits on the bus, for a device without a serial number
};

// Whether `listed`, from a listing made now, is the device `known` from an earlier listing:
// by its stable link where it has one, else by its USB identity (vendor, product and serial
// number, or its place on the bus when it has no serial number), else by its path.
bool SameDevice(const SerialPortEntry& known, const SerialPortEntry& listed);

}  // namespace kell
