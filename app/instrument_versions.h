#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "link/agreed_reading.h"
#include "link/link_context.h"
#include "link/module_versions.h"

namespace kell {

// The text at the start of `bytes`, up to its first zero byte or its end.
std::string TextUpToZero(std::span<const std::uint8_t> bytes);

// The firmware version ("2.04.00000"; "." when the instrument was silent) from its release
// (0x18:0x0010) and build (0x18:0x0016) texts, each read until two replies agree. Disagreed
// when either's replies never agreed, else Unanswered when either went unanswered.
AgreedReading<std::string> ReadFirmwareVersion(LinkContext& link);

// What the instrument reports about its components, read with the identification's read-only
// queries, each until two replies agree. A component whose replies never agreed is not agreed
// and reports nothing.
struct InstrumentVersions {
    std::string firmware;
    std::uint8_t fpgaMajor = 0;
    std::uint8_t fpgaMinor = 0;
    std::uint8_t plansTypeByte = 0;
    int plansVersion = 0;
    ModuleVersions module;
    bool firmwareAgreed = true, fpgaAgreed = true, plansAgreed = true, moduleAgreed = true;
};

// Reads the firmware version, the FPGA directory (0x30:0), the channel-plan header (0x1E:0)
// and the module's versions over a link that is up.
InstrumentVersions ReadInstrumentVersions(LinkContext& link);

// One component as the instrument reports it, against what the program carries.
struct ComponentCheck {
    std::string component;  // "firmware", "fpga", "plans", "module"
    std::string reported;   // as the instrument reports it
    std::string carried;    // what the program would write (empty where it is no one text)
    bool current = false;   // the identification would not mark it again
    bool planned = false;   // the session was to update it
};

// The four components judged by the identification's own rules; `planned` from the marks the
// session ran with.
std::vector<ComponentCheck> CheckAgainstCarried(const InstrumentVersions& versions,
                                                const std::string& carriedFirmware,
                                                bool firmwarePlanned, bool fpgaPlanned,
                                                bool plansPlanned, bool modulePlanned);

// Every planned component is now current.
bool AllPlannedCurrent(const std::vector<ComponentCheck>& checks);

}  // namespace kell
