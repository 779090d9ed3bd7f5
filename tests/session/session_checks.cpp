#include "tests/session/session_checks.h"

#include <gtest/gtest.h>

#include <sstream>

#include "payloads/payloads.h"

namespace kell::testing {

const FirmwareSegments& EmbeddedFirmwareSegments() {
    static const FirmwareSegments segments = [] {
        FirmwareSegments out;
        auto text = payloads::MainFirmwareHex();
        auto hex = [&](std::size_t at) {
            auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
            return static_cast<std::uint8_t>(digit(static_cast<char>(text[at])) * 16 +
                                             digit(static_cast<char>(text[at + 1])));
        };
        std::uint32_t upper = 0;
        for (std::size_t at = 0; at < text.size();) {
            const std::uint8_t count = hex(at + 1);
            const std::uint32_t address =
                static_cast<std::uint32_t>(hex(at + 3) << 8 | hex(at + 5));
            const std::uint8_t type = hex(at + 7);
            if (type == 4)
                upper = static_cast<std::uint32_t>(hex(at + 9) << 8 | hex(at + 11));
            if (type == 0) {
                for (std::uint32_t i = 0; i < count; ++i) {
                    const std::uint32_t full = (upper << 16) + address + i;
                    auto& segment = out[static_cast<std::uint8_t>(full >> 16)];
                    segment.resize(0x10000, -1);
                    segment[full & 0xFFFF] = hex(at + 9 + 2 * i);
                }
            }
            if (type == 1)
                break;
            at += 11 + 2 * count + 2;  // colon, fields, data, checksum, CR LF
        }
        return out;
    }();
    return segments;
}

std::size_t CompareFirmwareInFlash(const sim::Instrument& instrument, std::string& mismatch) {
    constexpr std::uint8_t kRegionSegment = 0x18;
    constexpr std::uint32_t kRegionEnd = 0x10;
    constexpr std::uint8_t kPlanSegment = 0x1E;
    std::size_t compared = 0;
    for (const auto& [segment, bytes] : EmbeddedFirmwareSegments()) {
        if (segment == kPlanSegment)
            continue;  // what the plans step decided
        const std::vector<std::uint8_t> held = instrument.FlashSegment(segment);
        for (std::uint32_t offset = 0; offset < bytes.size(); ++offset) {
            if (bytes[offset] < 0 || (segment == kRegionSegment && offset < kRegionEnd))
                continue;  // no record, or the region text, which is the instrument's own
            if (held[offset] != bytes[offset]) {
                std::ostringstream text;
                text << std::hex << "flash 0x" << (segment << 16 | offset) << " holds 0x"
                     << int{held[offset]} << ", not 0x" << bytes[offset];
                mismatch = text.str();
                return compared;
            }
            ++compared;
        }
    }
    return compared;
}

void ExpectFirmwareInstalled(const sim::Instrument& instrument) {
    std::string mismatch;
    EXPECT_GT(CompareFirmwareInFlash(instrument, mismatch), 1'600'000u) << mismatch;
    EXPECT_EQ(mismatch, "");
    EXPECT_EQ(instrument.FirmwareVersion(), "2.04.00000");
    EXPECT_TRUE(instrument.Module().finished);
    EXPECT_EQ(instrument.Module().application, Bytes(payloads::Mpeg4Application()));
    EXPECT_EQ(instrument.Flash(0x300000 + 2 + 8, 2), (std::vector<std::uint8_t>{4, 3}));  // 3.4
}

std::vector<std::string> StepTexts(const LocalisedTexts& texts, int total) {
    std::vector<std::string> steps;
    for (int i = 1; i <= total; ++i)
        steps.push_back(texts.PASO4_L3 + ": " + std::to_string(i) + "/" + std::to_string(total));
    return steps;
}

bool SpeedChangeAsked(const sim::Instrument& instrument) {
    for (const auto& call : instrument.Calls()) {
        if (call.selector == 0 && call.word == 0xFEB4)
            return true;
    }
    return false;
}

std::vector<std::uint8_t> SectorsErasedByLoader(const sim::Instrument& instrument) {
    // 5B 00 00 00, length 00 00 00, sector, 00 00 00, XOR of bytes 1 to 10 (= the sector).
    const std::vector<std::uint8_t> sent =
        instrument.GetTranscript().Bytes(sim::Transcript::Direction::FromHost);
    constexpr std::size_t kFrame = 12;
    std::vector<std::uint8_t> sectors;
    for (std::size_t i = 0; i + kFrame <= sent.size(); ++i) {
        if (sent[i] != 0x5B)
            continue;
        bool zeros = true;
        for (std::size_t k : {1, 2, 3, 4, 5, 6, 8, 9, 10})
            zeros = zeros && sent[i + k] == 0;
        if (zeros && sent[i + 11] == sent[i + 7]) {
            sectors.push_back(sent[i + 7]);
            i += kFrame - 1;
        }
    }
    return sectors;
}

}  // namespace kell::testing
