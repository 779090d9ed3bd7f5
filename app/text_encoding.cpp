#include "app/text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <optional>

namespace kell {
namespace {

// Converts with iconv; an invalid sequence ends the conversion (nullopt) or, when replacement
// is given, is written as it and skipped one byte at a time.
std::optional<std::string> Convert(const char* from, std::string_view bytes,
                                   std::optional<std::string_view> replacement) {
    iconv_t cd = iconv_open("UTF-8", from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string out;
    char buffer[4096];
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    std::optional<std::string> result;
    for (;;) {
        char* dest = buffer;
        std::size_t destLeft = sizeof buffer;
        const std::size_t r = iconv(cd, inLeft ? &in : nullptr, &inLeft, &dest, &destLeft);
        out.append(buffer, static_cast<std::size_t>(dest - buffer));
        if (r != static_cast<std::size_t>(-1)) {
            if (inLeft == 0)
                result = std::move(out);
            break;
        }
        if (errno == E2BIG)
            continue;
        if ((errno == EILSEQ || errno == EINVAL) && replacement) {
            out.append(*replacement);
            ++in;
            --inLeft;
            continue;
        }
        break;
    }
    iconv_close(cd);
    return result;
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

bool IsValidUtf8(std::string_view bytes) {
    return Convert("UTF-8", bytes, std::nullopt).has_value();
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    // Without the system's converter the text stays as it is: accents may show wrong, but the
    // texts are there.
    return Convert("CP1252", bytes, "\xEF\xBF\xBD").value_or(std::string(bytes));
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
