#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "payloads/payload_files.h"
#include "payloads/payloads.h"

namespace kell::testing {
using namespace kell::payloads;
namespace {

bool AllOneValue(std::span<const std::uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [&](std::uint8_t b) { return b == bytes[0]; });
}

std::uint32_t Le32(const std::uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

TEST(LoaderBlocksTest, ThreeBlocksOfTheirLengthsOneAfterAnother) {
    const auto blocks = LoaderBlocks();
    ASSERT_EQ(blocks.size(), 32u + 144u + 968u);
    const auto b1 = blocks.subspan(0, 32), b2 = blocks.subspan(32, 144), b3 = blocks.subspan(176);
    for (auto block : {b1, b2, b3}) {
        EXPECT_FALSE(AllOneValue(block));
    }
    EXPECT_FALSE(std::equal(b1.begin(), b1.end(), b2.begin()));
}

// The placeholder tables: the 5-byte header, then per plan a 16-byte name, channel count,
// bandwidth and 8-byte channels (4-byte label, kHz little-endian), then 0xFF.
struct PlanEntry {
    std::string name;
    int channels = 0;
};

std::vector<PlanEntry> ReadPlans(std::span<const std::uint8_t> table) {
    std::vector<PlanEntry> plans;
    std::size_t at = 5;
    for (int p = 0; p < table[1]; ++p) {
        if (at + 18 > table.size()) {
            ADD_FAILURE() << "plan " << p << " runs past the table";
            return plans;
        }
        PlanEntry entry;
        entry.name.assign(reinterpret_cast<const char*>(&table[at]),
                          strnlen(reinterpret_cast<const char*>(&table[at]), 16));
        entry.channels = table[at + 16];
        const int bandwidth = table[at + 17];
        EXPECT_TRUE(bandwidth >= 6 && bandwidth <= 8) << entry.name;
        at += 18;
        for (int c = 0; c < entry.channels; ++c, at += 8) {
            if (at + 8 > table.size()) {
                ADD_FAILURE() << entry.name << " runs past the table";
                return plans;
            }
            const std::uint32_t khz = Le32(&table[at + 4]);
            EXPECT_TRUE(std::isupper(table[at])) << entry.name;
            EXPECT_TRUE(khz >= 40'000 && khz <= 900'000) << entry.name << " " << khz;
        }
        plans.push_back(entry);
    }
    EXPECT_TRUE(std::all_of(table.begin() + static_cast<std::ptrdiff_t>(at), table.end(),
                            [](std::uint8_t b) { return b == 0xFF; }));
    return plans;
}

TEST(ChannelPlanTest, EachTableHasItsHeaderAndNamedPlansWithChannels) {
    const std::uint8_t versions[] = {112, 103, 122, 102, 111};
    const std::size_t lengths[] = {73596, 22692, 30648, 39878, 15022};
    const char* aName[] = {"CCIR", "FCC", "JAPAN", "OIRT D/K", "AUSTRALIA"};
    for (int type = 0; type < 5; ++type) {
        SCOPED_TRACE(type);
        const auto table = ChannelPlan(type);
        ASSERT_EQ(table.size(), lengths[type]);
        EXPECT_EQ(table[0], 0);
        EXPECT_GT(table[1], 0);
        EXPECT_EQ(table[2], 0);
        EXPECT_EQ(table[3], versions[type]);
        EXPECT_EQ(table[4], type);
        const std::vector<PlanEntry> plans = ReadPlans(table);
        ASSERT_EQ(plans.size(), table[1]);
        EXPECT_EQ(plans[0].name, aName[type]);
        for (const PlanEntry& plan : plans) {
            EXPECT_FALSE(plan.name.empty());
            EXPECT_GT(plan.channels, 0) << plan.name;
        }
    }
    EXPECT_TRUE(ChannelPlan(-1).empty());
    EXPECT_TRUE(ChannelPlan(5).empty());
}

TEST(FpgaBitstreamTest, ThreeBitstreamsBeginWithTheirPreamble) {
    const std::size_t lengths[] = {92111, 93027, 88698};
    for (int i = 0; i < 3; ++i) {
        const auto bitstream = FpgaBitstream(i);
        ASSERT_EQ(bitstream.size(), lengths[i]);
        EXPECT_TRUE(std::all_of(bitstream.begin(), bitstream.begin() + 16,
                                [](std::uint8_t b) { return b == 0xFF; }));
        EXPECT_EQ(bitstream[16], 0x6A);
        EXPECT_FALSE(AllOneValue(bitstream.subspan(17)));
    }
    EXPECT_TRUE(FpgaBitstream(-1).empty());
    EXPECT_TRUE(FpgaBitstream(3).empty());
}

TEST(Mpeg4ImageTest, ApplicationNamesItselfAndSecondImageBeginsWithZeros) {
    const auto application = Mpeg4Application();
    ASSERT_EQ(application.size(), 4435812u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(application.data())), "KELL MPEG4 APPL");
    EXPECT_EQ(Le32(&application[16]), 4435812u);
    EXPECT_FALSE(AllOneValue(application.subspan(32)));

    const auto second = Mpeg4SecondImage();
    ASSERT_EQ(second.size(), 21676u);
    EXPECT_TRUE(
        std::all_of(second.begin(), second.begin() + 16384, [](std::uint8_t b) { return b == 0; }));
    EXPECT_FALSE(AllOneValue(second.subspan(16384)));
}

// What each picture must show, one character per cell of the digit's 5 x 7 grid.
constexpr const char* kDigits[4][7] = {
    {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},
    {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},
};

TEST(PictureTest, EachPictureShowsItsDigitOnAPlainBackground) {
    std::set<std::vector<std::uint8_t>> distinct;
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        const auto cells = PictureCells(n);
        ASSERT_EQ(cells.size(), 45000u);
        std::vector<std::uint16_t> pixels;
        for (std::size_t i = 0; i < cells.size(); i += 4) {
            ASSERT_EQ(cells[i + 1], 0);
            ASSERT_EQ(cells[i + 3], 0);
            pixels.push_back(static_cast<std::uint16_t>(cells[i] | cells[i + 2] << 8));
        }
        ASSERT_EQ(pixels.size(), 150u * 75u);
        const std::uint16_t background = pixels[0];
        EXPECT_EQ(std::set<std::uint16_t>(pixels.begin(), pixels.end()).size(), 2u);
        // The digit's extent, cut into its 5 x 7 grid and sampled at each cell's centre.
        int left = 150, right = -1, top = 75, bottom = -1;
        for (int y = 0; y < 75; ++y) {
            for (int x = 0; x < 150; ++x) {
                if (pixels[y * 150 + x] != background) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
            }
        }
        ASSERT_GE(right, left);
        const double cellHeight = (bottom - top + 1) / 7.0;
        const double cellWidth = cellHeight;  // square cells: "1" is narrower than its grid
        // Columns left of the first lit column of the glyph shift the grid.
        int firstColumn = 5;
        for (const char* row : kDigits[n - 1]) {
            firstColumn = std::min<int>(firstColumn, static_cast<int>(std::strchr(row, '#') - row));
        }
        const int gridLeft = left - static_cast<int>(firstColumn * cellWidth);
        std::string drawn;
        for (int gy = 0; gy < 7; ++gy) {
            for (int gx = 0; gx < 5; ++gx) {
                const int x = gridLeft + static_cast<int>((gx + 0.5) * cellWidth);
                const int y = top + static_cast<int>((gy + 0.5) * cellHeight);
                drawn += pixels[y * 150 + x] != background ? '#' : '.';
            }
            EXPECT_EQ(drawn.substr(gy * 5), kDigits[n - 1][gy]) << "row " << gy;
        }
        distinct.insert(std::vector<std::uint8_t>(cells.begin(), cells.end()));
    }
    EXPECT_EQ(distinct.size(), 4u);
    EXPECT_TRUE(PictureCells(0).empty());
    EXPECT_TRUE(PictureCells(5).empty());
}

TEST(AllPayloadsTest, NamesEveryFileOnceWithItsBytesAndNoTwoAreAlike) {
    const auto all = AllPayloads();
    ASSERT_EQ(all.size(), std::size(kPayloadFiles));
    for (std::size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(all[i].fileName);
        EXPECT_EQ(all[i].fileName, kPayloadFiles[i].name);
        EXPECT_EQ(all[i].bytes.size(), kPayloadFiles[i].length);
        EXPECT_FALSE(AllOneValue(all[i].bytes));
        for (std::size_t j = 0; j < i; ++j) {
            EXPECT_FALSE(std::equal(all[i].bytes.begin(), all[i].bytes.end(), all[j].bytes.begin(),
                                    all[j].bytes.end()))
                << "same bytes as " << all[j].fileName;
        }
    }
    EXPECT_EQ(all[0].bytes.data(), MainFirmwareHex().data());
    EXPECT_EQ(all[8].bytes.data(), FpgaBitstream(0).data());
}

}  // namespace
}  // namespace kell::testing
