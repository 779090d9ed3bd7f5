#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "payloads/payloads.h"
#include "tests/support/hex_records.h"

namespace kell::testing {
using namespace kell::payloads;
namespace {

bool LowerCaseHex(std::string_view digits) {
    return std::all_of(digits.begin(), digits.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::string Hex4(int value) {
    char text[5];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

TEST(KeypadHexTest, FollowsTheFixedLineLayoutInLowerCaseWithRightChecksums) {
    const auto text = KeypadHex();
    ASSERT_EQ(text.size(), kKeypadHexLength);
    const std::vector<TextLine> lines = SplitLines(text);
    ASSERT_EQ(lines.size(), 261u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i].text;
        SCOPED_TRACE(line);
        ASSERT_TRUE(lines[i].crLf);
        ASSERT_EQ(line[0], ':');
        EXPECT_TRUE(LowerCaseHex(line.substr(1)));
        HexRecord r;
        ASSERT_TRUE(ReadRecord(line, &r));
        EXPECT_TRUE(r.checksumRight);
    }
    for (int i = 0; i < 256; ++i) {
        const std::string_view line = lines[i].text;
        EXPECT_EQ(line.size() + 2, 141u);
        EXPECT_EQ(line.substr(0, 9), ":40" + Hex4(i * 64) + "00");
    }
    EXPECT_EQ(lines[256].text.substr(0, 13), ":020000040010");
    EXPECT_EQ(lines[256].text.size() + 2, 17u);
    EXPECT_EQ(lines[257].text.substr(0, 3), ":40");
    EXPECT_EQ(lines[257].text.substr(7, 2), "00");
    EXPECT_EQ(lines[257].text.size() + 2, 141u);
    EXPECT_EQ(lines[258].text.substr(0, 13), ":020000040020");
    EXPECT_EQ(lines[258].text.size() + 2, 17u);
    EXPECT_EQ(lines[259].text.substr(0, 9), ":02000000");
    EXPECT_EQ(lines[259].text.size() + 2, 17u);
    EXPECT_EQ(lines[260].text, ":00000001ff");
}

TEST(KeypadHexTest, ProgramIsNotOneRepeatedValue) {
    const auto text = KeypadHex();
    const std::string first(text.begin() + 9, text.begin() + 9 + 128);
    const std::string second(text.begin() + 141 + 9, text.begin() + 141 + 9 + 128);
    EXPECT_NE(first, second);
    EXPECT_NE(first, std::string(128, first[0]));
}

}  // namespace
}  // namespace kell::testing
