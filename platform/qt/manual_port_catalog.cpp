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

int ManualPortCatalog::InnerNumber() {
    // The wrapped catalog's ports are the numbers its list of names gives ("COM3" is port 3).
    const std::string node = Node();
    if (node.empty())
        return 0;
    for (const std::string& name : inner_.SystemPortNames()) {
        if (name.rfind("COM", 0) != 0)
            continue;
        int n = 0;
        std::from_chars(name.data() + 3, name.data() + name.size(), n);
        if (n > 0 && inner_.DevicePath(n) == node)
            return n;
    }
    return 0;
}

std::string ManualPortCatalog::Describe(int number) {
    if (!Active())
        return inner_.Describe(number);
    if (number != kManualPortNumber)
        return {};
    const int inner = InnerNumber();
    return inner > 0 ? inner_.Describe(inner) : path_;
}

std::string ManualPortCatalog::DeviceIdentity(int number) {
    if (!Active())
        return inner_.DeviceIdentity(number);
    if (number != kManualPortNumber)
        return {};
    if (stableName_)
        return path_;
    const int inner = InnerNumber();
    return inner > 0 ? inner_.DeviceIdentity(inner) : ResolvedPath(path_);
}

}  // namespace kell
