#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "modules/keypad_programmer.h"
#include "tests/modules/keypad_rig.h"

namespace kell::testing {
namespace {

const KeypadImage& Image() {
    static const KeypadImage image = MakeKeypadImage();
    return image;
}

void Append(std::vector<Bytes>& frames, const std::vector<Bytes>& more) {
    frames.insert(frames.end(), more.begin(), more.end());
}

// Blocks first..last-1 of `image`, each followed by the table the instrument expects.
void AppendBlocks(std::vector<Bytes>& frames, const KeypadImage& image, int count,
                  bool shortSequence) {
    for (int i = 0; i < count; ++i) {
        frames.push_back(image.blocks[i]);
        if (!shortSequence)
            Append(frames, TablePayloads(5));
        else if (i != 255)
            Append(frames, TablePayloads(6));
    }
}

TEST(KeypadProgrammer, FullRunSendsTablesBlocksAndBothRecords) {
    KeypadRig rig;
    rig.overallPosition = 100;
    rig.script.Request(3).Request(14).Request(16).Request(17).Request(18);
    CTeclado keypad(rig.session, Image().Span());

    EXPECT_EQ(keypad.Program(), 0);

    std::vector<Bytes> expected = TablePayloads(3);
    AppendBlocks(expected, Image(), 256, false);
    expected.push_back(Image().security);
    expected.push_back(Image().checksum);
    EXPECT_EQ(Frames(rig.instrument.heard), expected);
    EXPECT_TRUE(rig.instrument.PlanDone());
    EXPECT_TRUE(rig.notifier.messages.empty());
    EXPECT_TRUE(rig.notifier.beeps.empty());
    EXPECT_EQ(rig.resultCode, 0);
    EXPECT_FALSE(keypad.ShortSequence());
    // Everything but the end record was read.
    EXPECT_EQ(keypad.TextPosition(), 36301u - 13u);
    // The bars stand where the last block put them.
    EXPECT_EQ(rig.Barra_progreso.maximum, 256);
    EXPECT_EQ(rig.Barra_progreso.position, 255);
    EXPECT_EQ(rig.ProgressBar_general.position, 255 * 180 / 256 + 100);
}

TEST(KeypadProgrammer, AfterRequest6BlocksTakeTheShortSequenceAndTheLastNone) {
    KeypadRig rig;
    rig.script.Request(6).Request(14).Request(16).Request(17).Request(18);
    CTeclado keypad(rig.session, Image().Span());

    EXPECT_EQ(keypad.Program(), 0);

    std::vector<Bytes> expected = TablePayloads(6);
    AppendBlocks(expected, Image(), 256, true);
    expected.push_back(Image().security);
    expected.push_back(Image().checksum);
    EXPECT_EQ(Frames(rig.instrument.heard), expected);
    EXPECT_TRUE(keypad.ShortSequence());
    EXPECT_TRUE(rig.notifier.messages.empty());
}

TEST(KeypadProgrammer, EveryRequestIsAnsweredWordForWord) {
    KeypadRig rig;
    for (std::uint8_t code : {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 15, 22, 6})
        rig.script.Request(code);
    rig.script.Request(18);
    CTeclado keypad(rig.session, Image().Span());

    EXPECT_EQ(keypad.Program(), 0);

    std::vector<Bytes> expected;
    for (int table : {3, 5, 7, 8, 9})
        Append(expected, TablePayloads(table));
    expected.push_back({0x00, 0x1F});
    for (int table : {11, 12, 13})
        Append(expected, TablePayloads(table));
    expected.push_back({0x00, 0x80});
    expected.push_back({0x02});
    Append(expected, TablePayloads(6));
    EXPECT_EQ(Frames(rig.instrument.heard), expected);
    EXPECT_TRUE(rig.notifier.messages.empty());
}

TEST(KeypadProgrammer, EndCodesReportAndRecordOnlyTheFirstCode) {
    struct Case {
        std::uint8_t code;
        int resultBefore;
        int resultAfter;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {19, 0, 1, {"Silicon ID error !\n"}},
        {20, 0, 2, {"Verify error !\n"}},
        {21, 0, 0, {}},
        {19, 8, 8, {"Silicon ID error !\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "end code " << int(c.code));
        KeypadRig rig;
        rig.resultCode = c.resultBefore;
        rig.script.Request(3).Request(c.code);
        CTeclado keypad(rig.session, Image().Span());

        EXPECT_EQ(keypad.Program(), -1);
        EXPECT_EQ(rig.resultCode, c.resultAfter);
        EXPECT_EQ(rig.MessageTexts(), c.messages);
        const std::vector<std::pair<int, int>> beeps(c.messages.size(), {1000, 500});
        EXPECT_EQ(rig.notifier.beeps, beeps);
        EXPECT_EQ(Frames(rig.instrument.heard), TablePayloads(3));
    }
}

TEST(KeypadProgrammer, CodesFrom0x17AreIgnored) {
    KeypadRig rig;
    for (std::uint8_t code : {0x17, 0x30, 0xBB, 0xFF})
        rig.script.Unanswered(code);
    rig.script.Request(22).Request(18);
    CTeclado keypad(rig.session, Image().Span());

    EXPECT_EQ(keypad.Program(), 0);
    EXPECT_EQ(Frames(rig.instrument.heard), std::vector<Bytes>{{0x02}});
    EXPECT_TRUE(rig.notifier.messages.empty());
}

TEST(KeypadProgrammer, UpperCaseDigitCountsAsZeroInItsNibble) {
    KeypadImage image = MakeKeypadImage();
    const std::size_t data = 9;  // first data digit of the first line
    image.text.replace(data, 4, "A5bF");
    image.blocks[0][0] = 0x05;
    image.blocks[0][1] = 0xb0;
    KeypadRig rig;
    rig.script.Request(6).Request(14).Request(18);
    CTeclado keypad(rig.session, image.Span());

    EXPECT_EQ(keypad.Program(), 0);
    const std::vector<Bytes> frames = Frames(rig.instrument.heard);
    ASSERT_GT(frames.size(), 13u);
    EXPECT_EQ(frames[12], image.blocks[0]);
}

TEST(KeypadProgrammer, CorruptDataLineStopsTheBlocksAndTheRequestsGoOn) {
    struct Case {
        const char* what;
        std::size_t offset;  // in the fourth data line
        const char* replacement;
        std::size_t truncateAt;  // 0: keep the whole image
        const char* message;
    };
    const Case cases[] = {
        {"no colon", 0, ";", 0, "Hex corrupto !\n"},
        {"length", 2, "1", 0, "Longitud de record incorrecto !\n"},
        {"type", 8, "4", 0, "El record no es de tipo datos !\n"},
        {"short", 0, "", 9 + 127, "El record no tiene suficientes datos!\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t line = 3 * 141;
        KeypadImage image = MakeKeypadImage();
        image.text.replace(line + c.offset, std::string(c.replacement).size(), c.replacement);
        if (c.truncateAt)
            image.text.resize(line + c.truncateAt);
        KeypadRig rig;
        rig.overallPosition = 40;
        rig.script.Blocks(3).Request(22).Request(18);
        CTeclado keypad(rig.session, image.Span());

        EXPECT_EQ(keypad.Program(), 0);
        std::vector<Bytes> expected;
        AppendBlocks(expected, image, 3, false);
        expected.push_back({0x02});
        EXPECT_EQ(Frames(rig.instrument.heard), expected);
        EXPECT_EQ(rig.MessageTexts(), std::vector<std::string>{c.message});
        EXPECT_EQ(rig.notifier.beeps.size(), 1u);
        EXPECT_EQ(rig.resultCode, 0);
        EXPECT_EQ(rig.Barra_progreso.position, 3);
        EXPECT_EQ(rig.ProgressBar_general.position, 3 * 180 / 256 + 40);
    }
}

TEST(KeypadProgrammer, RecordWalksCheckEveryField) {
    // The walks go on from the text position, so an image of only the lines after the blocks
    // lets them run without the blocks first.
    constexpr std::size_t kSecurityAt = 0;
    constexpr std::size_t kChecksumAt = kChecksumLine - kSecurityLine;
    struct Case {
        std::size_t offset;
        const char* replacement;
        std::size_t truncateAt;  // 0: keep the whole image
        const char* message;
        bool securitySent;
    };
    const Case cases[] = {
        {kSecurityAt, ";", 0, "Hex corrupto !\n", false},
        {kSecurityAt + 2, "3", 0, "Longitud de 1era linea del \nsecurity record incorrecta \n",
         false},
        {kSecurityAt + 8, "5", 0, "1era linea del security record \nno es de tipo 0x04 !\n", false},
        {0, "", kSecurityAt + 11, "1er Record SECURE sin datos suficientes!\n", false},
        {kSecurityAt + 11, "2", 0, "Error en los datos SECURE!\n", false},
        {kSecurityAt + 17, ";", 0, "Hex corrupto !\n", false},
        {kSecurityAt + 19, "1", 0, "Longitud de la 2da linea del \nsecurity record incorrecta \n",
         false},
        {kSecurityAt + 25, "1", 0, "La 2da linea del \nsecurity record no es de tipo 0x00 !\n",
         false},
        {0, "", kSecurityAt + 17 + 9 + 127, "2do Record SECURE sin datos suficientes!\n", false},
        {kChecksumAt, ";", 0, "Hex corrupto !\n", true},
        {kChecksumAt + 2, "3", 0, "Longitud de 1era linea del \nChecksum record incorrecta \n",
         true},
        {kChecksumAt + 8, "5", 0, "1era linea del checksum record \nno es de tipo 0x04 !\n", true},
        {0, "", kChecksumAt + 12, "1er Record checksum sin datos suficientes!\n", true},
        {kChecksumAt + 11, "1", 0, "Error en los datos tipo checksum!\n", true},
        {kChecksumAt + 17, ";", 0, "Hex corrupto !\n", true},
        {kChecksumAt + 19, "4", 0, "Longitud de la 2da linea del \nchecksum record incorrecta \n",
         true},
        {kChecksumAt + 25, "1", 0, "La 2da linea del \nchecksum record no es de tipo 0x00 !\n",
         true},
        {0, "", kChecksumAt + 17 + 9 + 3, "2do Record checksum sin datos suficientes!\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        KeypadImage image = MakeKeypadImage();
        image.text.erase(0, kSecurityLine);
        if (c.truncateAt)
            image.text.resize(c.truncateAt);
        else
            image.text.replace(c.offset, 1, c.replacement);
        KeypadRig rig;
        if (c.securitySent)
            rig.script.Request(16).Unanswered(17);
        else
            rig.script.Unanswered(16).Unanswered(17);
        rig.script.Request(18);
        CTeclado keypad(rig.session, image.Span());

        EXPECT_EQ(keypad.Program(), 0);
        std::vector<Bytes> expected;
        if (c.securitySent)
            expected.push_back(image.security);
        EXPECT_EQ(Frames(rig.instrument.heard), expected);
        ASSERT_FALSE(rig.notifier.messages.empty());
        EXPECT_EQ(rig.notifier.messages.front().text, c.message);
        EXPECT_EQ(rig.notifier.beeps.size(), rig.notifier.messages.size());
        EXPECT_EQ(rig.resultCode, 0);
    }
}

TEST(KeypadProgrammer, RecordsContinueFromTheTextPosition) {
    KeypadRig rig;
    // Before the blocks the security walk meets a data line; a second walk meets the checksum
    // area; request 14 always starts from the top again.
    rig.script.Unanswered(16).Request(6).Request(14).Request(16).Unanswered(16);
    rig.script.Request(6).Request(14).Request(16).Request(17).Request(18);
    CTeclado keypad(rig.session, Image().Span());

    EXPECT_EQ(keypad.Program(), 0);
    std::vector<Bytes> round = TablePayloads(6);
    AppendBlocks(round, Image(), 256, true);
    round.push_back(Image().security);
    std::vector<Bytes> expected = round;
    Append(expected, round);
    expected.push_back(Image().checksum);
    EXPECT_EQ(Frames(rig.instrument.heard), expected);
    EXPECT_EQ(rig.MessageTexts(), (std::vector<std::string>{
                                      "Longitud de 1era linea del \nsecurity record incorrecta \n",
                                      "Error en los datos SECURE!\n"}));
}

TEST(KeypadProgrammer, UnexpectedCodeAfterABlockIsReportedAndTheTransferGoesOn) {
    KeypadRig rig;
    // After block 0 a wrong code, after block 1 nothing at all.
    rig.script.Blocks(256, {{0, 0x2A}, {1, -1}}).Request(18);
    CTeclado keypad(rig.session, Image().Span());

    EXPECT_EQ(keypad.Program(), 0);
    std::vector<Bytes> expected;
    AppendBlocks(expected, Image(), 256, false);
    EXPECT_EQ(Frames(rig.instrument.heard), expected);
    EXPECT_EQ(rig.MessageTexts(),
              (std::vector<std::string>{"Codigo no esperado !\n", "Codigo no esperado !\n"}));
    EXPECT_EQ(rig.notifier.beeps.size(), 2u);
}

TEST(KeypadProgrammer, SilentInstrumentEndsAfterAMinuteWithCode1) {
    KeypadRig rig;
    CTeclado keypad(rig.session, Image().Span());
    const std::int64_t start = rig.clock.NowUs();

    EXPECT_EQ(keypad.Program(), -1);
    const std::int64_t elapsed = rig.clock.NowUs() - start;
    EXPECT_GE(elapsed, 60'000'000);
    EXPECT_LT(elapsed, 60'100'000);
    EXPECT_EQ(rig.resultCode, 1);
    EXPECT_TRUE(rig.notifier.messages.empty());
    EXPECT_EQ(rig.instrument.heard, Bytes{0xBB});
}

TEST(KeypadProgrammer, SilenceCountsFromTheLastRequestAndIgnoresNoise) {
    KeypadRig rig;
    rig.resultCode = 20;
    rig.script.Request(14);
    CTeclado keypad(rig.session, Image().Span());
    // Noise every 100 ms once the blocks are through: ignored codes do not keep the step alive.
    // (It stops after a few minutes, so that a step it kept alive fails instead of hanging.)
    const std::int64_t babbleEnd = rig.clock.NowUs() + 300'000'000;
    std::function<void()> babble = [&] {
        const std::uint8_t noise = 0xFF;
        rig.line.SendToHost(&noise, 1);
        if (rig.clock.NowUs() < babbleEnd)
            rig.clock.After(100'000, babble);
    };
    rig.clock.After(10'000'000, babble);

    EXPECT_EQ(keypad.Program(), -1);
    ASSERT_TRUE(rig.instrument.PlanDone());
    // The blocks took seconds; the minute runs from the end of the last answer.
    const std::int64_t silence = rig.clock.NowUs() - rig.instrument.lastHeardUs;
    EXPECT_GE(silence, 59'990'000);
    EXPECT_LT(silence, 60'100'000);
    EXPECT_EQ(rig.resultCode, 20);  // the first failure stays recorded
    EXPECT_EQ(Frames(rig.instrument.heard).size(), 256u * 15u);
}

// The acknowledgement waits never fail, so an instrument that falls silent half-way through the
// blocks would have each of the remaining 246 blocks and their tables wait out 2 s per word:
// over two hours. A minute without a byte from it ends the step as a silent request loop does.
TEST(KeypadProgrammer, AnInstrumentThatFallsSilentDuringTheBlocksEndsItWithinAMinute) {
    KeypadRig rig;
    rig.script.Blocks(10);
    CTeclado keypad(rig.session, Image().Span());
    const std::int64_t start = rig.clock.NowUs();

    EXPECT_EQ(keypad.Program(), -1);
    ASSERT_TRUE(rig.instrument.PlanDone());
    EXPECT_GE(rig.clock.NowUs() - start, 60'000'000);
    EXPECT_LT(rig.clock.NowUs() - start, 75'000'000);
    EXPECT_EQ(rig.resultCode, 1);
    EXPECT_LT(Frames(rig.instrument.heard).size(), 15u * 15u);
}

TEST(KeypadProgrammer, ClosedOrVanishedPortDoesNotHang) {
    for (bool unplug : {false, true}) {
        SCOPED_TRACE(unplug ? "unplugged" : "closed");
        KeypadRig rig;
        if (unplug)
            rig.line.Unplug();
        else
            rig.channel.Close();
        CTeclado keypad(rig.session, Image().Span());
        const std::int64_t start = rig.clock.NowUs();

        EXPECT_EQ(keypad.Program(), -1);
        EXPECT_GE(rig.clock.NowUs() - start, 60'000'000);
        EXPECT_LT(rig.clock.NowUs() - start, 60'100'000);
        EXPECT_EQ(rig.resultCode, 1);
    }
}

// Found by fuzz/keypad_requests_fuzz: an instrument that asks for the blocks and then goes
// silent kept the PC sending all 256 of them, two hours of unanswered waits and 255 complaints.
TEST(KeypadProgrammer, InstrumentSilentDuringTheBlocksEndsTheStepWithCode1) {
    KeypadRig rig;
    rig.script.Unanswered(14);
    CTeclado keypad(rig.session, Image().Span());
    const std::int64_t start = rig.clock.NowUs();

    EXPECT_EQ(keypad.Program(), -1);
    const std::int64_t elapsed = rig.clock.NowUs() - start;
    EXPECT_GE(elapsed, 60'000'000);
    // A minute of silence, noticed at the start of the next block.
    EXPECT_LT(elapsed, 95'000'000);
    EXPECT_EQ(rig.resultCode, 1);
    const std::vector<Bytes> frames = Frames(rig.instrument.heard);
    EXPECT_LE(frames.size(), 3u * 15u);
    EXPECT_LE(rig.notifier.messages.size(), 3u);
}

TEST(KeypadProgrammer, AnInstrumentThatStillAnswersKeepsTheBlocksGoingWithoutItsCodes) {
    KeypadRig rig;
    // No request code after any block, but every acknowledgement: a minute passes in no
    // single wait, so the transfer goes through with a complaint per block.
    std::map<int, int> noCodes;
    for (int i = 0; i < 255; ++i)
        noCodes[i] = -1;
    rig.script.Blocks(256, noCodes).Request(18);
    CTeclado keypad(rig.session, Image().Span());

    EXPECT_EQ(keypad.Program(), 0);
    std::vector<Bytes> expected;
    AppendBlocks(expected, Image(), 256, false);
    EXPECT_EQ(Frames(rig.instrument.heard), expected);
    EXPECT_EQ(rig.notifier.messages.size(), 255u);
    EXPECT_EQ(rig.resultCode, 0);
}

}  // namespace
}  // namespace kell::testing
