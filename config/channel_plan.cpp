#include "config/channel_plan.h"

#include <algorithm>
#include <span>

#include "link/loader_frames.h"
#include "payloads/payloads.h"

namespace kell {

namespace {

constexpr std::uint8_t kFirstSector = 30;
constexpr std::uint8_t kSecondSector = 31;
// The second sector takes the image from this offset on, one byte before the 64 KiB mark, as
// the instrument's loader expects it.
constexpr std::uint32_t kSecondSectorOffset = 0xFFFF;
constexpr int kPlanTypes = 5;

constexpr int kTransferFailed = 8;
constexpr int kProgrammingFailed = 9;

std::uint32_t PlanLength(int planType) {
    if (planType < 0 || planType >= kPlanTypes)
        return 0;
    return static_cast<std::uint32_t>(payloads::kChannelPlanLengths[planType]);
}

}  // namespace

ChannelPlanImage& ClearChannelPlan(ChannelPlanImage& buffer) {
    buffer.fill(0xFF);
    return buffer;
}

bool SendChannelPlan(SessionContext& session, ChannelPlanImage& buffer, int planType) {
    ClearChannelPlan(buffer);
    const std::uint32_t length = PlanLength(planType);
    const std::span<const std::uint8_t> image = payloads::ChannelPlan(planType);
    std::copy_n(image.begin(), std::min<std::size_t>(image.size(), length), buffer.begin());

    LinkContext& link = session.link;
    const std::span<const std::uint8_t> bytes(buffer);
    if (!SendLoaderBlocks(link, length, bytes, session.Barra_progreso)) {
        session.RecordResult(kTransferFailed);
        return false;
    }
    bool ok = ProgramFlashSector(link, length, bytes, kFirstSector, 0, 0);
    if (ok && length > kSecondSectorOffset)
        ok = ProgramFlashSector(link, length - kSecondSectorOffset,
                                bytes.subspan(kSecondSectorOffset), kSecondSector, 0, 0);
    if (!ok) {
        session.RecordResult(kProgrammingFailed);
        return false;
    }
    return true;
}

bool PlanNeedsErase(const ChannelPlanImage&, int planType) {
    return planType == 0;
}

}  // namespace kell
