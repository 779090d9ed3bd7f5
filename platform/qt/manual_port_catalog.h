#pragma once

#include <string>

#include "platform/port_catalog.h"

namespace kell {

// Makes one device path given by the user (a front end's --port PATH, e.g. the pseudo-terminal
// of the simulator) the machine's only port: it is port 1 and every other port is hidden, so
// that the default port number, the manual choice and the automatic search all reach it. With
// an empty path the wrapped catalog shows through unchanged.
class ManualPortCatalog : public PortCatalog {
  public:
    static constexpr int kManualPortNumber = 1;

    ManualPortCatalog(PortCatalog& inner, std::string path);

    bool Active() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }

    // Port 1 exists (the user named it; whether it opens is the open's business).
    bool Exists(int number) override;
    std::vector<std::string> SystemPortNames() override;
    std::string DevicePath(int number) override;
    // The wrapped catalog's description when it lists the same device, else the path.
    std::string Describe(int number) override;

  private:
    PortCatalog& inner_;
    std::string path_;
};

}  // namespace kell
