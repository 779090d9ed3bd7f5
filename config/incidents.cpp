#include <array>

#include "config/eeprom_write.h"
#include "config/maintenance_answer.h"
#include "config/param_defecto.h"
#include "link/byte_wait.h"

namespace kell {

namespace {

constexpr std::uint8_t kIncidentBank = 8;
constexpr std::uint16_t kIncidentAddress = 0x0040;
constexpr std::size_t kIncidentAreaSize = 190;
constexpr std::uint8_t kCleared = 0xFF;
constexpr std::uint32_t kPauseAfterClearMs = 1000;
// Sent after the clear; its meaning lies in the instrument's firmware and it is not answered.
constexpr std::uint8_t kAfterClear[] = {0x0F, 0x00};

}  // namespace

bool TFParam_defecto::ClearIncidents() {
    LinkContext& link = session.link;
    std::array<std::uint8_t, kIncidentAreaSize> cleared;
    cleared.fill(kCleared);
    const std::vector<std::uint8_t> frame =
        EepromWriteFrame(EepromArea::Parameters, kIncidentBank, kIncidentAddress, cleared);

    link.serial.Drain();
    if (SendBytes(link, frame) != static_cast<int>(frame.size()))
        return false;
    const std::optional<std::uint8_t> answer = AwaitMaintenanceAnswer(link);
    if (answer != kEepromAck)
        return false;
    link.clock.SleepMs(kPauseAfterClearMs);
    link.serial.Drain();
    SendBytes(link, kAfterClear);
    return true;
}

}  // namespace kell
