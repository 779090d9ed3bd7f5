// Changing the line speed: the instrument's loader first, then the PC's port.
#include <array>
#include <optional>

#include "app/ventana_brisca.h"
#include "link/loader_frames.h"

namespace kell {
namespace {

constexpr std::uint32_t kSpeedSettleMs = 500;
constexpr std::uint8_t kSpeedSelector = 0;
constexpr std::uint16_t kSpeedWord = 0xFEB4;
constexpr int kSpeedFailure = 8;

// The loader's code for a line speed.
std::optional<std::uint8_t> SpeedCode(int speed) {
    switch (speed) {
        case 500000:
            return 1;
        case 250000:
            return 3;
        case 115200:
            return 8;
        default:
            return std::nullopt;
    }
}

}  // namespace

bool Tventana_brisca::SetInstrumentBaud(int speed) {
    const std::optional<std::uint8_t> code = SpeedCode(speed);
    if (!code) {
        // The loader knows no code for it; asking with a guessed one could leave the two ends
        // at different speeds.
        if (state_.resultCode == 0)
            state_.resultCode = kSpeedFailure;
        return true;
    }
    const std::array<std::uint8_t, 2> request = {*code, 0x00};
    LinkContext link = Link();
    bool sent = SendLoaderBlocks(link, request.size(), request, controls.Barra_progreso);
    if (sent) {
        seams.clock.SleepMs(kSpeedSettleMs);
        sent = SendLoaderCall(link, request.size(), request, kSpeedSelector, kSpeedWord);
    }
    if (!sent && state_.resultCode == 0)
        state_.resultCode = kSpeedFailure;
    return true;
}

bool Tventana_brisca::SetPortBaud(int speed) {
    connection_.PortSettings.BaudRate = static_cast<std::uint32_t>(speed);
    monitorPSerie.Configure(connection_.portNumber, connection_.PortSettings);
    return true;
}

}  // namespace kell
