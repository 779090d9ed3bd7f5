#pragma once

#include <string>
#include <vector>

namespace kell {

// The machine's serial ports as the updater numbers them: port n is "COMn" to the user. The
// numbering puts USB serial devices first; the mapping from a number to a device lives here only.
class PortCatalog {
  public:
    virtual ~PortCatalog() = default;

    // Whether numbered port n exists now (the per-number probe of the search).
    virtual bool Exists(int number) = 0;
    // The system's list of port names ("COM3", "COM20:", "LPT1" ...) in the system's order.
    virtual std::vector<std::string> SystemPortNames() = 0;
    // Device path behind port n ("/dev/ttyACM0"), empty when there is none.
    virtual std::string DevicePath(int number) = 0;
    // Short human description of port n for the manual panel ("ttyACM0"), empty when none.
    virtual std::string Describe(int number) = 0;
};

}  // namespace kell
