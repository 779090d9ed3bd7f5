#include "modules/mpeg4_module.h"

#include <algorithm>
#include <array>

#include "link/block_transfer.h"
#include "link/byte_wait.h"
#include "link/deadline.h"
#include "link/progress_weights.h"
#include "link/shared_frames.h"
#include "payloads/payloads.h"

namespace kell {

namespace {

constexpr std::array<std::uint8_t, 5> kClearStagingFrame = StagingClearFrame(0xD0, 0xE8);
constexpr int kClearTries = 3;
constexpr std::int64_t kClearWaitSeconds = 10;
constexpr std::uint32_t kAfterClearTryMs = 500;
constexpr std::uint32_t kBeforePicturesMs = 200;
constexpr std::uint32_t kAfterStopMs = 300;
constexpr std::uint32_t kBeforeSpeedChangeMs = 1000;
constexpr std::uint32_t kModulePollGapMs = 1;
constexpr std::uint32_t kLowSpeed = 115200;
constexpr std::uint8_t kCleared = 'p';
constexpr std::uint8_t kModuleFinished = 0xBB;
constexpr std::array<std::uint8_t, 2> kStartModule{0x0D, 0xD0};
constexpr std::uint8_t kStartFrameFirst = 0xCC;
constexpr std::uint8_t kStartFrameFirstUsa = 0x4C;

}  // namespace

Mpeg4Images Mpeg4Images::Embedded() {
    return {payloads::Mpeg4Application(), payloads::Mpeg4SecondImage()};
}

TMpeg4::TMpeg4(SessionContext& session, TGraficos& graficos, bool usaUnit, Mpeg4Images images)
    : session_(session), graficos_(graficos), usaUnit_(usaUnit), images_(images) {}

bool TMpeg4::Update() {
    LinkContext& link = session_.link;
    bytesSent = 0;
    session_.stepStartTime = link.clock.Seconds();
    if (!ClearStaging()) {
        session_.RecordResult(kResultApplicationFailed);
        return false;
    }
    link.clock.SleepMs(kBeforePicturesMs);
    graficos_.ClearGraphicsArea(link, session_.stepStartTime);
    graficos_.SendPicture(link, 3);
    if (session_.stopSession || !SendApplication()) {
        session_.RecordResult(kResultApplicationFailed);
        return false;
    }
    session_.overallPosition += weights::kModuleApplication;
    session_.ProgressBar_general.SetPosition(session_.overallPosition);

    if (!SendSecondImage()) {
        session_.RecordResult(kResultSecondImageFailed);
        return false;
    }
    graficos_.SendPicture(link, 4);
    if (session_.stopSession) {
        session_.RecordResult(kResultStoppedBeforeStart);
        return false;
    }

    if (!StartModule()) {
        session_.RecordResult(kResultModuleSilent);
        return false;
    }
    link.clock.SleepMs(kBeforeSpeedChangeMs);
    // Under a 64-bit system the line never left the low speed.
    const bool wow64 = session_.IsWow64 && session_.IsWow64();
    if (!wow64 && session_.SetPortBaud)
        session_.SetPortBaud(kLowSpeed);
    if (!WaitForModule()) {
        session_.RecordResult(kResultModuleSilent);
        return false;
    }
    return true;
}

bool TMpeg4::ClearStaging() {
    LinkContext& link = session_.link;
    for (int attempt = 0; attempt < kClearTries; ++attempt) {
        link.serial.Drain();
        SendBytes(link, kClearStagingFrame);
        const PolledByte answer =
            WaitForByte(link, Deadline(link.clock, kClearWaitSeconds), Pace::Pumping());
        const bool cleared = answer.Is(kCleared);
        if (!cleared)
            link.Beep();
        link.clock.SleepMs(kAfterClearTryMs);
        if (cleared)
            return true;
    }
    return false;
}

bool TMpeg4::SendApplication() {
    LinkContext& link = session_.link;
    const std::span<const std::uint8_t> image = images_.application;
    if (image.empty())
        return false;
    applicationLength = static_cast<std::uint32_t>(image.size());
    bytesSent = 0;
    bankByte = kApplicationBank;
    std::uint16_t address = 0;
    const int lastBlock = static_cast<int>(applicationLength / kApplicationBlock);
    session_.Barra_progreso.SetRange(0, lastBlock);
    for (int block = 0; bytesSent < applicationLength; ++block) {
        const std::size_t n =
            std::min<std::size_t>(kApplicationBlock, applicationLength - bytesSent);
        if (!SendBlock(link, bankByte, address, image.subspan(bytesSent, n), kMpeg4Blocks))
            return false;
        bytesSent += static_cast<std::uint32_t>(n);
        // A block that runs past the end of a bank went whole to its start; the next one
        // starts in the next bank.
        if (address + n > 0xFFFF)
            ++bankByte;
        address = static_cast<std::uint16_t>(address + n);

        session_.Barra_progreso.SetPosition(block);
        ShowOverall(block, lastBlock, weights::kModuleApplication);
        link.pump.PumpOnce();
        if (session_.stopSession) {
            link.clock.SleepMs(kAfterStopMs);
            return false;
        }
    }
    return true;
}

bool TMpeg4::SendSecondImage() {
    LinkContext& link = session_.link;
    const std::span<const std::uint8_t> image = images_.second;
    // The image lies inside its one bank.
    if (image.empty() || image.size() > 0x10000)
        return false;
    bytesSent = 0;
    bankByte = kSecondImageBank;
    session_.Barra_progreso.SetRange(0, static_cast<int>(image.size()));
    while (bytesSent < image.size()) {
        const std::size_t n = std::min(kSecondImageBlock, image.size() - bytesSent);
        if (!SendBlock(link, bankByte, static_cast<std::uint16_t>(bytesSent),
                       image.subspan(bytesSent, n), kMpeg4Blocks))
            return false;
        bytesSent += static_cast<std::uint32_t>(n);
        session_.Barra_progreso.SetPosition(static_cast<int>(bytesSent));
        link.pump.PumpOnce();
        if (session_.stopSession) {
            link.clock.SleepMs(kAfterStopMs);
            return false;
        }
    }
    return true;
}

bool TMpeg4::StartModule() {
    LinkContext& link = session_.link;
    link.serial.Drain();
    SendBytes(link, kStartModule);
    // Any byte says the instrument is ready for the start frame.
    if (!WaitForByte(link, Deadline(link.clock, kStartAnswerLimitSeconds), Pace::Pumping())
             .Arrived())
        return false;
    const std::uint32_t length = applicationLength;
    const std::array<std::uint8_t, 9> frame{usaUnit_ ? kStartFrameFirstUsa : kStartFrameFirst,
                                            0x00,
                                            0x00,
                                            0x20,
                                            0x00,
                                            static_cast<std::uint8_t>(length),
                                            static_cast<std::uint8_t>(length >> 8),
                                            static_cast<std::uint8_t>(length >> 16),
                                            static_cast<std::uint8_t>(length >> 24)};
    SendBytes(link, frame);
    return true;
}

bool TMpeg4::WaitForModule() {
    LinkContext& link = session_.link;
    session_.Barra_progreso.SetRange(0, static_cast<int>(kNominalModuleSeconds));
    // The module cannot be interrupted once it writes itself, so the stop flag is not looked at.
    const Deadline limit(link.clock, kModuleLimitSeconds);
    while (!limit.Expired()) {
        const std::int64_t elapsed = limit.Elapsed();
        if (elapsed < kNominalModuleSeconds) {
            session_.Barra_progreso.SetPosition(static_cast<int>(elapsed));
            ShowOverall(elapsed, kNominalModuleSeconds, weights::kModuleWriting);
        }
        link.pump.PumpOnce();
        if (PollByte(link) == kModuleFinished)
            return true;
        link.clock.SleepMs(kModulePollGapMs);
    }
    return false;
}

void TMpeg4::ShowOverall(std::int64_t part, std::int64_t whole, int weight) {
    const std::int64_t share = whole > 0 ? part * weight / whole : 0;
    session_.ProgressBar_general.SetPosition(static_cast<int>(share) + session_.overallPosition);
}

}  // namespace kell
