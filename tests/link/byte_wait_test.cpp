#include <gtest/gtest.h>

#include "link/byte_wait.h"
#include "tests/link/link_rig.h"

namespace kell::test {
namespace {

// How long a silent wait with a one-second limit lasts depends on where in the second it
// starts: the limit is on the whole-second clock.
TEST(DeadlineTest, OneSecondStartedLateInASecondLastsOnlyWhatIsLeftOfIt) {
    LinkRig rig(kLateInSecond);
    const std::int64_t start = rig.clock.NowUs();
    const PolledByte got = WaitForByte(rig.link, Deadline(rig.clock, 1), Pace::Pumping());
    EXPECT_EQ(got.end, WaitEnd::TimedOut);
    EXPECT_EQ(got.value, 0);
    EXPECT_LT(rig.SecondsSince(start), 0.1);
    EXPECT_EQ(rig.clock.Seconds(), start / kSecondUs + 1);
}

TEST(DeadlineTest, OneSecondStartedEarlyInASecondLastsAlmostASecond) {
    LinkRig rig(kEarlyInSecond);
    const std::int64_t start = rig.clock.NowUs();
    WaitForByte(rig.link, Deadline(rig.clock, 1), Pace::Pumping());
    EXPECT_GT(rig.SecondsSince(start), 0.99);
    EXPECT_LE(rig.SecondsSince(start), 1.01);
}

TEST(DeadlineTest, WithLimitKeepsTheStart) {
    LinkRig rig(kMidSecond);
    const Deadline four(rig.clock, 4);
    rig.clock.AdvanceBy(5 * kSecondUs);
    EXPECT_TRUE(four.Expired());
    EXPECT_FALSE(four.WithLimit(10).Expired());
    EXPECT_EQ(four.WithLimit(10).Elapsed(), 5);
}

TEST(WaitForByteTest, ReportsTheSecondsPassedWhenTheByteCame) {
    // Polls of a few milliseconds from .990 on: the one that spans the change of second
    // receives a byte sent just after it.
    LinkRig rig(kLateInSecond);
    rig.clock.At(kBaseUs + kSecondUs + 50, [&] { rig.farEnd.Say({0x42}); });
    const PolledByte got = WaitForByte(rig.link, Deadline(rig.clock, 2), Pace::Pumping());
    ASSERT_TRUE(got.Is(0x42));
    EXPECT_EQ(got.elapsed, 1);
}

TEST(WaitForByteTest, TakesAByteThatIsAlreadyThereEvenFromAnExpiredDeadline) {
    LinkRig rig;
    const Deadline deadline(rig.clock, 1);
    rig.farEnd.Say({0x33});
    rig.clock.AdvanceBy(2 * kSecondUs);
    EXPECT_TRUE(WaitForByte(rig.link, deadline, Pace::Pumping()).Is(0x33));
}

TEST(WaitForByteTest, SkipsStrayBytesBeforeTheAwaitedOne) {
    LinkRig rig;
    rig.farEnd.Say({0x55, 0xAA, 0x10, 0x77}, 2000);
    const Deadline deadline(rig.clock, 1);
    EXPECT_TRUE(WaitForThisByte(rig.link, deadline, 0x10, Pace::Pumping()).Arrived());
    EXPECT_TRUE(WaitForByte(rig.link, deadline, Pace::Pumping()).Is(0x77));
}

TEST(WaitForByteTest, AChatteringLineDoesNotStretchTheWait) {
    LinkRig rig(kEarlyInSecond);
    const std::int64_t start = rig.clock.NowUs();
    rig.farEnd.Say(Bytes(40000, 0x55));  // about 4.4 s of bytes at 115200 baud
    const PolledByte got = WaitForThisByte(rig.link, Deadline(rig.clock, 1), 0x10, Pace::Pumping());
    EXPECT_EQ(got.end, WaitEnd::TimedOut);
    EXPECT_LT(rig.SecondsSince(start), 1.01);
}

TEST(WaitForByteTest, SleepingPaceLetsNoWindowEventRun) {
    LinkRig rig(kEarlyInSecond);
    const std::int64_t start = rig.clock.NowUs();
    WaitForByte(rig.link, Deadline(rig.clock, 1), Pace::Sleeping(50));
    EXPECT_EQ(rig.pump.pumps, 0);
    EXPECT_GT(rig.SecondsSince(start), 0.95);
}

TEST(WaitForByteTest, PumpingPaceEndsOnTheStopFlagOnlyWhenWatching) {
    LinkRig rig(kEarlyInSecond);
    rig.stop = true;
    EXPECT_EQ(WaitForByte(rig.link, Deadline(rig.clock, 1), Pace::PumpingWatchingStop()).end,
              WaitEnd::Stopped);
    EXPECT_EQ(WaitForByte(rig.link, Deadline(rig.clock, 1), Pace::Pumping()).end,
              WaitEnd::TimedOut);
}

TEST(WaitForByteTest, AClosedChannelTimesOutInsteadOfSpinning) {
    LinkRig rig(kEarlyInSecond);
    rig.serial.Close();
    const std::int64_t start = rig.clock.NowUs();
    for (Pace pace : {Pace::Pumping(), Pace::Sleeping(50), Pace::BackToBack()}) {
        EXPECT_EQ(WaitForByte(rig.link, Deadline(rig.clock, 1), pace).end, WaitEnd::TimedOut);
    }
    EXPECT_LT(rig.SecondsSince(start), 3.1);
}

}  // namespace
}  // namespace kell::test
