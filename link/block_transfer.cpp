#include "link/block_transfer.h"

#include <vector>

#include "image/util.h"
#include "link/byte_wait.h"

namespace kell {

namespace {

constexpr std::uint8_t kBlockCommand = 0x03;
constexpr std::uint8_t kAccepted = '0';
constexpr std::uint8_t kReadyAgain = '?';
constexpr std::uint8_t kReadyAgainAlt = 'f';
constexpr std::uint8_t kFiller = 0xFF;
constexpr std::int64_t kAnswerLimitSeconds = 2;
constexpr std::int64_t kResyncLimitSeconds = 5;
constexpr std::uint32_t kStopPauseMs = 300;
constexpr std::uint32_t kFillerGapMs = 1;

std::vector<std::uint8_t> BlockFrame(std::uint8_t bank, std::uint16_t address,
                                     std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> frame;
    frame.reserve(data.size() + 6);
    frame.push_back(kBlockCommand);
    frame.push_back(static_cast<std::uint8_t>(data.size() + 4));
    frame.push_back(static_cast<std::uint8_t>(address & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(address >> 8));
    frame.push_back(bank);
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(TUtil::Xor(frame.data() + 1, data.size() + 4));
    return frame;
}

// Fillers, at most one a millisecond, until the loader says it is ready for the frame again.
bool Resynchronise(LinkContext& link) {
    link.serial.Purge(1, 1);
    const Deadline deadline(link.clock, kResyncLimitSeconds);
    link.serial.Drain();
    while (!deadline.Expired()) {
        SendBytes(link, {&kFiller, 1});
        link.clock.SleepMs(kFillerGapMs);
        const auto answer = PollByte(link);
        link.pump.PumpOnce();
        if (answer == kReadyAgain || answer == kReadyAgainAlt)
            return true;
    }
    return false;
}

}  // namespace

bool SendBlock(LinkContext& link, std::uint8_t bank, std::uint16_t address,
               std::span<const std::uint8_t> data, const BlockRules& rules) {
    if (data.empty() || data.size() > kMaxBlockData)
        return false;
    if (rules.skipBanksBelow0x80 && bank < 0x80)
        return true;

    link.serial.Drain();
    const std::vector<std::uint8_t> frame = BlockFrame(bank, address, data);
    Deadline deadline(link.clock, kAnswerLimitSeconds);
    SendBytes(link, frame);
    const PolledByte first = WaitForAnswer(link, deadline, Pace::PumpingWatchingStop());
    if (first.end == WaitEnd::Stopped) {
        if (rules.pauseOnStop)
            link.clock.SleepMs(kStopPauseMs);
        return false;
    }
    if (first.Is(kAccepted))
        return true;

    if (Resynchronise(link)) {
        deadline.Restart();
        SendBytes(link, frame);
        if (WaitForAnswer(link, deadline, Pace::Pumping()).Is(kAccepted))
            return true;
    }
    link.Beep();
    return false;
}

}  // namespace kell
