#include "modules/graphics.h"

#include <algorithm>
#include <array>
#include <vector>

#include "link/block_transfer.h"
#include "link/byte_wait.h"
#include "link/deadline.h"
#include "link/shared_frames.h"
#include "payloads/payloads.h"

namespace kell {

namespace {

constexpr int kLeftColumn = 85;
constexpr int kPictureBytes = TGraficos::kPictureWidth * TGraficos::kPictureRows * 2;
constexpr int kFailuresThatEndAPicture = 2;

int TopRowOf(int n) {
    return n <= 2 ? 82 : 132;
}

// The picture's bytes are the low bytes of its 16-bit cells.
std::vector<std::uint8_t> PictureBytes(int n) {
    std::span<const std::uint8_t> cells = payloads::PictureCells(n);
    std::vector<std::uint8_t> bytes(cells.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = cells[2 * i];
    return bytes;
}

}  // namespace

void TGraficos::ClearGraphicsArea(LinkContext& link, std::int64_t stepStartTime) {
    if (!enabled)
        return;
    link.serial.Drain();
    SendBytes(link, StagingClearFrame(firstBank, static_cast<std::uint8_t>(firstBank + 2)));
    // "More than 30 whole seconds since the step start" ends the wait silently.
    PolledByte answer =
        WaitForByte(link, Deadline::Since(link.clock, stepStartTime, 31), Pace::Pumping());
    if (answer.Arrived() && answer.value != 'p')
        link.Beep();
}

void TGraficos::SendPicture(LinkContext& link, int n) {
    if (!enabled || n < 1 || n > 4)
        return;
    std::vector<std::uint8_t> bytes = PictureBytes(n);
    if (bytes.size() < static_cast<std::size_t>(kPictureBytes))
        return;
    SendPictureBytes(link, bytes, TopRowOf(n));
}

void TGraficos::SendPictureBytes(LinkContext& link, std::span<const std::uint8_t> pixels,
                                 int topRow) {
    if (!enabled || pixels.size() < static_cast<std::size_t>(kPictureBytes))
        return;
    currentBank = firstBank;
    std::uint32_t crossings = 0;
    std::size_t next = 0;
    int failedInARow = 0;
    for (int r = 0; r < kPictureRows; ++r) {
        for (int x = 0; x < kPictureWidth; x += 100) {
            const int pixelsInBlock = std::min(100, kPictureWidth - x);
            const std::uint32_t linear = baseAddress +
                                         2u * static_cast<std::uint32_t>(kLeftColumn + x) +
                                         static_cast<std::uint32_t>(kRasterRowBytes) *
                                             static_cast<std::uint32_t>(topRow + r);
            // A block that runs past a bank's end is sent whole at its start; the bank moves on
            // with the first block that starts in the next one.
            if (linear - 65536u * crossings > 0xFFFF) {
                ++currentBank;
                ++crossings;
            }
            const auto address = static_cast<std::uint16_t>(linear & 0xFFFF);
            const std::size_t length = 2 * static_cast<std::size_t>(pixelsInBlock);
            std::span<const std::uint8_t> block = pixels.subspan(next, length);
            next += length;
            if (link.StopRequested())
                return;
            // A refused block is skipped. A second one in a row means the line is down: each of
            // the up to 150 blocks would wait out its answer and resynchronisation, a quarter of
            // an hour for a picture that decides nothing.
            failedInARow = SendBlock(link, currentBank, address, block, kGraphicsBlocks)
                               ? 0
                               : failedInARow + 1;
            if (failedInARow >= kFailuresThatEndAPicture)
                return;
        }
    }
}

}  // namespace kell
