#include "platform/qt/serial_port_entry.h"

namespace kell {

bool SameDevice(const SerialPortEntry& known, const SerialPortEntry& listed) {
    if (!known.stableLink.empty())
        return known.stableLink == listed.stableLink;
    if (known.usb && (!known.serialNumber.empty() || !known.usbLocation.empty())) {
        if (!listed.usb || known.vendorId != listed.vendorId || known.productId != listed.productId)
            return false;
        if (!known.serialNumber.empty())
            return known.serialNumber == listed.serialNumber;
        return known.usbLocation == listed.usbLocation;
    }
    return known.path == listed.path;
}

}  // namespace kell
