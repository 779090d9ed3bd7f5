#include <array>
#include <string>

#include "config/maintenance_answer.h"
#include "config/param_defecto.h"
#include "link/byte_wait.h"

namespace kell {

namespace {

// The instrument answers the erase of a sector with the sector's number.
constexpr std::uint8_t kEraseCommand = 0x0C;
constexpr std::uint32_t kPauseAfterEraseMs = 500;
constexpr const char* kSectorFailedText = "Error al borrar sector";

constexpr std::array<std::uint8_t, 1> kTableSectors = {1};
constexpr std::array<std::uint8_t, 1> kMemorySectors = {39};
constexpr std::array<std::uint8_t, 1> kMacroMeasurementSectors = {40};
constexpr std::array<std::uint8_t, 4> kLogSectors = {43, 44, 45, 46};

}  // namespace

bool TFParam_defecto::EraseSector(std::uint8_t sector) {
    LinkContext& link = session.link;
    const std::string number = std::to_string(sector);
    Panel_accion.caption = "Borrando sector ..." + number;

    link.serial.Drain();
    const std::uint8_t command[] = {kEraseCommand, sector};
    if (SendBytes(link, command) != static_cast<int>(std::size(command))) {
        Panel_accion.caption = kSectorFailedText;
        return false;
    }
    if (AwaitMaintenanceAnswer(link) != sector) {
        Panel_accion.caption = kSectorFailedText;
        return false;
    }
    Panel_accion.caption = "Sector " + number + " borrado";
    link.clock.SleepMs(kPauseAfterEraseMs);
    link.serial.Drain();
    return true;
}

bool TFParam_defecto::EraseArea(std::span<const std::uint8_t> sectors, const EraseTexts& texts) {
    Panel_estado.caption = texts.start;
    for (std::uint8_t sector : sectors) {
        if (!EraseSector(sector)) {
            Panel_estado.caption = texts.failure;
            return false;
        }
    }
    Panel_estado.caption = texts.success;
    session.link.clock.SleepMs(kPauseAfterEraseMs);
    return true;
}

bool TFParam_defecto::EraseTables() {
    return EraseArea(kTableSectors,
                     {"Borrando tablas ...", "Error al borrar tablas", "Tablas borradas"});
}

bool TFParam_defecto::EraseMemories() {
    return EraseArea(kMemorySectors,
                     {"Borrando memorias ...", "Error al borrar memorias", "Memorias borradas"});
}

bool TFParam_defecto::EraseMacroMeasurements() {
    return EraseArea(
        kMacroMeasurementSectors,
        {"Borrando macromedidas ...", "Error al borrar macromedidas", "Macromedidas borradas"});
}

bool TFParam_defecto::EraseLogs() {
    return EraseArea(kLogSectors, {"Borrando logs ...", "Error al borrar logs", "Logs borrados"});
}

}  // namespace kell
