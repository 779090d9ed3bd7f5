#pragma once

#include <string>

#include "platform/port_catalog.h"

namespace kell {

// Makes one device path given by the user (a front end's --port PATH, e.g. the pseudo-terminal
// of the simulator) the machine's only port: it is port 1 and every other port is hidden, so
// that the default port number, the manual choice and the automatic search all reach it. With
// an empty path the wrapped catalog shows through unchanged. A stable link given as the path
// (/dev/serial/by-id/...) is followed anew at every opening, so the port follows the device
// when it comes back under another node.
class ManualPortCatalog : public PortCatalog {
  public:
    static constexpr int kManualPortNumber = 1;

    ManualPortCatalog(PortCatalog& inner, std::string path);

    bool Active() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }

    // Port 1 exists (the user named it; whether it opens is the open's business).
    bool Exists(int number) override;
    void Rescan() override;
    std::vector<std::string> SystemPortNames() override;
    // The path, or for a stable name the node it points at now ("" while it points nowhere).
    std::string DevicePath(int number) override;
    // The stable name given, else the wrapped catalog's identity of the device at the path,
    // else the path with links resolved: the same device named either way has one identity.
    std::string DeviceIdentity(int number) override;
    // The wrapped catalog's description when it lists the same device, else the path.
    std::string Describe(int number) override;

  private:
    std::string Node() const;
    // The wrapped catalog's number for the device at the path now, 0 when it lists none.
    int InnerNumber();

    PortCatalog& inner_;
    std::string path_;
    bool stableName_ = false;
};

}  // namespace kell
