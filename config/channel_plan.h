#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "link/session_context.h"

// Installing a channel plan: the plan type's image goes into the loader's buffer and is
// programmed into flash sectors 30 and 31.
namespace kell {

inline constexpr std::size_t kChannelPlanImageSize = 0x20000;

// The buffer a plan is installed from: the image at its start, 0xFF after it. At 128 KiB it
// belongs on the heap: std::make_unique<ChannelPlanImage>().
using ChannelPlanImage = std::array<std::uint8_t, kChannelPlanImageSize>;

// Fills the buffer with 0xFF.
ChannelPlanImage& ClearChannelPlan(ChannelPlanImage& buffer);

// Sends the image of plan type 0..4 into the loader's buffer and programs sector 30 with it,
// and sector 31 with what lies beyond the first 65535 bytes when the image is longer than
// that (plan type 0 only). Records result code 8 when the buffer transfer fails (or the type
// is outside 0..4, which sends nothing) and 9 when programming fails; the step bar follows
// the transfer.
bool SendChannelPlan(SessionContext& session, ChannelPlanImage& buffer, int planType);
// The same for any image (SendChannelPlan passes its plan type's). An empty image, or one
// larger than the buffer, sends nothing and records code 8.
bool SendPlanImage(SessionContext& session, ChannelPlanImage& buffer,
                   std::span<const std::uint8_t> image);

// Whether installing plans of this type needs the instrument's stored data erased: for type 0
// only. The buffer is not looked at.
bool PlanNeedsErase(const ChannelPlanImage& buffer, int planType);

}  // namespace kell
