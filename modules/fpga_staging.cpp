#include "modules/fpga_staging.h"

#include <optional>

#include "image/util.h"
#include "link/byte_wait.h"
#include "link/deadline.h"
#include "link/shared_frames.h"

namespace kell {

namespace {

constexpr int kEraseTries = 5;
constexpr std::int64_t kEraseWaitSeconds = 3;
// An answer that came after more than this many whole seconds is too late to trust.
constexpr std::int64_t kEraseLateSeconds = 2;
constexpr std::uint32_t kAfterEraseTryMs = 500;
constexpr std::uint8_t kErased = 'p';
constexpr std::uint8_t kEraseRefused = 0xAA;

constexpr std::uint8_t kCommitDone = 0x80;
constexpr std::uint8_t kCommitErasing = 0x8A;
constexpr std::uint8_t kCommitProgramming = 0x8B;
constexpr std::uint32_t kAfterStatusByteMs = 100;

// Follows the commit's status bytes. Each state is announced by its byte twice in a row.
class CommitProgress {
  public:
    enum class Step { Going, Done, Failed };

    Step Take(std::uint8_t byte, Label& status) {
        const bool repeated = byte == previous_;
        previous_ = byte;
        switch (byte) {
            case kCommitDone:
                return repeated ? Step::Done : Step::Going;
            case kCommitErasing:
                if (repeated) {
                    erasing_ = true;
                    programming_ = false;
                    status.caption = "Borrando sect.";
                }
                return Step::Going;
            case kCommitProgramming:
                if (repeated) {
                    programming_ = true;
                    erasing_ = false;
                    status.caption = "Grabando segm.";
                }
                return Step::Going;
            default:
                // Once the copy runs, a stray byte on the line is no reason to give up on it.
                return erasing_ || programming_ ? Step::Going : Step::Failed;
        }
    }

  private:
    std::uint8_t previous_ = 0;
    bool erasing_ = false;
    bool programming_ = false;
};

}  // namespace

std::array<std::uint8_t, 5> FpgaEraseFrame(std::size_t imageLength) {
    const auto end = static_cast<std::uint8_t>(kFpgaStagingBank + (imageLength >> 16) + 1);
    return StagingClearFrame(kFpgaStagingBank, end);
}

std::array<std::uint8_t, 67> FpgaCommitFrame(std::size_t imageLength) {
    std::array<std::uint8_t, 67> frame{};
    frame[0] = 0x09;
    frame[1] = 0x41;
    const std::size_t lastSector = kFpgaFlashSector + (imageLength >> 16);
    for (std::size_t k = kFpgaFlashSector; k <= lastSector && k < 64; ++k)
        frame[2 + k] = 1;
    frame[66] = TUtil::Xor(frame.data() + 1, 65);
    return frame;
}

bool EraseFpgaStaging(LinkContext& link, std::size_t imageLength, Label& status) {
    status.caption = "Borrando mem.";
    const auto frame = FpgaEraseFrame(imageLength);
    bool erased = false;
    for (int attempt = 0; attempt < kEraseTries && !erased; ++attempt) {
        link.serial.Drain();
        SendBytes(link, frame);
        const PolledByte answer =
            WaitForByte(link, Deadline(link.clock, kEraseWaitSeconds), Pace::Pumping());
        if (answer.elapsed > kEraseLateSeconds) {
            // Too late (or nothing at all): the instrument is still busy; ask again.
        } else if (answer.value == kErased) {
            erased = true;
        } else {
            SendBytes(link, std::array<std::uint8_t, 1>{kEraseRefused});
        }
        link.clock.SleepMs(kAfterEraseTryMs);
    }
    return erased;
}

bool CommitFpgaSet(LinkContext& link, std::size_t imageLength, Label& status) {
    const Deadline limit(link.clock, kFpgaCommitLimitSeconds);
    link.serial.Drain();
    SendBytes(link, FpgaCommitFrame(imageLength));
    CommitProgress progress;
    for (;;) {
        std::optional<std::uint8_t> byte = PollByte(link);
        if (!byte) {
            status.caption = "Grabando flash";
            const PolledByte got = WaitForByte(link, limit, Pace::Pumping());
            if (!got.Arrived()) {
                link.Beep();
                return false;
            }
            byte = got.value;
        }
        switch (progress.Take(*byte, status)) {
            case CommitProgress::Step::Done:
                return true;
            case CommitProgress::Step::Failed:
                link.Beep();
                return false;
            case CommitProgress::Step::Going:
                break;
        }
        link.pump.PumpOnce();
        link.clock.SleepMs(kAfterStatusByteMs);
        // A line that never falls silent must not hold the commit open either.
        if (limit.Expired()) {
            link.Beep();
            return false;
        }
    }
}

}  // namespace kell
