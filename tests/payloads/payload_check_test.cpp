#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "payloads/check/payload_check.h"
#include "payloads/export/payload_export.h"
#include "payloads/payloads.h"
#include "tests/support/hex_records.h"

namespace kell::testing {
using namespace kell::payloads;
namespace {

using ::testing::HasSubstr;

const PayloadFile& FileOf(PayloadKind kind, int index = 0) {
    for (const PayloadFile& file : kPayloadFiles) {
        if (file.kind == kind && file.index == index) {
            return file;
        }
    }
    throw std::logic_error("no such payload");
}

std::vector<std::uint8_t> Copy(std::span<const std::uint8_t> bytes) {
    return {bytes.begin(), bytes.end()};
}

std::string Ela(int segment) {
    return HexLine(4, 0, {0, static_cast<std::uint8_t>(segment)});
}
const std::string kEof = ":00000001FF\r\n";

std::string ScanError(const std::string& text) {
    FirmwareHexSummary summary;
    return ScanMainFirmwareHex(BytesOf(text), &summary);
}

TEST(PayloadCheckTest, AcceptsEveryEmbeddedPayload) {
    for (const NamedPayload& payload : AllPayloads()) {
        for (const PayloadFile& file : kPayloadFiles) {
            if (file.name == payload.fileName) {
                EXPECT_EQ(CheckPayload(file, payload.bytes), "") << file.name;
            }
        }
    }
}

TEST(PayloadCheckTest, EmbeddedFirmwareSumsUpToTheFiguresOfThisBuild) {
    FirmwareHexSummary s;
    ASSERT_EQ(ScanMainFirmwareHex(MainFirmwareHex(), &s), "");
    EXPECT_EQ(s.pages, kMainFirmwarePages);
    EXPECT_EQ(s.version, "2.04.00000");
    EXPECT_EQ(s.storedRelease, "2.04");
    EXPECT_EQ(s.storedBuild, "00000");
    EXPECT_EQ(s.records, s.dataRecords + 28 + 1);
}

TEST(PayloadCheckTest, RefusesAFirmwareTextWithABadLineNamingTheLine) {
    const PayloadFile& file = FileOf(PayloadKind::kMainFirmwareHex);
    std::vector<std::uint8_t> text = Copy(MainFirmwareHex());
    EXPECT_THAT(CheckPayload(file, std::span(text).first(text.size() - 1)),
                HasSubstr("is 3952736 bytes long; expected 3952737"));

    std::vector<std::uint8_t> badSum = text;
    badSum[17 + 74] ^= 1;  // last checksum digit of line 2
    EXPECT_EQ(CheckPayload(file, badSum), "line 2: has a wrong checksum");

    std::vector<std::uint8_t> lowerCase = text;
    lowerCase[17 + 77 + 10] = static_cast<std::uint8_t>(std::tolower(lowerCase[17 + 77 + 10]));
    if (lowerCase[17 + 77 + 10] == text[17 + 77 + 10]) {
        lowerCase[17 + 77 + 10] = 'a';
    }
    EXPECT_THAT(CheckPayload(file, lowerCase), HasSubstr("line 3: has a character at column 11"));

    std::vector<std::uint8_t> noCr = text;
    noCr[15] = '0';
    EXPECT_EQ(CheckPayload(file, noCr), "line 1: does not end in CR LF");
}

TEST(PayloadCheckTest, RefusesFirmwareRecordsTheUpdaterCannotStream) {
    const std::vector<std::uint8_t> bytes33(33, 0x11);
    EXPECT_EQ(ScanError(HexLine(0, 0, {1, 2}) + Ela(2) + kEof),
              "line 1: a data record before any extended-linear-address record");
    EXPECT_EQ(ScanError(Ela(2) + HexLine(0, 0, bytes33) + kEof),
              "line 2: a data record of 33 bytes; at most 32 are allowed");
    EXPECT_EQ(ScanError(Ela(2) + HexLine(5, 0, {1, 2, 3, 4}) + kEof),
              "line 2: record type 0x05 is not one of 00, 04, 01");
    EXPECT_EQ(ScanError(Ela(0x40) + kEof),
              "line 1: segment 0x0040 is beyond the 64 segments of the instrument's flash");
    EXPECT_EQ(ScanError(Ela(2) + HexLine(0, 0xFFF0, std::vector<std::uint8_t>(32, 1)) + kEof),
              "line 2: the data run past the end of segment 0x02");
    EXPECT_EQ(ScanError(Ela(2) + HexLine(0, 0x10, {1, 2, 3, 4}) + HexLine(0, 0x12, {5}) + kEof),
              "line 3: the data overlap data written before in segment 0x02");
    EXPECT_EQ(ScanError(Ela(2) + kEof + Ela(3)),
              "line 2: the text goes on after the end-of-file record");
    EXPECT_EQ(ScanError(Ela(2)), "the text ends without an end-of-file record");
    EXPECT_EQ(ScanError(Ela(2) + ":0000000"), "line 2: the text ends without a line feed");
}

TEST(PayloadCheckTest, ChecksTheVersionAsTheStartUpCheckAndTheInstrumentReadIt) {
    const std::string release = HexLine(0, 0x10, BytesOf(std::string("2.04\0\0", 6)));
    const std::string build = HexLine(0, 0x16, BytesOf(std::string("00000\0", 6)));
    FirmwareHexSummary s;
    ASSERT_EQ(ScanMainFirmwareHex(BytesOf(Ela(0x18) + release + build + kEof), &s), "");
    EXPECT_EQ(s.version, "2.04.00000");
    EXPECT_EQ(CheckFirmwareSummary(s), "fills segments 24; the updater expects 0, 2-22, 24-28, 30");
    s.pages = kMainFirmwarePages;
    EXPECT_EQ(CheckFirmwareSummary(s), "");

    // One record over both texts: the start-up check finds no record at 0x0016.
    const std::string joined = HexLine(0, 0x10,
                                       BytesOf(std::string("2.04\0\0"
                                                           "00000\0",
                                                           12)));
    ASSERT_EQ(ScanMainFirmwareHex(BytesOf(Ela(0x18) + joined + kEof), &s), "");
    s.pages = kMainFirmwarePages;
    EXPECT_EQ(CheckFirmwareSummary(s),
              "has no version records at segment 0x18, offsets 0x0010 and 0x0016");

    // A release without its zero byte reads on into the build on the instrument.
    const std::string unterminated = HexLine(0, 0x10, BytesOf("2.040-"));
    ASSERT_EQ(ScanMainFirmwareHex(BytesOf(Ela(0x18) + unterminated + build + kEof), &s), "");
    s.pages = kMainFirmwarePages;
    EXPECT_THAT(CheckFirmwareSummary(s), HasSubstr("would read the version \"2.040-.00000\""));

    const std::string other = HexLine(0, 0x16, BytesOf(std::string("00012\0", 6)));
    ASSERT_EQ(ScanMainFirmwareHex(BytesOf(Ela(0x18) + release + other + kEof), &s), "");
    s.pages = kMainFirmwarePages;
    EXPECT_EQ(CheckFirmwareSummary(s), "carries version \"2.04.00012\"; expected \"2.04.00000\"");

    EXPECT_EQ(ScanError(Ela(0x18) + HexLine(0, 0x0C, {'U', 'S', 'A', 0}) + kEof),
              "segment 0x18 carries data at 0x0000-0x000F, where the instrument keeps its region "
              "text");
}

TEST(PayloadCheckTest, RefusesAKeypadTextOutOfItsLayout) {
    const PayloadFile& file = FileOf(PayloadKind::kKeypadHex);
    const std::vector<std::uint8_t> text = Copy(KeypadHex());

    std::vector<std::uint8_t> upper = text;
    upper[1] = 'A';  // ":40" becomes ":A0"
    EXPECT_THAT(CheckPayload(file, upper), HasSubstr("line 1: has a character at column 2"));

    // Line 257 names the area 0x0011 instead of 0x0010, with its checksum mended.
    std::vector<std::uint8_t> area = text;
    const std::size_t line257 = 256 * 141;
    area[line257 + 12] = '1';
    area[line257 + 14] = '9';  // checksum ea -> e9
    EXPECT_THAT(CheckPayload(file, area),
                HasSubstr("line 257: is not the address of the security area"));

    std::vector<std::uint8_t> shortText = text;
    shortText.resize(text.size() - 13);
    EXPECT_EQ(CheckKeypadHex(shortText), "the text ends after 260 of its 261 lines");
}

TEST(PayloadCheckTest, RefusesBinaryPayloadsWithoutTheirMarks) {
    std::vector<std::uint8_t> plan = Copy(ChannelPlan(0));
    plan[3] = 113;
    EXPECT_EQ(CheckPayload(FileOf(PayloadKind::kChannelPlan, 0), plan),
              "header byte 3 (the version) is 113; expected 112");
    plan = Copy(ChannelPlan(2));
    plan[4] = 0;
    EXPECT_EQ(CheckPayload(FileOf(PayloadKind::kChannelPlan, 2), plan),
              "header byte 4 (the plan type) is 0; expected 2");

    std::vector<std::uint8_t> fpga = Copy(FpgaBitstream(1));
    fpga[16] = 0x6B;
    EXPECT_EQ(CheckPayload(FileOf(PayloadKind::kFpgaBitstream, 1), fpga),
              "does not begin with sixteen 0xFF bytes and 0x6A");

    std::vector<std::uint8_t> second = Copy(Mpeg4SecondImage());
    second[100] = 1;
    EXPECT_EQ(CheckPayload(FileOf(PayloadKind::kMpeg4SecondImage), second),
              "byte 100 is not 0; the first 16384 bytes must be 0");

    std::vector<std::uint8_t> picture = Copy(PictureCells(3));
    picture[15] = 1;
    EXPECT_EQ(CheckPayload(FileOf(PayloadKind::kPicture, 3), picture),
              "cell 7 has a high byte other than 0");

    EXPECT_EQ(CheckPayload(FileOf(PayloadKind::kLoaderBlocks), std::vector<std::uint8_t>(1143)),
              "is 1143 bytes long; expected 1144");
}

// The folder check is what runs at configure time on KELL_PAYLOAD_DIR, through the same tool.
// Each test gets a folder of links to one export of the embedded payloads, and replaces the
// files it spoils.
class PayloadFolderTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        exported_ = new QTemporaryDir;
        std::string error;
        ASSERT_TRUE(ExportPayloads(exported_->path().toStdString(), &error)) << error;
    }
    static void TearDownTestSuite() { delete exported_; }

    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        for (const PayloadFile& file : kPayloadFiles) {
            std::filesystem::create_symlink(
                exported_->path().toStdString() + "/" + std::string(file.name),
                Path(std::string(file.name).c_str()));
        }
    }
    std::string Folder() const { return dir_.path().toStdString(); }
    std::string Path(const char* name) const { return Folder() + "/" + name; }
    // Replaces the link by a copy of its first `length` bytes.
    void Spoil(const char* name, std::size_t length) {
        const std::string target = std::filesystem::read_symlink(Path(name)).string();
        std::filesystem::remove(Path(name));
        std::filesystem::copy_file(target, Path(name));
        std::filesystem::resize_file(Path(name), length);
    }

    static QTemporaryDir* exported_;
    QTemporaryDir dir_;
};

QTemporaryDir* PayloadFolderTest::exported_ = nullptr;

TEST_F(PayloadFolderTest, AnExportedFolderPasses) {
    EXPECT_TRUE(CheckPayloadFolder(Folder()).empty());
}

TEST_F(PayloadFolderTest, MissingAndBadFilesAreNamedWithWhatIsWrong) {
    Spoil("fpga_1.rbf", 100);
    std::filesystem::remove(Path("picture_2.bin"));
    Spoil("channel_plan_4.bin", kChannelPlanLengths[4]);
    {
        std::fstream plan(Path("channel_plan_4.bin"),
                          std::ios::in | std::ios::out | std::ios::binary);
        plan.seekp(3);
        plan.put(static_cast<char>(110));
    }
    const std::vector<std::string> problems = CheckPayloadFolder(Folder());
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0],
              Path("channel_plan_4.bin") + ": header byte 3 (the version) is 110; expected 111");
    EXPECT_EQ(problems[1], Path("fpga_1.rbf") + ": is 100 bytes long; expected 93027");
    EXPECT_EQ(problems[2], Path("picture_2.bin") + ": missing (or not a regular file)");
}

TEST_F(PayloadFolderTest, TheCheckerToolFailsOnABadFolderAndPrintsTheProblems) {
    auto run = [](const std::string& folder, std::string* output) {
        const std::string command = std::string(KELL_CHECK_PAYLOADS_TOOL) + " '" + folder + "'";
        FILE* pipe = popen(command.c_str(), "r");
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            *output += buffer;
        }
        return pclose(pipe);
    };
    std::string output;
    EXPECT_EQ(run(Folder(), &output), 0);
    EXPECT_EQ(output, "");
    Spoil("main_firmware.hex", 10);
    EXPECT_NE(run(Folder(), &output), 0);
    EXPECT_EQ(output, Path("main_firmware.hex") + ": is 10 bytes long; expected 3952737\n");
}

}  // namespace
}  // namespace kell::testing
