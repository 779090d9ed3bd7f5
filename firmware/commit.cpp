// The commit: the loader copies the flagged pages from its staging area into place.
#include <array>

#include "firmware/diferencial.h"
#include "image/util.h"
#include "link/byte_wait.h"
#include "link/deadline.h"
#include "link/progress_weights.h"

namespace kell {

namespace {

constexpr std::uint8_t kCommitCommand = 0x09;
constexpr std::uint8_t kCommitMarker = 0x41;
constexpr std::uint8_t kDone = 0x80;
constexpr std::uint8_t kErasing = 0x8A;
constexpr std::uint8_t kWriting = 0x8B;
// The pages the FPGA step stages its configuration set in.
constexpr int kFpgaFirstPage = 48;
constexpr int kFpgaLastPage = 52;
constexpr std::int64_t kCommitLimitSeconds = 600;
constexpr std::uint32_t kByteGapMs = 100;

enum class Mode { None, Erasing, Writing };

}  // namespace

bool TCDiferencial::CommitFlash() {
    LinkContext& link = Link();
    ProgressBar& stepBar = session_.Barra_progreso;
    stepBar.SetRange(0, kFlashPages);
    stepBar.SetPosition(0);
    link.serial.Drain();

    std::array<std::uint8_t, 2 + kFlashPages + 1> frame{};
    frame[0] = kCommitCommand;
    frame[1] = kCommitMarker;
    for (int k = 0; k < kFlashPages; ++k) {
        const bool fpga = loan_.checkFpga && k >= kFpgaFirstPage && k <= kFpgaLastPage;
        frame[2 + k] = pages[static_cast<std::size_t>(k)] || fpga ? 1 : 0;
    }
    frame.back() = TUtil::Xor(frame.data() + 1, 1 + kFlashPages);
    SendBytes(link, frame);
    session_.stepStartTime = link.clock.Seconds();
    const Deadline limit = Deadline::Since(link.clock, session_.stepStartTime, kCommitLimitSeconds);

    Mode mode = Mode::None;
    std::uint8_t previous = 0;
    int lastProgress = 0;
    // The loader's bytes other than the mode pairs and the closing pair report how far it got.
    auto progress = [&](std::uint8_t b) {
        if (b == kErasing || b == kWriting)
            return;
        if (b == kDone && mode == Mode::Writing && lastProgress >= 0)
            return;
        const int p = mode == Mode::Writing ? b - 171 : (b < 8 ? 0 : b - 6);
        stepBar.SetPosition(p);
        session_.ProgressBar_general.SetPosition(stepBar.position * weights::kFirmwareCommit /
                                                     stepBar.maximum +
                                                 session_.overallPosition);
        lastProgress = p;
    };

    for (;;) {
        // Checked before every wait, so a loader that keeps talking cannot outlast the limit.
        if (limit.Expired())
            return false;
        const PolledByte got = WaitForByte(link, limit, Pace::Pumping());
        if (!got.Arrived())
            return false;
        const std::uint8_t b = got.value;
        if (b == kDone) {
            if (previous == kDone)
                return true;
            progress(b);
        } else if (b == kErasing) {
            if (previous == kErasing)
                mode = Mode::Erasing;
            else
                progress(b);
        } else if (b == kWriting) {
            if (previous == kWriting)
                mode = Mode::Writing;
            else
                progress(b);
        } else if (mode == Mode::None) {
            link.Beep();
            return false;
        } else {
            progress(b);
        }
        previous = b;
        link.pump.PumpOnce();
        link.clock.SleepMs(kByteGapMs);
    }
}

}  // namespace kell
