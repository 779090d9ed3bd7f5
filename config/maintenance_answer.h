#pragma once

#include <cstdint>
#include <optional>

#include "link/link_context.h"

namespace kell {

// Waits for the one-byte answer to a maintenance command (a sector erase, the incident clear)
// while at most 10 whole seconds have passed. Nothing in that time: beep, no answer.
std::optional<std::uint8_t> AwaitMaintenanceAnswer(LinkContext& link);

}  // namespace kell
