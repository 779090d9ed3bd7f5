#include "image/util.h"

#include <gtest/gtest.h>

namespace kell::testing {
namespace {

TEST(UtilTest, HexDigitsAreUpperCaseOnly) {
    std::uint8_t v = 0x77;
    EXPECT_EQ(TUtil::HexDigit('0', v), TUtil::kOk);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(TUtil::HexDigit('9', v), TUtil::kOk);
    EXPECT_EQ(v, 9);
    EXPECT_EQ(TUtil::HexDigit('A', v), TUtil::kOk);
    EXPECT_EQ(v, 10);
    EXPECT_EQ(TUtil::HexDigit('F', v), TUtil::kOk);
    EXPECT_EQ(v, 15);
    for (char c : {'a', 'f', 'G', '/', ':', '@', ' ', '\0', '\r'}) {
        v = 0x77;
        EXPECT_EQ(TUtil::HexDigit(c, v), TUtil::kNotHex) << int(c);
        EXPECT_EQ(v, 0x77);
    }
}

TEST(UtilTest, BytesAndWordsAreWrittenHighPartFirst) {
    std::uint8_t b = 0;
    EXPECT_EQ(TUtil::HexByte("C3", b), TUtil::kOk);
    EXPECT_EQ(b, 0xC3);
    EXPECT_EQ(TUtil::HexByte("c3", b), TUtil::kNotHex);
    std::uint16_t w = 0;
    EXPECT_EQ(TUtil::HexWord("1234", w), TUtil::kOk);
    EXPECT_EQ(w, 0x1234);
    EXPECT_EQ(TUtil::HexWord("12X4", w), TUtil::kNotHex);
    // A string ending after the first digit is not read past its end.
    const char shortText[] = {'A', '\0'};
    EXPECT_EQ(TUtil::HexByte(shortText, b), TUtil::kNotHex);
}

TEST(UtilTest, XorOfTheFrameBytes) {
    const std::uint8_t frame[] = {0x01, 0x50, 0x3F, 0x01, 0x98};
    EXPECT_EQ(TUtil::Xor(frame, 5), 0x01 ^ 0x50 ^ 0x3F ^ 0x01 ^ 0x98);
    EXPECT_EQ(TUtil::Xor(frame, 0), 0);
}

}  // namespace
}  // namespace kell::testing
