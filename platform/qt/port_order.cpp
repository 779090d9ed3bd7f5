#include "platform/qt/port_order.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace kell {

namespace {

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

}  // namespace

bool IsUsbSerialName(const std::string& name) {
    return StartsWith(name, "ttyACM") || StartsWith(name, "ttyUSB");
}

bool NaturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            // Compare the digit runs as numbers of any length: skip leading zeros, then the
            // longer run is the bigger number, and equal lengths compare digit by digit.
            std::size_t ei = i, ej = j;
            while (ei < a.size() && IsDigit(a[ei]))
                ++ei;
            while (ej < b.size() && IsDigit(b[ej]))
                ++ej;
            std::size_t si = i, sj = j;
            while (si + 1 < ei && a[si] == '0')
                ++si;
            while (sj + 1 < ej && b[sj] == '0')
                ++sj;
            if (ei - si != ej - sj)
                return ei - si < ej - sj;
            const int cmp = a.compare(si, ei - si, b, sj, ej - sj);
            if (cmp != 0)
                return cmp < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return a.size() - i < b.size() - j;
    return a < b;  // same under natural order ("ttyS01" and "ttyS1"): any fixed tie-break
}

std::vector<SerialPortEntry> OrderPorts(std::vector<SerialPortEntry> ports) {
    std::vector<SerialPortEntry> kept;
    std::set<std::string> paths;
    for (auto& port : ports) {
        if (port.noHardware || !paths.insert(port.path).second)
            continue;
        kept.push_back(std::move(port));
    }
    auto isUsb = [](const SerialPortEntry& p) { return p.usb || IsUsbSerialName(p.name); };
    std::stable_sort(kept.begin(), kept.end(),
                     [&](const SerialPortEntry& a, const SerialPortEntry& b) {
                         if (isUsb(a) != isUsb(b))
                             return isUsb(a);
                         return NaturalLess(a.name, b.name);
                     });
    return kept;
}

}  // namespace kell
