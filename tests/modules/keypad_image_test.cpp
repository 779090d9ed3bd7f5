#include <gtest/gtest.h>

#include <string>

#include "modules/keypad_image.h"

namespace kell::testing {
namespace {

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(KeypadImageCursor, ReadPastTheEndTakesNothingAndKeepsThePosition) {
    const std::string text = ":40abcdef";
    KeypadImageCursor cursor(Bytes(text));
    EXPECT_EQ(cursor.Take(3), ":40");
    EXPECT_EQ(cursor.Take(7), std::nullopt);
    EXPECT_EQ(cursor.Position(), 3u);
    EXPECT_EQ(cursor.Take(6), "abcdef");
    EXPECT_EQ(cursor.Take(1), std::nullopt);
    EXPECT_EQ(cursor.Take(0), "");
    EXPECT_EQ(cursor.Position(), 9u);
    cursor.Rewind();
    EXPECT_EQ(cursor.Take(1), ":");
}

TEST(KeypadImageCursor, NeverReadsBeyondTheImagesFixedLength) {
    const std::string text(36301 + 50, '0');
    KeypadImageCursor cursor(Bytes(text));
    EXPECT_EQ(cursor.Length(), 36301u);
    ASSERT_TRUE(cursor.Take(36300));
    EXPECT_EQ(cursor.Take(2), std::nullopt);
    EXPECT_EQ(cursor.Take(1), "0");
}

TEST(KeypadHexToBytes, LowerCaseDigitsOnlyOthersCountAsZero) {
    using B = std::vector<std::uint8_t>;
    EXPECT_EQ(KeypadHexToBytes("00ff7a19"), (B{0x00, 0xff, 0x7a, 0x19}));
    EXPECT_EQ(KeypadHexToBytes("AFa"), (B{0x00}));
    EXPECT_EQ(KeypadHexToBytes("g1c:"), (B{0x01, 0xc0}));
    EXPECT_TRUE(KeypadHexToBytes("").empty());
}

}  // namespace
}  // namespace kell::testing
