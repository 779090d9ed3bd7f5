#include "image/interprete_hex.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace kell::testing {
namespace {

struct Read {
    int result;
    HexRecord record;
};

Read ReadOne(const std::string& text) {
    TFile_op file(text);
    TInterprete_hex reader(file);
    Read r{};
    r.result = reader.ReadRecord(r.record);
    return r;
}

TEST(ReadRecordTest, ChecksumMustBringTheSumToZero) {
    Read good = ReadOne(":0100000041BE\r\n");
    EXPECT_EQ(good.result, kHexRecordOk);
    EXPECT_EQ(good.record.count, 1);
    EXPECT_EQ(good.record.data[0], 0x41);
    EXPECT_EQ(ReadOne(":0100000041BF\r\n").result, kHexBadChecksum);
}

TEST(ReadRecordTest, EmptyDataRecordAndEndOfFileRecord) {
    Read empty = ReadOne(":0000000000\r\n");
    EXPECT_EQ(empty.result, kHexRecordOk);
    EXPECT_EQ(empty.record.count, 0);
    EXPECT_EQ(empty.record.address, 0);
    EXPECT_EQ(empty.record.type, kHexData);

    Read end = ReadOne(":00000001FF\r\n");
    EXPECT_EQ(end.result, kHexRecordOk);
    EXPECT_EQ(end.record.type, kHexEndOfFile);
}

TEST(ReadRecordTest, FieldsOfAFullDataRecord) {
    Read r = ReadOne(":10C01000000102030405060708090A0B0C0D0E0FA8\r\n");
    ASSERT_EQ(r.result, kHexRecordOk);
    EXPECT_EQ(r.record.count, 16);
    EXPECT_EQ(r.record.address, 0xC010);
    EXPECT_EQ(r.record.type, kHexData);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(r.record.data[i], i);
}

TEST(ReadRecordTest, ExtendedAddressRecordAndItsBankByte) {
    Read r = ReadOne(":020000040018E2\r\n");
    ASSERT_EQ(r.result, kHexRecordOk);
    EXPECT_EQ(r.record.type, kHexExtendedLinearAddress);
    EXPECT_EQ(BankByte(r.record.data[1]), 0xC3);
    EXPECT_EQ(BankByte(0x02), 0xAD);
    EXPECT_EQ(BankByte(0x60), 0x0B);  // wraps modulo 256
}

TEST(ReadRecordTest, MalformedLines) {
    EXPECT_EQ(ReadOne(" :00000001FF\r\n").result, kHexNoColon);
    EXPECT_EQ(ReadOne("\r\n").result, kHexNoColon);
    // Lower-case digits are not accepted, in any field.
    EXPECT_EQ(ReadOne(":01000000bfBE\r\n").result, kHexBadFormat);
    EXPECT_EQ(ReadOne(":0100000041be\r\n").result, kHexBadFormat);
    EXPECT_EQ(ReadOne(":0a00000000000000000000000000F6\r\n").result, kHexBadFormat);
    // The line ends before the fields its byte count announces.
    EXPECT_EQ(ReadOne(":0400000041BE\r\n").result, kHexBadFormat);
    EXPECT_EQ(ReadOne(":00\r\n").result, kHexBadFormat);
    EXPECT_EQ(ReadOne(":\n").result, kHexBadFormat);
}

TEST(ReadRecordTest, AnythingAfterTheChecksumIsIgnored) {
    EXPECT_EQ(ReadOne(":00000001FF trailing words\r\n").result, kHexRecordOk);
    EXPECT_EQ(ReadOne(":00000001FF\n").result, kHexRecordOk);
}

TEST(ReadRecordTest, OverlongLineIsRejectedAndTheNextLineStillReads) {
    const std::string text = ":" + std::string(299, '0') + "\r\n:00000001FF\r\n";
    TFile_op file(text);
    TInterprete_hex reader(file);
    HexRecord record;
    EXPECT_EQ(reader.ReadRecord(record), kHexBadFormat);
    EXPECT_EQ(std::string(reader.Line()).size(), TInterprete_hex::kLineCapacity);
    EXPECT_EQ(reader.ReadRecord(record), kHexRecordOk);
    EXPECT_EQ(record.type, kHexEndOfFile);
}

TEST(ReadRecordTest, LongestLineThatFitsStillReads) {
    // 11 characters of fields, 2 per data byte, CR LF: 121 data bytes make 255 characters.
    std::string line = ":79000000";
    unsigned sum = 0x79;
    for (int i = 0; i < 121; ++i) {
        line += "11";
        sum += 0x11;
    }
    char checksum[3];
    std::snprintf(checksum, sizeof checksum, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    line += checksum;
    line += "\r\n";
    ASSERT_EQ(line.size(), TInterprete_hex::kLineCapacity);
    EXPECT_EQ(ReadOne(line).result, kHexRecordOk);
    EXPECT_EQ(ReadOne(line.substr(0, 253) + "  \r\n").result, kHexBadFormat);  // 256 characters
}

TEST(ReadRecordTest, ExhaustedTextGivesFiveAlsoInsideALine) {
    TFile_op file(std::string_view(":00000001FF\r\n:0000000000"));
    TInterprete_hex reader(file);
    HexRecord record;
    EXPECT_EQ(reader.ReadRecord(record), kHexRecordOk);
    EXPECT_EQ(reader.ReadRecord(record), kHexTextEnd);
    EXPECT_STREQ(reader.Line(), ":0000000000");
    EXPECT_EQ(reader.ReadRecord(record), kHexTextEnd);
}

TEST(ReadRecordTest, SeekToZeroReadsTheTextAgain) {
    TFile_op file(std::string_view(":0100000041BE\r\n:00000001FF\r\n"));
    TInterprete_hex reader(file);
    HexRecord record;
    ASSERT_EQ(reader.ReadRecord(record), kHexRecordOk);
    ASSERT_EQ(reader.ReadRecord(record), kHexRecordOk);
    ASSERT_EQ(reader.ReadRecord(record), kHexTextEnd);
    file.Seek(0);
    ASSERT_EQ(reader.ReadRecord(record), kHexRecordOk);
    EXPECT_EQ(record.data[0], 0x41);
}

}  // namespace
}  // namespace kell::testing
