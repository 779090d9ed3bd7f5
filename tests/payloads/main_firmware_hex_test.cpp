#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "payloads/payloads.h"
#include "tests/support/hex_records.h"

namespace kell::testing {
using namespace kell::payloads;
namespace {

struct Placed {
    int segment;
    HexRecord record;
};

// The embedded text read once for all the tests below.
class MainFirmwareHexTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        lines_ = new std::vector<TextLine>(SplitLines(MainFirmwareHex()));
        records_ = new std::vector<Placed>;
        int segment = -1;
        for (const TextLine& line : *lines_) {
            HexRecord r;
            ASSERT_TRUE(ReadRecord(line.text, &r)) << line.text;
            if (r.type == 4) {
                segment = r.data[0] * 256 + r.data[1];
            }
            records_->push_back({segment, r});
        }
    }
    static void TearDownTestSuite() {
        delete lines_;
        delete records_;
    }
    static std::vector<TextLine>* lines_;
    static std::vector<Placed>* records_;
};

std::vector<TextLine>* MainFirmwareHexTest::lines_ = nullptr;
std::vector<Placed>* MainFirmwareHexTest::records_ = nullptr;

TEST_F(MainFirmwareHexTest, TextEndsWithTheEndOfFileRecordFollowedByBytesThatAreNoRecord) {
    const auto text = MainFirmwareHex();
    ASSERT_EQ(text.size(), kMainFirmwareHexLength);
    const std::string_view last(reinterpret_cast<const char*>(text.data()) + text.size() - 13, 13);
    EXPECT_EQ(last, ":00000001FF\r\n");
    const std::uint8_t* after = text.data() + text.size();
    for (std::size_t i = 0; i < kTrailingBytes; ++i) {
        EXPECT_EQ(after[i], 0) << i;
    }
}

TEST_F(MainFirmwareHexTest, EveryLineIsAnUpperCaseRecordWithItsChecksumAndCrLf) {
    for (std::size_t i = 0; i < lines_->size(); ++i) {
        const TextLine& line = (*lines_)[i];
        ASSERT_TRUE(line.crLf) << "line " << i;
        ASSERT_LE(line.text.size(), 75u) << "line " << i;
        ASSERT_EQ(line.text.find_first_not_of("0123456789ABCDEF", 1), std::string_view::npos)
            << line.text;
        const HexRecord& r = (*records_)[i].record;
        ASSERT_TRUE(r.checksumRight) << line.text;
        ASSERT_TRUE(r.type == 0 || r.type == 1 || r.type == 4) << line.text;
        ASSERT_EQ(r.type == 1, i + 1 == lines_->size()) << "line " << i;
    }
}

TEST_F(MainFirmwareHexTest, CarriesAbout52000RecordsAndMostlyFullDataRecords) {
    std::size_t dataRecords = 0, of32 = 0, dataBytes = 0;
    for (const Placed& p : *records_) {
        if (p.record.type == 0) {
            ++dataRecords;
            of32 += p.record.count == 32 ? 1 : 0;
            dataBytes += p.record.data.size();
            EXPECT_LE(p.record.count, 32);
            EXPECT_GE(p.segment, 0) << "a data record before the first segment";
        }
    }
    EXPECT_GE(records_->size(), 51000u);
    EXPECT_LE(records_->size(), 52000u);
    EXPECT_GE(dataBytes, 1'550'000u);
    EXPECT_LE(dataBytes, 1'700'000u);
    EXPECT_GE(of32 * 100, dataRecords * 99);
}

TEST_F(MainFirmwareHexTest, ExtendedAddressesNameExactlyTheSegmentsOfThisBuild) {
    std::vector<int> segments;
    for (const Placed& p : *records_) {
        if (p.record.type == 4) {
            EXPECT_EQ(p.record.count, 2);
            EXPECT_EQ(p.record.address, 0);
            segments.push_back(p.segment);
        }
    }
    std::vector<int> expected = {0};
    for (int s = 2; s <= 22; ++s) {
        expected.push_back(s);
    }
    for (int s = 24; s <= 28; ++s) {
        expected.push_back(s);
    }
    expected.push_back(30);
    EXPECT_EQ(segments, expected);
    std::uint64_t mask = 0;
    for (int s : expected) {
        mask |= std::uint64_t{1} << s;
    }
    EXPECT_EQ(mask, kMainFirmwarePages);
}

TEST_F(MainFirmwareHexTest, VersionReadsTheSameAtStartUpAndFromAnInstrumentThatStoredIt) {
    // Start-up: the first 4 bytes of the record at 0x0010 and the first 5 of the one at 0x0016.
    std::string release, build;
    std::map<int, std::uint8_t> stored;  // offsets 0x00-0x1F of segment 0x18
    for (const Placed& p : *records_) {
        const HexRecord& r = p.record;
        if (p.segment != 0x18 || r.type != 0) {
            continue;
        }
        if (r.address == 0x0010) {
            release.assign(r.data.begin(), r.data.begin() + 4);
        }
        if (r.address == 0x0016) {
            build.assign(r.data.begin(), r.data.begin() + 5);
        }
        for (int i = 0; i < r.count && r.address + i < 0x20; ++i) {
            EXPECT_TRUE(stored.emplace(r.address + i, r.data[i]).second) << "overlap";
        }
    }
    EXPECT_EQ(release + "." + build, "2.04.00000");
    EXPECT_EQ(release + "." + build, kMainFirmwareVersion);
    // The instrument: 6-byte reads up to the first zero; flash not written reads 0xFF.
    auto read6 = [&](int offset) {
        std::string text;
        for (int a = offset; a < offset + 6; ++a) {
            const std::uint8_t b = stored.count(a) ? stored[a] : 0xFF;
            if (b == 0) {
                break;
            }
            text += static_cast<char>(b);
        }
        return text;
    };
    EXPECT_EQ(read6(0x0010), "2.04");
    EXPECT_EQ(read6(0x0016), "00000");
    EXPECT_EQ(stored.lower_bound(0x0000), stored.lower_bound(0x0010))
        << "data where the instrument keeps its region text";
}

TEST_F(MainFirmwareHexTest, DataRunsRestartAtGapsInsideSegments) {
    int gaps = 0;
    int segment = -1;
    long end = -1;
    for (const Placed& p : *records_) {
        if (p.record.type != 0) {
            continue;
        }
        const long start = long{p.segment} << 16 | p.record.address;
        if (p.segment == segment && start != end) {
            ++gaps;
        }
        EXPECT_LE(p.record.address + p.record.count, 0x10000);
        segment = p.segment;
        end = start + p.record.count;
    }
    EXPECT_GE(gaps, 3);
}

}  // namespace
}  // namespace kell::testing
