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

constexpr int kTransferFailed = 8;
constexpr int kProgrammingFailed = 9;

}  // namespace

ChannelPlanImage& ClearChannelPlan(ChannelPlanImage& buffer) {
    buffer.fill(0xFF);
    return buffer;
}

bool SendChannelPlan(SessionContext& session, ChannelPlanImage& buffer, int planType) {
    // Empty for a type outside 0..4.
    return SendPlanImage(session, buffer, payloads::ChannelPlan(planType));
}

bool SendPlanImage(SessionContext& session, ChannelPlanImage& buffer,
                   std::span<const std::uint8_t> image) {
    ClearChannelPlan(buffer);
    // Without an image the sector frame would carry length 0, which the loader takes for an
    // erase of sector 30: the instrument's plan would be lost.
    if (image.empty() || image.size() > buffer.size()) {
        session.RecordResult(kTransferFailed);
        return false;
    }
    std::copy(image.begin(), image.end(), buffer.begin());
    const auto length = static_cast<std::uint32_t>(image.size());

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
