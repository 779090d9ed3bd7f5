#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "app/ventana_brisca.h"
#include "platform/seams.h"
#include "platform/virtual/test_doubles.h"
#include "platform/virtual/virtual_clock.h"
#include "platform/virtual/virtual_line.h"

namespace kell::testing {

// A directory of its own for one test, removed with everything in it afterwards.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Writes the bytes to name inside the directory; returns the file's path.
    std::string Write(const std::string& name, const std::string& bytes) const;

  private:
    std::string path_;
};

// One Intel HEX line with its checksum and CR LF.
std::string HexLine(std::uint8_t type, std::uint16_t address,
                    const std::vector<std::uint8_t>& data);
std::string UpperAddressLine(std::uint16_t upper);
std::string DataLine(std::uint16_t address, const std::string& ascii);
std::string EndOfFileLine();

// An image laid out like the instrument's firmware: a few data records in each of the pages,
// with the release and build text at bank 0xC3 (upper address 0x0018).
std::string SyntheticImage(std::initializer_list<std::uint16_t> pages, const std::string& release,
                           const std::string& build);

inline std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The seams on virtual time, with a port 1 whose far end records what it receives.
struct VirtualWorld {
    struct Recorder : LineDevice {
        void OnByteFromHost(std::uint8_t byte) override { received.push_back(byte); }
        std::vector<std::uint8_t> received;
    };

    VirtualWorld();

    // Declared first so that it outlives the serial device, which tells it when it closes.
    Recorder device;
    VirtualClock clock;
    VirtualLine line{clock};
    VirtualLineSet lines;
    VirtualSerialDevice serial{lines};
    ScriptedEventPump pump{&clock};
    RecordingNotifier notifier;
    FixedPortCatalog ports;
    Seams seams{clock, serial, pump, notifier, ports};
};

}  // namespace kell::testing
