#include "platform/qt/manual_port_catalog.h"

#include <charconv>

#include "platform/qt/stable_links.h"

namespace kell {

ManualPortCatalog::ManualPortCatalog(PortCatalog& inner, std::string path)
    : inner_(inner), path_(std::move(path)), stableName_(IsStableName(path_)) {}

std::string ManualPortCatalog::Node() const {
    return stableName_ ? FollowLink(path_) : path_;
}

bool ManualPortCatalog::Exists(int number) {
    if (!Active())
        return inner_.Exists(number);
    return number == kManualPortNumber;
}

void ManualPortCatalog::Rescan() {
    inner_.Rescan();
}

std::vector<std::string> ManualPortCatalog::SystemPortNames() {
    if (!Active())
        return inner_.SystemPortNames();
    return {"COM" + std::to_string(kManualPortNumber)};
}

std::string ManualPortCatalog::DevicePath(int number) {
    if (!Active())
        return inner_.DevicePath(number);
    return number == kManualPortNumber ? Node() : std::string();
}

std::string ManualPortCatalog::Describe(int number) {
    if (!Active())
        return inner_.Describe(number);
    if (number != kManualPortNumber)
        return {};
    // The wrapped catalog's ports are the numbers its list of names gives ("COM3" is port 3).
    const std::string node = Node();
    for (const std::string& name : inner_.SystemPortNames()) {
        if (name.rfind("COM", 0) != 0)
            continue;
        int n = 0;
        std::from_chars(name.data() + 3, name.data() + name.size(), n);
        if (n > 0 && !node.empty() && inner_.DevicePath(n) == node)
            return inner_.Describe(n);
    }
    return path_;
}

}  // namespace kell
