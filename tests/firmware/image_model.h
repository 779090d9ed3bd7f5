#pragma once

#include <string>
#include <string_view>

#include "firmware/diferencial.h"
#include "payloads/payloads.h"
#include "tests/firmware/scripted_loader.h"

// What a firmware text should leave in the instrument's flash, worked out here apart from the
// updater's reader.
namespace kell::testing {

inline std::string EmbeddedText() {
    const auto text = payloads::MainFirmwareHex();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

inline int Hex(std::string_view digits) {
    int value = 0;
    for (char c : digits)
        value = value * 16 + (c <= '9' ? c - '0' : (c & ~0x20) - 'A' + 10);
    return value;
}

// The data of a HEX text by segment, read here apart from the updater's reader, for the pages
// that are flagged.
inline SparseFlash ImageOf(const std::string& text, const PageFlags& flagged) {
    SparseFlash image;
    int segment = -1;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        const std::string_view line(text.data() + at, end - at);
        at = end + 1;
        const int count = Hex(line.substr(1, 2));
        const int address = Hex(line.substr(3, 4));
        const int type = Hex(line.substr(7, 2));
        if (type == 4)
            segment = Hex(line.substr(9, 4));
        if (type != 0 || segment < 0 || segment >= 64 || !flagged[segment])
            continue;
        for (int i = 0; i < count; ++i)
            image.Write(static_cast<std::uint32_t>(segment << 16) + address + i,
                        static_cast<std::uint8_t>(Hex(line.substr(9 + 2 * i, 2))));
    }
    return image;
}

// Where two flashes differ, in a few words.
inline std::string Differences(const SparseFlash& got, const SparseFlash& expected) {
    std::string out;
    for (const auto& [number, bank] : expected.Banks()) {
        const auto* other = got.Find(number);
        if (!other) {
            out += "page " + std::to_string(number) + " missing; ";
            continue;
        }
        int differing = 0;
        for (std::size_t i = 0; i < bank.size(); ++i)
            differing += bank[i] != (*other)[i];
        if (differing)
            out += "page " + std::to_string(number) + ": " + std::to_string(differing) +
                   " bytes differ; ";
    }
    for (const auto& [number, bank] : got.Banks())
        if (!expected.Find(number))
            out += "page " + std::to_string(number) + " not expected; ";
    return out;
}

inline PageFlags FlagsOf(std::uint64_t bits) {
    PageFlags flags{};
    for (std::size_t s = 0; s < flags.size(); ++s)
        flags[s] = (bits >> s & 1) != 0;
    return flags;
}

}  // namespace kell::testing
