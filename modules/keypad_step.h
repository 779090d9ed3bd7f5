#pragma once

#include <cstdint>
#include <span>

#include "link/session_context.h"

namespace kell {

// The keypad step of an update: connects when the link is down (and gives up quietly when that
// fails), stops the disconnection watch, programs the keypad and resets the step bar. Its
// failure codes are carried by the session's result code; the result says whether the keypad
// was programmed, so that the sequence does not go on as if it had been.
bool RunKeypadStep(SessionContext& session, std::span<const std::uint8_t> image);
// The same over the keypad image built into the program.
bool RunKeypadStep(SessionContext& session);

}  // namespace kell
