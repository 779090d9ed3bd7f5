#include "link/loader_frames.h"

#include <algorithm>
#include <array>
#include <vector>

#include "image/util.h"
#include "link/byte_wait.h"

namespace kell {

namespace {

constexpr std::uint8_t kBufferCommand = 0x5A;
constexpr std::uint8_t kSectorCommand = 0x5B;
constexpr std::uint8_t kCallCommand = 0x02;
constexpr std::uint8_t kBufferAccepted = 0xA5;
constexpr std::uint8_t kSectorDone = 0xB5;
constexpr int kTries = 10;
constexpr std::size_t kMaxCallData = 252;
// Time an answer is given to come in after a failed try, beyond the frame's time on the wire.
constexpr std::uint32_t kLateAnswerMs = 100;
constexpr std::uint32_t kBitsPerByte = 11;

using BufferFrame = std::array<std::uint8_t, 4 + kLoaderFrameData + 1>;
using SectorFrame = std::array<std::uint8_t, 12>;

// The loader's answer window: wait up to `limit` seconds and accept the byte only while at
// most `latest` whole seconds had passed.
struct AnswerRule {
    std::uint8_t expected;
    std::int64_t limit;
    std::int64_t latest;
};
constexpr AnswerRule kBufferFrameAnswer{kBufferAccepted, 1, 0};
constexpr AnswerRule kBlankFrameAnswer{kBufferAccepted, 2, 1};
constexpr AnswerRule kSectorFrameAnswer{kSectorDone, 10, 9};

bool SendAndAwait(LinkContext& link, std::span<const std::uint8_t> frame, const AnswerRule& rule) {
    link.serial.Drain();
    SendBytes(link, frame);
    const PolledByte answer =
        WaitForAnswer(link, Deadline(link.clock, rule.limit), Pace::Pumping());
    return answer.Is(rule.expected) && answer.elapsed <= rule.latest;
}

// A whole-second limit can run out while the frame is still on its way, and the answer to that
// try can then arrive during the next one, where it would pass for the answer to the frame sent
// after it. Before a frame goes again, its earlier copy is let finish and its answer come, to be
// drained with the rest.
void LetEarlierTryEnd(LinkContext& link, std::size_t frameBytes) {
    const std::uint32_t baud = link.serial.LineSettingsApplied().BaudRate;
    const std::uint32_t wireMs =
        baud == 0
            ? 0
            : static_cast<std::uint32_t>((frameBytes * kBitsPerByte * 1000 + baud - 1) / baud);
    link.clock.SleepMs(wireMs + kLateAnswerMs);
}

bool SendAndAwait(LinkContext& link, std::span<const std::uint8_t> frame, const AnswerRule& rule,
                  int tries) {
    for (int i = 0; i < tries; ++i) {
        if (i > 0)
            LetEarlierTryEnd(link, frame.size());
        if (SendAndAwait(link, frame, rule))
            return true;
    }
    return false;
}

void PutBigEndian24(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value >> 16);
    at[1] = static_cast<std::uint8_t>(value >> 8);
    at[2] = static_cast<std::uint8_t>(value);
}

// The frame for the 128 bytes at `offset` (which is also the buffer address), copied so that a
// short buffer is never read past its end: what lies beyond it goes as 0x00.
BufferFrame MakeBufferFrame(std::span<const std::uint8_t> data, std::size_t offset) {
    BufferFrame frame{};
    frame[0] = kBufferCommand;
    PutBigEndian24(&frame[1], static_cast<std::uint32_t>(offset));
    if (offset < data.size()) {
        const std::size_t available = std::min(kLoaderFrameData, data.size() - offset);
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(offset), available, &frame[4]);
    }
    frame.back() = TUtil::Xor(&frame[1], 3 + kLoaderFrameData);
    return frame;
}

SectorFrame MakeSectorFrame(std::uint32_t length, std::uint8_t sector, std::uint8_t first,
                            std::uint8_t second, std::uint8_t dataCheck) {
    SectorFrame frame{};
    frame[0] = kSectorCommand;
    PutBigEndian24(&frame[4], length);
    frame[7] = sector;
    frame[8] = first;
    frame[9] = second;
    frame[10] = dataCheck;
    frame[11] = TUtil::Xor(&frame[1], 10);
    return frame;
}

}  // namespace

bool SendLoaderBlocks(LinkContext& link, std::uint32_t length, std::span<const std::uint8_t> data,
                      ProgressBar& stepBar) {
    stepBar.SetRange(0, static_cast<int>(length));
    for (std::uint64_t offset = 0; offset < length; offset += kLoaderFrameData) {
        stepBar.SetPosition(
            static_cast<int>(std::min<std::uint64_t>(offset + kLoaderFrameData, length)));
        const BufferFrame frame = MakeBufferFrame(data, static_cast<std::size_t>(offset));
        if (!SendAndAwait(link, frame, kBufferFrameAnswer, kTries))
            return false;
    }
    return true;
}

bool SendLoaderCall(LinkContext& link, std::uint8_t length, std::span<const std::uint8_t> data,
                    std::uint8_t selector, std::uint16_t word) {
    if (length > kMaxCallData)
        return false;
    std::vector<std::uint8_t> frame = {kCallCommand, static_cast<std::uint8_t>(length + 3),
                                       selector, static_cast<std::uint8_t>(word & 0xFF),
                                       static_cast<std::uint8_t>(word >> 8)};
    frame.resize(frame.size() + length, 0x00);
    std::copy_n(data.begin(), std::min<std::size_t>(length, data.size()), frame.begin() + 5);
    link.serial.Drain();
    SendBytes(link, frame);
    return true;
}

bool BlankLoaderBlock(LinkContext& link) {
    const std::array<std::uint8_t, kLoaderFrameData> blank = [] {
        std::array<std::uint8_t, kLoaderFrameData> bytes;
        bytes.fill(0xFF);
        return bytes;
    }();
    return SendAndAwait(link, MakeBufferFrame(blank, 0), kBlankFrameAnswer);
}

bool EraseFlashSector(LinkContext& link, std::uint8_t sector) {
    return SendAndAwait(link, MakeSectorFrame(0, sector, 0, 0, 0), kSectorFrameAnswer);
}

bool ProgramFlashSector(LinkContext& link, std::uint32_t length, std::span<const std::uint8_t> data,
                        std::uint8_t sector, std::uint8_t firstParameter,
                        std::uint8_t secondParameter) {
    const std::uint8_t check = TUtil::Xor(data.data(), std::min<std::size_t>(length, data.size()));
    const SectorFrame frame =
        MakeSectorFrame(length, sector, firstParameter, secondParameter, check);
    return SendAndAwait(link, frame, kSectorFrameAnswer, kTries);
}

}  // namespace kell
