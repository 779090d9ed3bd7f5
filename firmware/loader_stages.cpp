// Starting the instrument's loader: through the processor's bootstrap mode, or in two stages
// through the running firmware.
#include <algorithm>
#include <array>

#include "firmware/diferencial.h"
#include "link/byte_wait.h"
#include "link/deadline.h"
#include "modules/loader_patch.h"

namespace kell {

namespace {

constexpr std::uint8_t kLoaderRunning = 0xAD;
constexpr std::uint8_t kPicturesAccepted = 'J';
constexpr std::uint8_t kNoPictures = '@';
constexpr std::array<std::uint8_t, 3> kStage1Command{0x04, 0x90, 0x00};
constexpr std::array<std::uint8_t, 3> kStage2Command{0x04, 0xC8, 0x03};
constexpr std::size_t kStage2Piece = 4;

constexpr std::int64_t kBootstrapAnswerSeconds = 30;
// A stage fails once more than 20 whole seconds have passed since the step start time.
constexpr std::int64_t kStageLimitSeconds = 21;
constexpr std::uint32_t kSettleMs = 100;
constexpr std::uint32_t kStageRestMs = 2000;
constexpr std::uint32_t kSlowGapMs = 1;

}  // namespace

bool TCDiferencial::StartBootstrapLoader() {
    LinkContext& link = Link();
    loan_.graficos.enabled = false;
    if (boot.Block1().empty() || boot.Block3().empty())
        return false;
    link.serial.Drain();
    SendBytes(link, boot.Block1());
    link.clock.SleepMs(kSettleMs);
    link.serial.Drain();
    SendBytes(link, boot.Block3());
    link.clock.SleepMs(kSettleMs);

    const PolledByte answer =
        WaitForByte(link, Deadline(link.clock, kBootstrapAnswerSeconds), Pace::Pumping());
    if (!answer.Arrived())
        return false;
    if (answer.value == kLoaderRunning)
        return true;
    link.Beep();
    return false;
}

bool TCDiferencial::LoadLoaderStage1() {
    LinkContext& link = Link();
    link.serial.Drain();
    SendBytes(link, kStage1Command);
    SendBytes(link, boot.Block2());
    session_.stepStartTime = link.clock.Seconds();
    const Deadline limit = Deadline::Since(link.clock, session_.stepStartTime, kStageLimitSeconds);

    const PolledByte answer = WaitForByte(link, limit, Pace::Pumping());
    if (!answer.Arrived())
        return false;
    loan_.graficos.enabled = false;
    if (answer.value == kPicturesAccepted) {
        std::array<std::uint8_t, 3> raster{};
        for (std::uint8_t& byte : raster) {
            const PolledByte next = WaitForByte(link, limit, Pace::Pumping());
            if (!next.Arrived())
                return false;
            byte = next.value;
        }
        // Pictures are enabled only with a whole raster position: half of one would send
        // them to wherever the missing bytes left it.
        loan_.graficos.firstBank = raster[0];
        loan_.graficos.baseAddress = static_cast<std::uint16_t>(raster[1] << 8 | raster[2]);
        loan_.graficos.enabled = true;
    } else if (answer.value != kNoPictures) {
        return false;
    }
    link.clock.SleepMs(kStageRestMs);
    return true;
}

bool TCDiferencial::LoadLoaderStage2() {
    LinkContext& link = Link();
    link.serial.Drain();
    for (std::uint8_t byte : kStage2Command) {
        SendBytes(link, {&byte, 1});
        link.clock.SleepMs(kSlowGapMs);
    }
    // The loader takes its code a few bytes at a time.
    const std::span<const std::uint8_t> code = boot.Block3();
    for (std::size_t offset = 0; offset < code.size(); offset += kStage2Piece) {
        SendBytes(link, code.subspan(offset, std::min(kStage2Piece, code.size() - offset)));
        link.clock.SleepMs(kSlowGapMs);
    }
    session_.stepStartTime = link.clock.Seconds();
    link.clock.SleepMs(kSettleMs);

    const Deadline limit = Deadline::Since(link.clock, session_.stepStartTime, kStageLimitSeconds);
    // The first byte carries nothing the updater uses; the loader's 0xAD follows.
    if (!WaitForByte(link, limit, Pace::Pumping()).Arrived())
        return false;
    if (!WaitForThisByte(link, limit, kLoaderRunning, Pace::Pumping()).Arrived())
        return false;
    link.clock.SleepMs(kStageRestMs);
    return true;
}

bool TCDiferencial::PrepareLoader() {
    PatchLoaderBlock();
    session_.Timer_desconexion.enabled = false;
    session_.stepStartTime = Link().clock.Seconds();
    return LoadLoaderStage1() && LoadLoaderStage2();
}

bool TCDiferencial::RunLoaderStages() {
    // The watch reads the line between events and would take the loader's answers away.
    session_.Timer_desconexion.enabled = false;
    const bool patched = PatchLoaderBlock();
    LoadLoaderStage1();
    LoadLoaderStage2();
    return patched;
}

}  // namespace kell
