#pragma once

#include <algorithm>
#include <cstdint>

#include "tests/campaign/expected_contents.h"

// The bounds of the README's "Reliability" table and the session's fixed pauses, in
// milliseconds, and what a session may take from them. One place for every figure the time
// checks use, each named as the table names it.
namespace kell::testing::bounds {

inline constexpr std::int64_t kSecond = 1000;

// Queries: a reply byte 1 s per attempt (3 s for the peripheral query), 5 attempts.
inline constexpr std::int64_t kQueryReply = 1 * kSecond;
inline constexpr std::int64_t kPeripheralReply = 3 * kSecond;
inline constexpr std::int64_t kQueryAttempts = 5;
inline constexpr std::int64_t kModuleIdentification = 10 * kSecond;
// A flash block: 2 s, then at most 5 s of resynchronisation and one 2 s resend.
inline constexpr std::int64_t kBlock = (2 + 5 + 2) * kSecond;
// Loader frames: buffer 1 s (10 tries), blank block 2 s, sector 10 s.
inline constexpr std::int64_t kBufferFrame = 1 * kSecond;
inline constexpr std::int64_t kLoaderFrameTries = 10;
inline constexpr std::int64_t kBlankBlock = 2 * kSecond;
inline constexpr std::int64_t kSectorFrame = 10 * kSecond;
// After a failed try the frame's late answer is let in: 100 ms beyond the frame's wire time
// (a buffer frame takes 12.7 ms at 115200 baud).
inline constexpr std::int64_t kLateAnswer = 100 + 13;
// Pictures: the raster clear waits 30 s from the step's start; two failed blocks in a row end a
// picture.
inline constexpr std::int64_t kRasterClear = 31 * kSecond;
// Loader stages: 20 s from the step's start each; the bootstrap upload 30 s.
inline constexpr std::int64_t kLoaderStage = 20 * kSecond;
inline constexpr std::int64_t kBootstrapUpload = 30 * kSecond;
// Staging erase: 3 s per 0xAA try (5), 5 s per erase try (3).
inline constexpr std::int64_t kStagingErase = 5 * 3 * kSecond + 3 * 5 * kSecond;
inline constexpr std::int64_t kCommit = 600 * kSecond;  // main firmware and FPGA set alike
// Keypad: 2 s per acknowledgement; 60 s without a request ends it.
inline constexpr std::int64_t kKeypadAck = 2 * kSecond;
inline constexpr std::int64_t kKeypadSilence = 60 * kSecond;
// MPEG4 module: 10 s per staging clear try (3), 60 s for the start's answer, 1900 s to its end.
inline constexpr std::int64_t kModuleClear = 3 * (10 * kSecond + 500);  // 500 ms after a try
inline constexpr std::int64_t kModuleStart = 60 * kSecond;
inline constexpr std::int64_t kModuleEnd = 1900 * kSecond;
// EEPROM writes: 1 s (short) or 5 s (long) per attempt, 5 attempts.
inline constexpr std::int64_t kEepromLong = 5 * kSecond;
inline constexpr std::int64_t kEepromAttempts = 5;
inline constexpr std::int64_t kStalledWrite = 4 * kSecond;

// Fixed pauses of the session (app/update_sequence.cpp, app/update_steps.cpp,
// app/connection.cpp).
inline constexpr std::int64_t kAfterKeypad = 9 * kSecond;
inline constexpr std::int64_t kAfterPlans = 5 * kSecond;
inline constexpr std::int64_t kAfterLineSpeed = 1 * kSecond;
inline constexpr std::int64_t kBeforeFpga = 5 * kSecond;
inline constexpr std::int64_t kAfterModule = 17 * kSecond;
inline constexpr std::int64_t kBeforeClosing = 10 * kSecond;
inline constexpr std::int64_t kAfterFinish = 500;
inline constexpr std::int64_t kAfterAttempt = 500;          // after each EEPROM write attempt
inline constexpr std::int64_t kRecordSettle = 4 * kSecond;  // drain and settle between records
// A reconnection: 10 attempts of 16 wake pulses of 40 ms, 100 ms, 15 polls of 10 ms, 100 ms.
inline constexpr std::int64_t kReconnect = 10 * (16 * 40 + 100 + 15 * 10 + 100);

// The longest the waits of one whole query may take, and of a record write.
inline constexpr std::int64_t kQuery = kQueryAttempts * kPeripheralReply;
inline constexpr std::int64_t kRecordWrite = kEepromAttempts * (kEepromLong + kAfterAttempt);

// Identification and the gate ask about twenty questions; an instrument that stops answering
// while they run makes each of them run out.
inline constexpr std::int64_t kIdentificationQueries = 24;
inline constexpr std::int64_t kIdentification =
    kIdentificationQueries * kQuery + 2 * kModuleIdentification + kReconnect;

// The line-speed change: one buffer frame, 500 ms, the call frame.
inline constexpr std::int64_t kLineSpeedChange =
    kLoaderFrameTries * kBufferFrame + (kLoaderFrameTries - 1) * kLateAnswer + 500;
// A picture that fails: its raster clear and two blocks.
inline constexpr std::int64_t kFailedPicture = kRasterClear + 2 * kBlock;
// What a session does after a step failed: the line-speed change, its pauses, the finish and
// the end of the link.
inline constexpr std::int64_t kAfterFailure =
    kLineSpeedChange + kAfterLineSpeed + kBeforeFpga + kAfterFinish + kSecond;
// The closing of a session that went well: finish, pause, reconnection, closing frame and the
// two user-band records.
inline constexpr std::int64_t kClosing =
    kAfterFinish + kBeforeClosing + kReconnect + 3 * kRecordWrite + kRecordSettle;

// The most one step may wait before it gives up when the instrument stops answering in it.
// The keypad: a minute without a byte from the instrument, counted from its last one, and the
// acknowledgement wait under way then.
inline constexpr std::int64_t kKeypadStep = kKeypadSilence + kKeypadAck;
inline constexpr std::int64_t kEraseStep =
    kLoaderFrameTries * kBlankBlock + kLoaderFrameTries * kSectorFrame;
inline constexpr std::int64_t kPlansStep = kLoaderFrameTries * (kSectorFrame + kLateAnswer);
// The zone step, and its second run after the instrument was restarted by hand.
inline constexpr std::int64_t kZoneStep = 2 * kRecordWrite + kReconnect + kQuery + kRecordSettle;
inline constexpr std::int64_t kLoaderStart = 2 * (kLoaderStage + 2 * kSecond);
inline constexpr std::int64_t kFpgaStep =
    kLoaderStart + kFailedPicture + kStagingErase + kBlock + kCommit;
inline constexpr std::int64_t kFirmwareStep =
    kLoaderStart + 2 * kFailedPicture + 2 * kStagingErase + kBlock + kCommit;
inline constexpr std::int64_t kModuleStep =
    kModuleClear + 2 * kFailedPicture + kBlock + kModuleStart + kModuleEnd + kReconnect;

// The most a step of `updated` may wait when the instrument stops answering in it.
inline std::int64_t LongestStep(const UpdatedComponents& updated) {
    std::int64_t longest = kPlansStep;  // the line-speed change and the erase's kind of frames
    if (updated.keypad)
        longest = std::max(longest, kKeypadStep);
    if (updated.plans)
        longest = std::max(longest, kEraseStep);
    if (updated.zone)
        longest = std::max(longest, kZoneStep);
    if (updated.fpga)
        longest = std::max(longest, kFpgaStep);
    if (updated.firmware)
        longest = std::max(longest, kFirmwareStep);
    if (updated.module)
        longest = std::max(longest, kModuleStep);
    return longest;
}

// What one fault may add to a session: the longest the waits it strikes may run (a step's, or
// identification's), and the failure or the closing after them.
inline std::int64_t PerFault(const UpdatedComponents& updated) {
    return std::max(LongestStep(updated), kIdentification) + std::max(kAfterFailure, kClosing);
}

}  // namespace kell::testing::bounds
