#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "link/agreed_reading.h"
#include "link/link_context.h"

// The queries of the instrument's running firmware: the 0x01 command family (memory words,
// numbered parameters, peripheral registers) and what connection and identification build on it.
namespace kell {

inline constexpr std::uint8_t kCommandFrame = 0x01;
inline constexpr std::uint8_t kAcknowledge = 0x10;
inline constexpr std::uint8_t kFunctionParameter = 0x42;
inline constexpr std::uint8_t kFunctionPeripheral = 0x50;
inline constexpr int kQueryAttempts = 5;

// Reads length/2 words (low byte first) at `address` of segment `function` into `words`. The
// words asked for are zeroed first and stay zero when every attempt fails; a caller that needs
// to know looks at the values or at the result: true when an attempt received the whole reply.
// Words beyond the span's end are read from the line and dropped.
bool ReadWords(LinkContext& link, std::uint16_t address, std::span<std::int16_t> words,
               std::uint8_t function, std::uint8_t length);
// Byte `index` of a word reply, in the order the bytes came on the line (0 past the end).
std::uint8_t ReplyByte(std::span<const std::int16_t> words, std::size_t index);

// The bytes of one memory read of `Bytes` bytes, in the order they came on the line (zeros when
// every attempt failed).
template <std::size_t Bytes>
Reading<std::array<std::uint8_t, Bytes>> ReadMemoryBytes(LinkContext& link, std::uint8_t function,
                                                         std::uint16_t address) {
    static_assert(Bytes % 2 == 0 && Bytes < 256, "a memory read is of whole words");
    std::array<std::int16_t, Bytes / 2> words{};
    Reading<std::array<std::uint8_t, Bytes>> reading;
    reading.answered = ReadWords(link, address, words, function, Bytes);
    for (std::size_t i = 0; i < Bytes; ++i)
        reading.value[i] = ReplyByte(words, i);
    return reading;
}

// The same read asked until two of its replies agree (see agreed_reading.h).
template <std::size_t Bytes>
AgreedReading<std::array<std::uint8_t, Bytes>> ReadAgreedMemoryBytes(LinkContext& link,
                                                                     std::uint8_t function,
                                                                     std::uint16_t address) {
    return ReadUntilTwoAgree([&] { return ReadMemoryBytes<Bytes>(link, function, address); });
}

// Numbered parameters and the reply bytes that carry them.
inline constexpr std::uint16_t kParameterZone = 526;  // reply byte 4
inline constexpr std::uint16_t kParameter562 = 562;   // reply byte 5
inline constexpr std::uint16_t kParameter571 = 571;   // reply bytes 5 (high) and 4 (low)

// The parameter's value from the last attempt (0 for reply bytes that never came), or -1 at
// once when the request could not be written. `succeeded`, when given, tells whether an
// attempt received the whole reply. Identifiers without a rule of their own give bytes 5 and 4
// as a 16-bit value, as 571 does.
int ReadParameter(LinkContext& link, std::uint16_t identifier, bool* succeeded = nullptr);
// The parameter asked until two of its replies agree; a reading without a whole reply ends it
// (Agreement::Unanswered, with that reading's value).
AgreedReading<int> ReadAgreedParameter(LinkContext& link, std::uint16_t identifier);

// Reads or writes a peripheral register. buffer[0] is sent; the reply is stored from
// buffer[0] on. Bytes announced beyond the buffer's size are read and dropped. False without
// touching the line when count > 7 or the buffer is empty; otherwise true when a whole reply
// arrived. This query sleeps between polls instead of letting window events run.
bool QueryPeripheral(LinkContext& link, std::uint8_t device, std::span<std::uint8_t> buffer,
                     std::uint8_t reg, std::uint8_t readFlag, std::uint8_t count);

// Whether the instrument's peripheral status allows an update. Firmware above 1.80 reports it
// in register 12 alone; older firmware in registers 8 and 12.
bool CheckPeripheralStatus(LinkContext& link, bool firmwareAbove180);

// The instrument's 7-byte identity as 14 upper-case hexadecimal digits (fourteen zeros when it is
// silent).
std::string ReadIdentity(LinkContext& link);

// Mean of four level readings, truncated.
int ReadLevelAverage(LinkContext& link);

}  // namespace kell
