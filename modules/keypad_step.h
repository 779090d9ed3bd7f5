#pragma once

#include <cstdint>
#include <span>

#include "link/session_context.h"

namespace kell {

// The keypad step of an update: connects when the link is down (and gives up quietly when that
// fails), stops the disconnection watch, programs the keypad and resets the step bar. Its
// outcome is carried by the session's result code.
void RunKeypadStep(SessionContext& session, std::span<const std::uint8_t> image);
// The same over the keypad image built into the program.
void RunKeypadStep(SessionContext& session);

}  // namespace kell
