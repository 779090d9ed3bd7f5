#include "config/profile_names.h"

#include <array>
#include <string_view>

namespace kell {
namespace {

struct ZoneNames {
    std::string_view outlet;   // profile 0
    std::string_view headEnd;  // profile 1
    std::string_view profile;  // profiles 2 and 3, before the digit
};

// The bytes are those of each zone's character set, not UTF-8.
constexpr std::array<ZoneNames, 10> kNames = {{
    {"Toma", "Cabecera", "Perfil"},
    {"Outlet", "Head-end", "Profile"},
    {"Steckdose", "Kopfstation", "Profile"},
    {"Tomada", "Central", "Perfil"},
    {"Prise", "Station de t\xEAte", "Profil"},
    {"Presa", "Centrale", "Profilo"},
    {"Outlet", "Head-end", "Profile"},
    {"\xC0\xDE\xD7\xD5\xE2\xDA\xD0", "\xB3\xDE\xDB\xDE\xD2\x20\xE1\xE2\xD0\xDD\xE6\xD8\xEF",
     "\xBF\xE0\xDE\xE4\xD8\xDB\xEC"},
    {"Gniazdo", "Stacja czo\xB3owa", "profil"},
    {"Outlet", "Head-end", "Profile"},
}};

}  // namespace

std::string ProfileName(int profile, int zone) {
    const ZoneNames none{};
    const ZoneNames& names =
        zone >= 0 && zone < static_cast<int>(kNames.size()) ? kNames[zone] : none;
    switch (profile) {
        case 1:
            return std::string(names.headEnd);
        case 2:
            return std::string(names.profile) + "1";
        case 3:
            return std::string(names.profile) + "2";
        default:
            return std::string(names.outlet);
    }
}

}  // namespace kell
