#pragma once

// The overall progress bar counts nominal seconds. Each planned step puts its weight into the
// bar's maximum (and into the time announced before the session); while a step works, its
// updater moves the bar by its stages' shares from the session's progress base, and when the
// step ends the sequence adds what is left to the base. Every figure is written here once.
namespace kell::weights {

// Keypad: the programmer spreads its share over the blocks it serves; the step adds as much
// again when it ends.
inline constexpr int kKeypad = 180;
inline constexpr int kKeypadProgramming = 180;
inline constexpr int kKeypadEnd = 180;

inline constexpr int kErase = 10;
inline constexpr int kPlans = 30;

// Zone: its five writes spread the weight; at its end the write adds 350 to the base, more than
// the step weighs (the bar stops at its maximum).
inline constexpr int kZone = 50;
inline constexpr int kZoneEnd = 350;

inline constexpr int kFpga = 25;

// Main firmware: the stream (with the channel plans) adds its share to the base; the commit
// moves the bar over its own share, which the step adds when it ends.
inline constexpr int kFirmwareStream = 120;
inline constexpr int kFirmwareCommit = 180;
inline constexpr int kFirmware = kFirmwareStream + kFirmwareCommit;
inline constexpr int kFirmwareEnd = kFirmwareCommit;

// MPEG4 module: the application's transfer adds its share; the module's own writing moves the
// bar over the rest, which the step adds when it ends.
inline constexpr int kModuleApplication = 220;
inline constexpr int kModuleWriting = 420;
inline constexpr int kModule = kModuleApplication + kModuleWriting;
inline constexpr int kModuleEnd = kModuleWriting;

// A 64-bit Windows host keeps the line at 115200 baud, so the two long transfers take longer.
inline constexpr int kExtraFirmwareOnWow64 = 120;
inline constexpr int kExtraModuleOnWow64 = 220;

}  // namespace kell::weights
