#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/module_versions.h"

// The rules by which identification judges what the instrument reports, kept free of the line so
// that each can be checked on its own. Version texts have the form four characters, a point, five
// digits ("2.04.00000"): characters 1 to 4 are the release, 6 to 10 the build. A character past
// the end of a shorter text counts as 0, as in the fixed buffer the text is read into.
namespace kell {

// Character `position` (counted from 1) of a version text, 0 past its end.
char VersionChar(std::string_view version, int position);

// A build of "00000" marks a release build.
bool IsReleaseBuild(std::string_view version);

// Whether the instrument's main firmware must be brought to the program's version. A program
// on a release build updates an instrument on a test build always, and otherwise one whose
// release is older; a program on a test build updates an instrument whose whole version text is
// older (so 2.04.00004 updates 2.04.00003 and leaves 2.04.00005). Characters compare by their
// codes, position by position, up to the first that differs.
bool FirmwareUpdateNeeded(std::string_view programVersion, std::string_view instrumentVersion);

// The instrument's firmware is newer than 1.80.00014, by the positional rule the instrument and
// its peripheral status query rely on: each release character is compared with the reference's
// on its own, and the build's last four characters only when no release character differed.
bool FirmwareAbove180(std::string_view instrumentVersion);

// The instrument's firmware is older than 1.89.00003, by its own positional rule: the release is
// walked up to its first greater character, and the build's last four characters are compared
// only when the release was equal.
bool FirmwareBelow189(std::string_view instrumentVersion);

// The FPGA configuration set as the instrument reports it ("%d.%d" of its major and minor
// bytes), and whether it differs from the one the program carries.
inline constexpr const char* kCarriedFpgaVersion = "3.4";
std::string FpgaVersionText(std::uint8_t major, std::uint8_t minor);
bool FpgaUpdateNeeded(std::uint8_t major, std::uint8_t minor);

// Channel plans: the type as stored (types above 4 read as 0), and the version the program
// carries for each type.
int PlansTypeFromByte(std::uint8_t stored);
int PlansExpectedVersion(int plansType);

// Whether the MPEG4 module's application must be sent, from what the module reported: never
// when it did not answer (boot or decoders 0xFF) or reports no software; below 162 always;
// from 162 on exactly when it runs a build other than 0.
bool ModuleUpdateNeeded(const ModuleVersions& versions);

// The port number of a system port name: "COM12:" gives 12. Nothing for a name that does not
// begin with "COM" followed by a number from 1 up.
std::optional<int> PortNumberFromName(std::string_view name);

}  // namespace kell
