#include "app/text_encoding.h"

#include <algorithm>
#include <cstdint>

namespace kell {
namespace {

// Windows-1252 from 0x80 to 0x9F (0xA0 on it is Latin-1, the code points themselves); 0 marks
// the five bytes it leaves undefined.
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The text without a UTF-8 lead byte at its end that lacks some of the bytes it announces;
// the text itself when it does not end so.
std::string_view WithoutCutCharacter(std::string_view bytes) {
    const std::size_t size = bytes.size();
    for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if ((byte & 0xC0) == 0x80)
            continue;  // a continuation byte: the lead is further back
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? bytes.substr(0, size - back) : bytes;
    }
    return bytes;
}

// Whether the text holds a byte of a multi-byte UTF-8 character: evidence that it is UTF-8,
// where a lone high byte at the end would as well be a Windows-1252 letter.
bool HasMultiByteCharacter(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(),
                       [](char c) { return (static_cast<unsigned char>(c) & 0x80) != 0; });
}

}  // namespace

// UTF-8 as RFC 3629 has it: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 1;
        unsigned char low = 0x80;  // the range of the second byte
        unsigned char high = 0xBF;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (bytes.size() - i < length)
            return false;
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        if (second < low || second > high)
            return false;
        for (std::size_t k = 2; k < length; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0) {
            const std::uint16_t code = kCp1252High[byte - 0x80];
            AppendUtf8(out, code != 0 ? code : 0xFFFD);
        } else {
            AppendUtf8(out, byte);
        }
    }
    return out;
}

std::string ToUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    // A UTF-8 text cut off inside its last character (a copy that did not finish) is still
    // UTF-8: the broken character goes and the rest stays as written, instead of every accent
    // of it being read as two Windows-1252 letters.
    const std::string_view whole = WithoutCutCharacter(bytes);
    if (whole.size() < bytes.size() && HasMultiByteCharacter(whole) && IsValidUtf8(whole))
        return std::string(whole);
    return Cp1252ToUtf8(bytes);
}

}  // namespace kell
