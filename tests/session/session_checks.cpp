#include "tests/session/session_checks.h"

#include <sstream>

#include "payloads/payloads.h"

namespace kell::testing {

const std::map<std::uint32_t, std::uint8_t>& EmbeddedFirmwareBytes() {
    static const std::map<std::uint32_t, std::uint8_t> bytes = [] {
        std::map<std::uint32_t, std::uint8_t> out;
        auto text = payloads::MainFirmwareHex();
        auto hex = [&](std::size_t at) {
            auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
            return static_cast<std::uint8_t>(digit(static_cast<char>(text[at])) * 16 +
                                             digit(static_cast<char>(text[at + 1])));
        };
        std::uint32_t upper = 0;
        for (std::size_t at = 0; at < text.size();) {
            const std::uint8_t count = hex(at + 1);
            const auto address = static_cast<std::uint16_t>(hex(at + 3) << 8 | hex(at + 5));
            const std::uint8_t type = hex(at + 7);
            if (type == 4)
                upper = static_cast<std::uint32_t>(hex(at + 9) << 8 | hex(at + 11));
            if (type == 0) {
                for (std::uint8_t i = 0; i < count; ++i)
                    out[(upper << 16) + address + i] = hex(at + 9 + 2 * i);
            }
            if (type == 1)
                break;
            at += 11 + 2 * count + 2;  // colon, fields, data, checksum, CR LF
        }
        return out;
    }();
    return bytes;
}

std::size_t CompareFirmwareInFlash(const sim::Instrument& instrument, std::string& mismatch) {
    std::size_t compared = 0;
    for (const auto& [address, byte] : EmbeddedFirmwareBytes()) {
        if ((address >> 16) == 0x18 && (address & 0xFFFF) < 0x10)
            continue;  // the region text is the instrument's own
        if ((address >> 16) == 0x1E)
            continue;  // the plan page
        const std::uint8_t held = instrument.Flash(address, 1).at(0);
        if (held != byte) {
            std::ostringstream text;
            text << std::hex << "flash 0x" << address << " holds 0x" << int{held} << ", not 0x"
                 << int{byte};
            mismatch = text.str();
            return compared;
        }
        ++compared;
    }
    return compared;
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
