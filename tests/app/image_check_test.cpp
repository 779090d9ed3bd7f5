#include <gtest/gtest.h>

#include "app/ventana_brisca.h"
#include "tests/app/test_support.h"
#include "tests/support/virtual_world.h"

namespace kell::testing {
namespace {

// The page layout of the instrument's firmware: 0, 2 to 22, 24 to 28 and 30.
std::string FirmwareLikeImage(const std::string& release, const std::string& build) {
    return SyntheticImage(
        {0x0000, 0x0002, 0x0003, 0x0004, 0x0005, 0x0006, 0x0007, 0x0008, 0x0009, 0x000A,
         0x000B, 0x000C, 0x000D, 0x000E, 0x000F, 0x0010, 0x0011, 0x0012, 0x0013, 0x0014,
         0x0015, 0x0016, 0x0018, 0x0019, 0x001A, 0x001B, 0x001C, 0x001E},
        release, build);
}

struct ImageCheckTest : ::testing::Test {
    VirtualWorld world;
    TempDir dir;  // no language file in it
    std::string image;

    std::unique_ptr<Tventana_brisca> Open(std::string text) {
        image = std::move(text);
        return std::make_unique<Tventana_brisca>(world.seams, dir.Path(), SpanOf(image));
    }
};

TEST_F(ImageCheckTest, FirmwareLikeImageGivesItsVersionPagesAndRecordCount) {
    auto window = Open(FirmwareLikeImage("2.04", "00000"));
    EXPECT_EQ(window->EmbeddedVersion(), "2.04.00000");
    for (int page = 0; page < 64; ++page) {
        const bool expected =
            page == 0 || (page >= 2 && page <= 22) || (page >= 24 && page <= 28) || page == 30;
        EXPECT_EQ(window->pagePresent[page], expected) << "page " << page;
    }
    ASSERT_NE(window->hexReader, nullptr);
    // Per page one address record and three data records, three more records for the version
    // page, and the end-of-file record.
    EXPECT_EQ(window->hexReader->recordCount, 28 * 4 + 3 + 1);
    EXPECT_TRUE(world.notifier.messages.empty());
    EXPECT_TRUE(world.notifier.beeps.empty());
    EXPECT_EQ(window->controls.Label1.caption, "Version 2.04");
}

TEST_F(ImageCheckTest, TestBuildShowsItsWholeVersion) {
    auto window = Open(FirmwareLikeImage("2.04", "00003"));
    EXPECT_EQ(window->controls.Label1.caption, "Version 2.04.00003");
    EXPECT_EQ(window->texts.PASO1_L2, "Version 2.04.00003");
    EXPECT_EQ(window->controls.Label_info2.caption, "Version 2.04.00003");
}

TEST_F(ImageCheckTest, BadLinesAreReportedWithTheirIndexAndDiscardTheReader) {
    const std::string good = UpperAddressLine(0x0002) + DataLine(0x0000, "abcd");
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {good + "020000040003F7\r\n" + EndOfFileLine(), "La linea: 2 NO es un record"},
        {":0100000041BF\r\n" + EndOfFileLine(), "La linea: 0 tiene un checksum incorrecto"},
        {good + ":0100000041be\r\n" + EndOfFileLine(), "La linea: 2 tiene un formato incorrecto"},
        {good + ":" + std::string(300, '0') + "\r\n", "La linea: 2 tiene un formato incorrecto"},
        {good, "El fichero ha terminado antes de lo esperado"},
        {good + ":00000001FF", "El fichero ha terminado antes de lo esperado"},
        {"", "El fichero ha terminado antes de lo esperado"},
    };
    for (const auto& c : cases) {
        world.notifier.messages.clear();
        world.notifier.beeps.clear();
        auto window = Open(c.text);
        EXPECT_EQ(world.MessageTexts(), std::vector<std::string>{c.message}) << c.text;
        EXPECT_EQ(world.notifier.beeps, (std::vector<std::pair<int, int>>{{1000, 500}}));
        EXPECT_EQ(window->hexReader, nullptr);
    }
}

TEST_F(ImageCheckTest, ScanStopsAtTheBadLineKeepingWhatItFound) {
    const std::string text = UpperAddressLine(0x0018) + DataLine(0x0010, "2.04") +
                             UpperAddressLine(0x0005) + "garbage\r\n" + UpperAddressLine(0x0007) +
                             EndOfFileLine();
    auto window = Open(text);
    EXPECT_TRUE(window->pagePresent[0x18]);
    EXPECT_TRUE(window->pagePresent[0x05]);
    EXPECT_FALSE(window->pagePresent[0x07]);
    EXPECT_EQ(window->EmbeddedVersion(), "2.04.");
    EXPECT_EQ(window->controls.Label1.caption, "Version 2.04.");
}

TEST_F(ImageCheckTest, VersionIsTakenOnlyFromBankC3) {
    // Before any address record there is no bank; then a record of bank 0xC2 at the same offsets.
    const std::string text = DataLine(0x0010, "9.99") + DataLine(0x0016, "99999") +
                             UpperAddressLine(0x0017) + DataLine(0x0010, "8.88") +
                             DataLine(0x0016, "88888") + EndOfFileLine();
    auto window = Open(text);
    EXPECT_EQ(window->EmbeddedVersion(), "");
    EXPECT_EQ(window->controls.Label1.caption, "Version ");
    ASSERT_NE(window->hexReader, nullptr);
    EXPECT_EQ(window->hexReader->recordCount, 6);
}

TEST_F(ImageCheckTest, RecordsAfterTheEndOfFileRecordAreNotRead) {
    auto window = Open(UpperAddressLine(0x0001) + EndOfFileLine() + "not a record\r\n");
    ASSERT_NE(window->hexReader, nullptr);
    EXPECT_EQ(window->hexReader->recordCount, 2);
    EXPECT_TRUE(world.notifier.messages.empty());
}

TEST_F(ImageCheckTest, OddRecordsCannotReachOutsideTheTables) {
    // An upper address beyond the 64 pages, an address record without its two bytes and short
    // version records: no flag outside the table, no stale bytes in the version.
    const std::string text = UpperAddressLine(0x0040) + UpperAddressLine(0x00FF) +
                             HexLine(0x04, 0, {0x00}) + UpperAddressLine(0x0018) +
                             DataLine(0x0000, std::string(32, 'Z')) + DataLine(0x0010, "3.") +
                             DataLine(0x0016, "12") + EndOfFileLine();
    auto window = Open(text);
    for (int page = 0; page < 64; ++page)
        EXPECT_EQ(window->pagePresent[page], page == 0x18) << "page " << page;
    EXPECT_EQ(window->EmbeddedVersion(), "3.");
    EXPECT_EQ(std::string(window->embeddedVersion.data() + 5), "12");
}

TEST_F(ImageCheckTest, RunningTheCheckAgainStartsFromScratch) {
    auto window = Open(FirmwareLikeImage("2.04", "00000"));
    window->pagePresent[1] = true;
    window->fileOp.Seek(100);
    window->Abrir_hex();
    EXPECT_FALSE(window->pagePresent[1]);
    EXPECT_TRUE(window->pagePresent[0]);
    ASSERT_NE(window->hexReader, nullptr);
    EXPECT_EQ(window->hexReader->recordCount, 28 * 4 + 3 + 1);
}

}  // namespace
}  // namespace kell::testing
