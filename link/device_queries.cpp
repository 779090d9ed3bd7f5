#include "link/device_queries.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "link/byte_wait.h"

namespace kell {

namespace {

constexpr std::int64_t kReplyLimitSeconds = 1;
constexpr std::int64_t kPeripheralLimitSeconds = 3;
constexpr std::uint32_t kPeripheralPollSleepMs = 50;
constexpr std::uint32_t kSettleMs = 50;

}  // namespace

bool ReadWords(LinkContext& link, std::uint16_t address, std::span<std::int16_t> words,
               std::uint8_t function, std::uint8_t length) {
    const std::size_t count = length / 2;
    const std::size_t stored = std::min(count, words.size());
    std::fill_n(words.begin(), stored, std::int16_t{0});
    const std::array<std::uint8_t, 5> request = {kCommandFrame, function,
                                                 static_cast<std::uint8_t>(address & 0xFF),
                                                 static_cast<std::uint8_t>(address >> 8), length};

    for (int attempt = 0; attempt < kQueryAttempts; ++attempt) {
        link.serial.Drain();
        SendBytes(link, request);
        Deadline deadline(link.clock, kReplyLimitSeconds);
        WaitForThisByte(link, deadline, kAcknowledge, Pace::Pumping());
        WaitForByte(link, deadline, Pace::Pumping());  // the byte after the acknowledgement
        if (!deadline.Expired()) {
            deadline.Restart();
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint8_t low = WaitForByte(link, deadline, Pace::Pumping()).value;
                const std::uint8_t high = WaitForByte(link, deadline, Pace::Pumping()).value;
                if (i < stored)
                    words[i] = static_cast<std::int16_t>(high << 8 | low);
            }
        }
        if (!deadline.Expired()) {
            link.serial.Drain();
            return true;
        }
    }
    link.serial.Drain();
    return false;
}

std::uint8_t ReplyByte(std::span<const std::int16_t> words, std::size_t index) {
    if (index / 2 >= words.size())
        return 0;
    const auto word = static_cast<std::uint16_t>(words[index / 2]);
    return static_cast<std::uint8_t>(index % 2 == 0 ? word & 0xFF : word >> 8);
}

int ReadParameter(LinkContext& link, std::uint16_t identifier, bool* succeeded) {
    // Byte 0 is the acknowledgement; bytes 1 to 5 follow it.
    std::array<std::uint8_t, 6> reply{};
    bool good = false;
    const std::array<std::uint8_t, 6> request = {kCommandFrame,
                                                 kFunctionParameter,
                                                 static_cast<std::uint8_t>(identifier & 0xFF),
                                                 static_cast<std::uint8_t>(identifier >> 8),
                                                 0x04,
                                                 0x00};
    if (succeeded)
        *succeeded = false;

    for (int attempt = 0; attempt < kQueryAttempts && !good; ++attempt) {
        link.serial.Drain();
        if (SendBytes(link, request) == -1)
            return -1;
        Deadline deadline(link.clock, kReplyLimitSeconds);
        if (!WaitForThisByte(link, deadline, kAcknowledge, Pace::Pumping()).Arrived())
            continue;
        deadline.Restart();
        good = true;
        for (std::size_t i = 1; i < reply.size(); ++i) {
            const PolledByte byte = WaitForByte(link, deadline, Pace::Pumping());
            reply[i] = byte.value;
            good = good && byte.Arrived();
        }
    }
    link.serial.Drain();
    if (succeeded)
        *succeeded = good;

    switch (identifier) {
        case kParameterZone:
            return reply[4];
        case kParameter562:
            return reply[5];
        default:
            return reply[5] << 8 | reply[4];
    }
}

AgreedReading<int> ReadAgreedParameter(LinkContext& link, std::uint16_t identifier) {
    return ReadUntilTwoAgree([&] {
        Reading<int> reading;
        reading.value = ReadParameter(link, identifier, &reading.answered);
        return reading;
    });
}

bool QueryPeripheral(LinkContext& link, std::uint8_t device, std::span<std::uint8_t> buffer,
                     std::uint8_t reg, std::uint8_t readFlag, std::uint8_t count) {
    if (count > 7 || buffer.empty())
        return false;
    const std::array<std::uint8_t, 5> request = {
        kCommandFrame, kFunctionPeripheral, static_cast<std::uint8_t>(device & 0x7F), buffer[0],
        static_cast<std::uint8_t>((reg & 0x0F) | (readFlag & 1) << 7 | (count & 7) << 4)};
    const Pace sleeping = Pace::Sleeping(kPeripheralPollSleepMs);

    for (int attempt = 0; attempt < kQueryAttempts; ++attempt) {
        link.serial.Drain();
        SendBytes(link, request);
        Deadline deadline(link.clock, kPeripheralLimitSeconds);
        if (!WaitForThisByte(link, deadline, kAcknowledge, sleeping).Arrived())
            continue;
        const PolledByte announced = WaitForByte(link, deadline, Pace::BackToBack());
        if (!announced.Arrived())
            continue;
        bool complete = true;
        for (std::size_t i = 0; i < announced.value; ++i) {
            const PolledByte byte =
                WaitForByte(link, Deadline(link.clock, kPeripheralLimitSeconds), sleeping);
            if (!byte.Arrived()) {
                // The rest of this reply will not come either; the next attempt drains the line
                // rather than waiting out a fresh limit for every announced byte.
                complete = false;
                break;
            }
            if (i < buffer.size())
                buffer[i] = byte.value;
        }
        if (complete)
            return true;
    }
    return false;
}

bool CheckPeripheralStatus(LinkContext& link, bool firmwareAbove180) {
    constexpr std::uint8_t kDevice = 0x3F;
    constexpr std::uint8_t kStatusRegister = 12;
    constexpr std::uint8_t kOlderStatusRegister = 8;
    std::array<std::uint8_t, 2> buffer{};
    auto query = [&](std::uint8_t reg) {
        buffer = {1, 0};
        return QueryPeripheral(link, kDevice, buffer, reg, 1, 1);
    };

    if (firmwareAbove180)
        return query(kStatusRegister) && (buffer[1] & 0x80) == 0;
    if (!query(kOlderStatusRegister) || (buffer[1] & 0x80) != 0)
        return false;
    return query(kStatusRegister) && (buffer[1] & 0x40) == 0;
}

std::string ReadIdentity(LinkContext& link) {
    constexpr std::size_t kIdentityBytes = 7;
    std::array<std::int16_t, 8> words{};
    link.clock.SleepMs(kSettleMs);
    ReadWords(link, 0x6000, words, 0x00, 16);
    std::string text;
    for (std::size_t i = 0; i < kIdentityBytes; ++i) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", ReplyByte(words, i));
        text += digits;
    }
    return text;
}

int ReadLevelAverage(LinkContext& link) {
    constexpr int kReadings = 4;
    int sum = 0;
    for (int i = 0; i < kReadings; ++i) {
        std::array<std::int16_t, 1> word{};
        ReadWords(link, 0xFEA0, word, 0x00, 2);
        sum += ReplyByte(word, 0);
        link.clock.SleepMs(kSettleMs);
    }
    return sum / kReadings;
}

}  // namespace kell
