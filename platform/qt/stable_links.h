#pragma once

#include <string>
#include <vector>

namespace kell {

// udev's stable names for serial devices. A USB serial device gets its node (/dev/ttyACM0) when
// it enumerates, and may get another one when it drops off the bus and comes back (an
// instrument that restarts while this program still holds its old node open). The links in
// /dev/serial/by-id are named after the device's identity and always point at its node of the
// moment.
struct StableLink {
    std::string link;  // "/dev/serial/by-id/usb-Maker_Meter_0001-if00"
    std::string node;  // what it points at now: "/dev/ttyACM1"
};

// The folder of stable links: $KELL_SERIAL_BY_ID when set (tests point it at the simulated
// instrument's folder), else udev's /dev/serial/by-id.
std::string StableLinkFolder();

// The links of the folder whose device is there now, in name order; none when the folder is
// missing (no USB serial device is plugged in).
std::vector<StableLink> ReadStableLinks(const std::string& folder);

// Whether the path is a stable name to follow rather than a node: a symbolic link now, or a
// path in udev's folders of stable names (whose link may be missing while the device is off
// the bus).
bool IsStableName(const std::string& path);

// The node a stable name points at this moment, followed anew at each call; "" while the link
// is missing or points nowhere (the device is off the bus).
std::string FollowLink(const std::string& link);

// The path with every link in it resolved, as far as it exists; the path itself when it cannot
// be resolved.
std::string ResolvedPath(const std::string& path);

}  // namespace kell
