#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "link/device_queries.h"
#include "tests/link/link_rig.h"

namespace kell::testing {
namespace {

const Bytes kAck = {0x10, 0x00};

Bytes WordRequest(std::uint8_t function, std::uint16_t address, std::uint8_t length) {
    return {0x01, function, static_cast<std::uint8_t>(address),
            static_cast<std::uint8_t>(address >> 8), length};
}

// --- ReadWords --------------------------------------------------------------------------------

TEST(ReadWordsTest, LengthTwoReadsOneWordLowByteFirst) {
    LinkRig rig;
    rig.farEnd.On(WordRequest(0x00, 0xFEA0, 2), {0x10, 0x00, 0x34, 0x12});
    std::array<std::int16_t, 2> words = {-1, 0x5555};
    ReadWords(rig.link, 0xFEA0, words, 0x00, 2);
    EXPECT_EQ(words[0], 0x1234);
    EXPECT_EQ(words[1], 0x5555);  // not asked for, not touched
    EXPECT_EQ(rig.farEnd.received, WordRequest(0x00, 0xFEA0, 2));
}

TEST(ReadWordsTest, LengthZeroWaitsForTheAcknowledgementAndStoresNothing) {
    LinkRig rig;
    rig.farEnd.On(WordRequest(0x18, 0x0010, 0), kAck);
    std::array<std::int16_t, 1> words = {0x1234};
    ReadWords(rig.link, 0x0010, words, 0x18, 0);
    EXPECT_EQ(words[0], 0x1234);
    EXPECT_EQ(rig.farEnd.received, WordRequest(0x18, 0x0010, 0));  // one attempt was enough
}

TEST(ReadWordsTest, OddLengthLeavesTheLastByteForTheNextDrain) {
    LinkRig rig;
    rig.farEnd.On(WordRequest(0x1E, 0x0000, 5), {0x10, 0x00, 1, 2, 3, 4, 0xEE});
    for (int round = 0; round < 2; ++round) {
        std::array<std::int16_t, 2> words{};
        ReadWords(rig.link, 0x0000, words, 0x1E, 5);
        EXPECT_EQ(words[0], 0x0201);
        EXPECT_EQ(words[1], 0x0403);
    }
    EXPECT_EQ(rig.farEnd.Count(WordRequest(0x1E, 0x0000, 5)), 2);
}

TEST(ReadWordsTest, StrayBytesBeforeTheAcknowledgementAreSkipped) {
    LinkRig rig;
    rig.farEnd.On(WordRequest(0x30, 0x0000, 4), {0x5D, 0x0A, 0x10, 0x99, 0xCD, 0xAB, 0x01, 0x80});
    std::array<std::int16_t, 2> words{};
    ReadWords(rig.link, 0x0000, words, 0x30, 4);
    EXPECT_EQ(static_cast<std::uint16_t>(words[0]), 0xABCD);
    EXPECT_EQ(static_cast<std::uint16_t>(words[1]), 0x8001);
}

TEST(ReadWordsTest, RetriesASilentInstrumentAndUsesTheLaterAnswer) {
    LinkRig rig;
    const Bytes request = WordRequest(0x00, 0x6030, 2);
    rig.farEnd.On(request, {}, 0, 2).On(request, {0x10, 0x00, 0x07, 0x00});
    std::array<std::int16_t, 1> words{};
    ReadWords(rig.link, 0x6030, words, 0x00, 2);
    EXPECT_EQ(words[0], 7);
    EXPECT_EQ(rig.farEnd.Count(request), 3);
}

TEST(ReadWordsTest, GivesZerosAfterFiveSilentAttempts) {
    LinkRig rig(kEarlyInSecond);
    const std::int64_t start = rig.clock.NowUs();
    std::array<std::int16_t, 8> words;
    words.fill(0x7777);
    ReadWords(rig.link, 0x6000, words, 0x00, 16);
    for (std::int16_t w : words)
        EXPECT_EQ(w, 0);
    EXPECT_EQ(rig.farEnd.Count(WordRequest(0x00, 0x6000, 16)), 5);
    EXPECT_LE(rig.SecondsSince(start), 5.1);
}

TEST(ReadWordsTest, ASpanShorterThanTheLengthIsNotOverrun) {
    LinkRig rig;
    rig.farEnd.On(WordRequest(0x00, 0x6000, 8), {0x10, 0x00, 1, 0, 2, 0, 3, 0, 4, 0});
    std::vector<std::int16_t> words(2);  // on the heap, so that an overrun shows under asan
    ReadWords(rig.link, 0x6000, words, 0x00, 8);
    EXPECT_EQ(words, (std::vector<std::int16_t>{1, 2}));
}

// --- ReadParameter ----------------------------------------------------------------------------

Bytes ParameterRequest(std::uint16_t id) {
    return {0x01, 0x42, static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8),
            0x04, 0x00};
}

TEST(ReadParameterTest, EachIdentifierTakesItsOwnReplyBytes) {
    LinkRig rig;
    const Bytes reply = {0x10, 0xB1, 0xB2, 0xB3, 0x21, 0x43};
    rig.farEnd.On(ParameterRequest(526), reply)
        .On(ParameterRequest(562), reply)
        .On(ParameterRequest(571), reply);
    bool ok = false;
    EXPECT_EQ(ReadParameter(rig.link, kParameterZone, &ok), 0x21);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ReadParameter(rig.link, kParameter562, &ok), 0x43);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ReadParameter(rig.link, kParameter571, &ok), 0x4321);
    EXPECT_TRUE(ok);
}

TEST(ReadParameterTest, AnIncompleteReplyIsAFailureWithZerosForWhatNeverCame) {
    LinkRig rig;
    rig.farEnd.On(ParameterRequest(571), {0x10, 0x01, 0x02, 0x03, 0x44});
    bool ok = true;
    EXPECT_EQ(ReadParameter(rig.link, kParameter571, &ok), 0x0044);
    EXPECT_FALSE(ok);
    EXPECT_EQ(rig.farEnd.Count(ParameterRequest(571)), 5);
}

TEST(ReadParameterTest, AFailedWriteGivesMinusOneAtOnce) {
    LinkRig rig;
    rig.line.Unplug();  // the open handle fails from now on
    const std::int64_t start = rig.clock.NowUs();
    bool ok = true;
    EXPECT_EQ(ReadParameter(rig.link, kParameter562, &ok), -1);
    EXPECT_FALSE(ok);
    EXPECT_LT(rig.SecondsSince(start), 0.01);
}

// --- QueryPeripheral and the status check ----------------------------------------------------

const Bytes kRegister8Request = {0x01, 0x50, 0x3F, 0x01, 0x98};
const Bytes kRegister12Request = {0x01, 0x50, 0x3F, 0x01, 0x9C};

TEST(QueryPeripheralTest, CountAboveSevenSendsNothing) {
    LinkRig rig;
    std::array<std::uint8_t, 2> buffer = {1, 0};
    EXPECT_FALSE(QueryPeripheral(rig.link, 0x3F, buffer, 12, 1, 8));
    rig.clock.AdvanceBy(kSecondUs);
    EXPECT_TRUE(rig.farEnd.received.empty());
}

TEST(QueryPeripheralTest, BuildsTheFlagsByteAndMasksTheFields) {
    LinkRig rig;
    rig.farEnd.On({0x01, 0x50, 0x7F, 0xA5, 0x5F}, {0x10, 0x01, 0x66});
    std::array<std::uint8_t, 1> buffer = {0xA5};
    // device 0xFF keeps 7 bits, register 0x1F keeps 4, read flag 3 keeps 1, count 5 in bits 4-6
    EXPECT_TRUE(QueryPeripheral(rig.link, 0xFF, buffer, 0x1F, 0, 5));
    EXPECT_EQ(buffer[0], 0x66);
    rig.farEnd.received.clear();
    // Nobody answers this one; only the request matters: the read flag keeps its low bit.
    EXPECT_FALSE(QueryPeripheral(rig.link, 0x01, buffer, 0x00, 3, 0));
    EXPECT_EQ(Bytes(rig.farEnd.received.begin(), rig.farEnd.received.begin() + 5),
              (Bytes{0x01, 0x50, 0x01, 0x66, 0x80}));
}

TEST(QueryPeripheralTest, MoreBytesThanTheBufferHoldsAreReadAndDropped) {
    LinkRig rig;
    Bytes reply = {0x10, 200};
    for (int i = 0; i < 200; ++i)
        reply.push_back(static_cast<std::uint8_t>(i + 1));
    rig.farEnd.On(kRegister12Request, reply);
    std::vector<std::uint8_t> buffer = {1, 0};  // on the heap: asan sees any overrun
    EXPECT_TRUE(QueryPeripheral(rig.link, 0x3F, buffer, 12, 1, 1));
    EXPECT_EQ(buffer, (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(rig.farEnd.Count(kRegister12Request), 1);
}

TEST(QueryPeripheralTest, LetsNoWindowEventRunWhileItWaits) {
    LinkRig rig;
    rig.farEnd.On(kRegister12Request, {0x10, 0x01, 0x00}, 200'000);
    std::array<std::uint8_t, 2> buffer = {1, 0};
    EXPECT_TRUE(QueryPeripheral(rig.link, 0x3F, buffer, 12, 1, 1));
    EXPECT_EQ(rig.pump.pumps, 0);
}

TEST(QueryPeripheralTest, AReplyThatStopsHalfWayFailsTheAttemptWithoutWaitingOutEveryByte) {
    LinkRig rig(kEarlyInSecond);
    rig.farEnd.On(kRegister12Request, {0x10, 100, 1, 2});
    const std::int64_t start = rig.clock.NowUs();
    std::array<std::uint8_t, 2> buffer = {1, 0};
    EXPECT_FALSE(QueryPeripheral(rig.link, 0x3F, buffer, 12, 1, 1));
    EXPECT_EQ(rig.farEnd.Count(kRegister12Request), 5);
    EXPECT_LE(rig.SecondsSince(start), 5 * 3.1);
}

// The status byte is the second byte of the reply; which bit stops an update depends on the
// register and on the firmware.
struct StatusCase {
    bool firmwareAbove180;
    std::uint8_t register8Status;
    std::uint8_t register12Status;
    bool expected;
    Bytes asked;
};

TEST(CheckPeripheralStatusTest, AsksTheRegistersOfTheFirmwareAndJudgesTheirBits) {
    const std::vector<StatusCase> cases = {
        {true, 0x00, 0x40, true, kRegister12Request},  // bit 6 does not count here
        {true, 0x00, 0x80, false, kRegister12Request},
        {false, 0x7F, 0xBF, true, Cat({kRegister8Request, kRegister12Request})},
        {false, 0x80, 0x00, false, kRegister8Request},  // nothing more is asked
        {false, 0x00, 0x40, false, Cat({kRegister8Request, kRegister12Request})},
    };
    for (const StatusCase& c : cases) {
        LinkRig rig;
        rig.farEnd.On(kRegister8Request, {0x10, 0x02, 0x00, c.register8Status})
            .On(kRegister12Request, {0x10, 0x02, 0x00, c.register12Status});
        EXPECT_EQ(CheckPeripheralStatus(rig.link, c.firmwareAbove180), c.expected);
        EXPECT_EQ(rig.farEnd.received, c.asked);
    }
}

TEST(CheckPeripheralStatusTest, ASilentInstrumentFails) {
    LinkRig rig;
    EXPECT_FALSE(CheckPeripheralStatus(rig.link, true));
    EXPECT_EQ(rig.farEnd.Count(kRegister12Request), 5);
}

// --- Identity and level -----------------------------------------------------------------------

TEST(ReadIdentityTest, FormatsTheFirstSevenBytesInTheOrderReceived) {
    LinkRig rig;
    Bytes reply = {0x10, 0x00, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    reply.resize(2 + 16, 0xFF);
    rig.farEnd.On(WordRequest(0x00, 0x6000, 16), reply);
    EXPECT_EQ(ReadIdentity(rig.link), "0123456789ABCD");
}

TEST(ReadIdentityTest, ASilentInstrumentGivesFourteenZeros) {
    LinkRig rig;
    EXPECT_EQ(ReadIdentity(rig.link), "00000000000000");
}

int LevelAverageOf(std::initializer_list<std::uint8_t> readings) {
    LinkRig rig;
    for (std::uint8_t level : readings)
        rig.farEnd.On(WordRequest(0x00, 0xFEA0, 2), {0x10, 0x00, level, 0x7F}, 1000, 1);
    return ReadLevelAverage(rig.link);
}

TEST(ReadLevelAverageTest, TruncatesTheMeanOfTheLowBytes) {
    EXPECT_EQ(LevelAverageOf({17, 17, 17, 18}), 17);
    EXPECT_EQ(LevelAverageOf({16, 16, 16, 19}), 16);
    EXPECT_EQ(LevelAverageOf({255, 255, 255, 255}), 255);
}

}  // namespace
}  // namespace kell::testing
