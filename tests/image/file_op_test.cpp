#include "image/file_op.h"

#include <gtest/gtest.h>

#include <string>

namespace kell::testing {
namespace {

TEST(FileOpTest, HandsOutLinesWithTheirLineFeedThenReportsTheEnd) {
    TFile_op file(std::string_view(":00000001FF\r\nsecond\n"));
    char line[32];
    ASSERT_EQ(file.ReadLine(line, sizeof line), LineRead::kLine);
    EXPECT_STREQ(line, ":00000001FF\r\n");
    ASSERT_EQ(file.ReadLine(line, sizeof line), LineRead::kLine);
    EXPECT_STREQ(line, "second\n");
    EXPECT_EQ(file.Position(), file.Limit());
    EXPECT_EQ(file.ReadLine(line, sizeof line), LineRead::kExhausted);
    EXPECT_STREQ(line, "");
}

TEST(FileOpTest, TextEndingInsideALineLeavesItsStartInTheBuffer) {
    TFile_op file(std::string_view("ab\ncd"));
    char line[8];
    ASSERT_EQ(file.ReadLine(line, sizeof line), LineRead::kLine);
    EXPECT_EQ(file.ReadLine(line, sizeof line), LineRead::kExhausted);
    EXPECT_STREQ(line, "cd");
    EXPECT_EQ(file.Position(), 5);
}

TEST(FileOpTest, LongLineIsCutAtTheBufferAndSkippedWhole) {
    const std::string text = std::string(300, 'X') + "\nnext\n";
    TFile_op file(text);
    char line[17];
    line[16] = '#';
    ASSERT_EQ(file.ReadLine(line, 16), LineRead::kTooLong);
    EXPECT_EQ(std::string(line), std::string(15, 'X'));
    EXPECT_EQ(line[16], '#') << "wrote past the size it was given";
    ASSERT_EQ(file.ReadLine(line, 16), LineRead::kLine);
    EXPECT_STREQ(line, "next\n");
}

TEST(FileOpTest, NeverReadsPastItsLimit) {
    // The limit cuts a longer buffer: what follows it is not part of the text.
    const std::string memory = "ab\ncd\nTRAILING\n";
    TFile_op file(std::string_view(memory.data(), 5));
    char line[32];
    ASSERT_EQ(file.ReadLine(line, sizeof line), LineRead::kLine);
    EXPECT_EQ(file.ReadLine(line, sizeof line), LineRead::kExhausted);
    EXPECT_STREQ(line, "cd");
}

TEST(FileOpTest, SeekAcceptsOnlyPositionsInsideTheText) {
    TFile_op file(std::string_view("0123456789\n"));
    file.Seek(4);
    EXPECT_EQ(file.Position(), 4);
    file.Seek(-1);
    EXPECT_EQ(file.Position(), 4);
    file.Seek(12);
    EXPECT_EQ(file.Position(), 4);
    file.Seek(11);
    EXPECT_EQ(file.Position(), 11);
    file.Seek(0);
    EXPECT_EQ(file.Position(), 0);
    file.Seek(7);
    file.Rewind();
    EXPECT_EQ(file.Position(), 0);
}

TEST(FileOpTest, EmptyTextIsExhaustedAtOnce) {
    TFile_op file(std::span<const std::uint8_t>{});
    char line[4] = "xyz";
    EXPECT_EQ(file.ReadLine(line, sizeof line), LineRead::kExhausted);
    EXPECT_STREQ(line, "");
}

}  // namespace
}  // namespace kell::testing
