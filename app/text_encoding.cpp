#include "app/text_encoding.h"

#include <iconv.h>

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
    return IsValidUtf8(bytes) ? std::string(bytes) : Cp1252ToUtf8(bytes);
}

}  // namespace kell
