#pragma once

#include <string>

namespace kell {

// The name of profile 0 to 3 in the zone's language, as the bytes of the zone's character set
// (ISO 8859-1; zone 7 ISO 8859-5, zone 8 ISO 8859-2). Profiles 2 and 3 take the zone's third
// name followed by "1" or "2". Zones without names (10 and up) give empty names.
std::string ProfileName(int profile, int zone);

}  // namespace kell
