#include "platform/qt/usb_location.h"

#include <filesystem>

namespace kell {

namespace fs = std::filesystem;

std::string UsbLocation(const std::string& name, const std::string& sysClassTty) {
    if (name.empty() || name.find('/') != std::string::npos || name == "..")
        return {};
    std::error_code error;
    fs::path device = fs::canonical(fs::path(sysClassTty) / name / "device", error);
    if (error)
        return {};
    // USB converters hang their port below the interface (".../1-2:1.0/ttyUSB0"); the modem
    // class's device is the interface itself.
    if (device.filename() == name)
        device = device.parent_path();
    return device.string();
}

}  // namespace kell
