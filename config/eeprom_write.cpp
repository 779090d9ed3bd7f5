#include "config/eeprom_write.h"

#include <algorithm>
#include <stdexcept>

#include "link/byte_wait.h"

namespace kell {

namespace {

constexpr std::uint8_t kFrameStart = 0x02;
constexpr std::uint8_t kWriteCommand = 'P';
constexpr std::size_t kFrameHeader = 7;
constexpr std::size_t kHeaderAfterLength = 5;
constexpr int kAttempts = 5;
constexpr std::uint32_t kPauseAfterAttemptMs = 500;

constexpr std::int64_t kShortLimitS = 1;
constexpr std::int64_t kLongLimitS = 5;
constexpr std::int64_t kLongLatestS = 3;
// Bytes taken after the first one in a long wait: an instrument that never stops talking
// cannot hold the wait.
constexpr int kMaxTrailingBytes = 2048;

bool AwaitShortAck(LinkContext& link) {
    const PolledByte got = WaitForByte(link, Deadline(link.clock, kShortLimitS), Pace::Pumping());
    return got.Is(kEepromAck) && got.elapsed == 0;
}

// The acknowledgement may come after other bytes the instrument had queued; what is there
// once the first byte arrived is read, and a 0x20 among it counts.
bool AwaitLongAck(LinkContext& link) {
    const Deadline deadline(link.clock, kLongLimitS);
    const PolledByte first = WaitForByte(link, deadline, Pace::Pumping());
    if (!first.Arrived())
        return false;
    bool acknowledged = first.value == kEepromAck;
    for (int i = 0; i < kMaxTrailingBytes; ++i) {
        const auto more = PollByte(link);
        if (!more)
            break;
        acknowledged = acknowledged || *more == kEepromAck;
    }
    return acknowledged && deadline.Elapsed() <= kLongLatestS;
}

}  // namespace

std::vector<std::uint8_t> EepromWriteFrame(EepromArea area, std::uint8_t bank,
                                           std::uint16_t address,
                                           std::span<const std::uint8_t> data) {
    if (data.size() > kEepromMaxData)
        throw std::length_error("EEPROM write frame: too many data bytes");
    std::vector<std::uint8_t> frame(kFrameHeader + data.size());
    frame[0] = kFrameStart;
    frame[1] = static_cast<std::uint8_t>(data.size() + kHeaderAfterLength);
    frame[2] = kWriteCommand;
    frame[3] = static_cast<std::uint8_t>(area);
    frame[4] = bank;
    frame[5] = static_cast<std::uint8_t>(address >> 8);
    frame[6] = static_cast<std::uint8_t>(address);
    std::copy(data.begin(), data.end(), frame.begin() + kFrameHeader);
    return frame;
}

bool AwaitEepromAck(LinkContext& link, AckWait wait) {
    return wait == AckWait::Short ? AwaitShortAck(link) : AwaitLongAck(link);
}

bool SendEepromFrame(LinkContext& link, std::span<const std::uint8_t> frame, AckWait wait) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        link.serial.Drain();
        SendBytes(link, frame);
        const bool acknowledged = AwaitEepromAck(link, wait);
        link.clock.SleepMs(kPauseAfterAttemptMs);
        if (acknowledged)
            return true;
    }
    return false;
}

bool WriteEepromBlock(LinkContext& link, EepromArea area, std::uint8_t bank, std::uint16_t address,
                      std::span<const std::uint8_t> data, AckWait wait) {
    return SendEepromFrame(link, EepromWriteFrame(area, bank, address, data), wait);
}

}  // namespace kell
