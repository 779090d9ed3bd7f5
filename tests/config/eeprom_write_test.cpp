#include <gtest/gtest.h>

#include <stdexcept>

#include "config/eeprom_write.h"
#include "tests/config/config_rig.h"

namespace kell::testing {
namespace {

using Answer = ScriptedRecordStore::Answer;

TEST(EepromFrame, HeaderThenDataWithoutCheckByte) {
    const Bytes data = {0x11, 0x22, 0x33};
    EXPECT_EQ(EepromWriteFrame(EepromArea::Parameters, 8, 0x0140, data),
              (Bytes{0x02, 0x08, 0x50, 0x52, 0x08, 0x01, 0x40, 0x11, 0x22, 0x33}));
    EXPECT_EQ(EepromWriteFrame(EepromArea::Closing, 0x0C, 0x0117, {}),
              (Bytes{0x02, 0x05, 0x50, 0x3F, 0x0C, 0x01, 0x17}));
    EXPECT_THROW(EepromWriteFrame(EepromArea::Lists, 3, 0, Bytes(251, 0)), std::length_error);
}

// Answers the first `late` frames after `delayUs`, the others at once.
void AnswerLate(ConfigRig& rig, int late, Bytes answer, std::int64_t delayUs) {
    auto count = std::make_shared<int>(0);
    rig.instrument.records.answerFor = [=](const Bytes&) -> std::optional<Answer> {
        if ((*count)++ < late)
            return Answer{answer, delayUs};
        return std::nullopt;
    };
}

const Bytes kFrame = EepromWriteFrame(EepromArea::Parameters, 8, 0x0100, Bytes(128, 0x5C));

TEST(ShortWait, AcknowledgementAfterTheSecondTickedIsRetriedWithTheSameFrame) {
    ConfigRig rig;
    AnswerLate(rig, 1, {0x20}, 600'000);
    EXPECT_TRUE(SendEepromFrame(rig.link, kFrame, AckWait::Short));
    ASSERT_EQ(rig.instrument.frames.size(), 2u);
    EXPECT_EQ(rig.instrument.frames[0].bytes, kFrame);
    EXPECT_EQ(rig.instrument.frames[1].bytes, kFrame);
}

TEST(ShortWait, FiveUnansweredAttemptsFail) {
    ConfigRig rig;
    AnswerLate(rig, 5, {}, 0);
    EXPECT_FALSE(SendEepromFrame(rig.link, kFrame, AckWait::Short));
    EXPECT_EQ(rig.instrument.frames.size(), 5u);
    EXPECT_TRUE(rig.notifier.beeps.empty());
}

TEST(LongWait, AcknowledgementAfterOtherBytesCounts) {
    ConfigRig rig;
    AnswerLate(rig, 1, {0x41, 0x00, 0x20, 0x7E}, 1000);
    EXPECT_TRUE(SendEepromFrame(rig.link, kFrame, AckWait::Long));
    EXPECT_EQ(rig.instrument.frames.size(), 1u);
}

TEST(LongWait, AcknowledgementCountsUpToThreeWholeSeconds) {
    // Started half a second into a second: 3.4 s later three whole seconds have passed.
    ConfigRig rig(kMidSecond);
    AnswerLate(rig, 1, {0x20}, 3'400'000);
    EXPECT_TRUE(SendEepromFrame(rig.link, kFrame, AckWait::Long));
    EXPECT_EQ(rig.instrument.frames.size(), 1u);
}

TEST(LongWait, AcknowledgementAfterMoreThanThreeSecondsIsRetried) {
    // Half a second into a second, 3.7 s later four whole seconds have passed.
    ConfigRig rig(kMidSecond);
    AnswerLate(rig, 1, {0x20}, 3'700'000);
    EXPECT_TRUE(SendEepromFrame(rig.link, kFrame, AckWait::Long));
    EXPECT_EQ(rig.instrument.frames.size(), 2u);
}

TEST(EepromWrite, ClosedChannelFailsWithoutHanging) {
    ConfigRig rig;
    rig.channel.Close();
    EXPECT_FALSE(SendEepromFrame(rig.link, kFrame, AckWait::Long));
    EXPECT_TRUE(rig.instrument.frames.empty());
}

}  // namespace
}  // namespace kell::testing
