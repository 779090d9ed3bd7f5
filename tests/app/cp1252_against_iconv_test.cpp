#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "app/text_encoding.h"

namespace kell::testing {
namespace {

// glibc's converter, byte by byte; U+FFFD where it has no character.
std::string IconvCp1252(unsigned char byte) {
    iconv_t cd = iconv_open("UTF-8", "CP1252");
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* from = in;
    char* to = out;
    std::size_t inLeft = 1;
    std::size_t outLeft = sizeof out;
    const bool ok = iconv(cd, &from, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    return ok ? std::string(out, to) : std::string("\xEF\xBF\xBD");
}

TEST(TextEncoding, EveryWindows1252ByteBecomesWhatTheSystemConverterMakesOfIt) {
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        EXPECT_EQ(Cp1252ToUtf8(std::string_view(&c, 1)), IconvCp1252(byte)) << "byte " << byte;
        EXPECT_TRUE(IsValidUtf8(Cp1252ToUtf8(std::string_view(&c, 1))));
    }
}

// RFC 3629, stricter than glibc, which takes code points above U+10FFFF.
TEST(TextEncoding, Utf8IsWhatRfc3629Allows) {
    for (const char* text :
         {"plain", "\xC3\xA9", "\xEF\xBF\xBD", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(IsValidUtf8(text)) << ::testing::PrintToString(text);
    for (const char* text : {"\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                             "\xF5\x80\x80\x80", "\x80", "\xE2\x82", "\xE2\x82x"})
        EXPECT_FALSE(IsValidUtf8(text)) << ::testing::PrintToString(text);
}

}  // namespace
}  // namespace kell::testing
