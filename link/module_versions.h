#pragma once

#include <cstdint>
#include <functional>

#include "link/agreed_reading.h"
#include "link/link_context.h"

namespace kell {

// What the MPEG4 module reports about itself; the initial values mean "not reported".
struct ModuleVersions {
    std::uint16_t softwareVersion = 0x00FF;
    std::uint16_t build = 0x00FF;
    std::uint8_t bootVersion = 0xFF;
    std::uint8_t decodersVersion = 0xFF;

    bool operator==(const ModuleVersions&) const = default;
};

// Asks the MPEG4 module for its versions (0xBF) and serial number (0xC0). The record is reset
// first and keeps what was stored before the first missing byte. `ensureConnected`, when
// given, is run first: it connects if need be and tells whether the instrument is connected.
// True when every byte of the versions arrived (the serial number's reply does not count).
bool ReadModuleVersions(LinkContext& link, ModuleVersions& versions,
                        const std::function<bool()>& ensureConnected = {});
// The versions asked until two of their replies agree (see agreed_reading.h).
AgreedReading<ModuleVersions> ReadAgreedModuleVersions(
    LinkContext& link, const std::function<bool()>& ensureConnected = {});

}  // namespace kell
