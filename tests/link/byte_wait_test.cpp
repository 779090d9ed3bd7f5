#include <gtest/gtest.h>

#include "link/byte_wait.h"
#include "tests/link/link_rig.h"

namespace kell::testing {
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

TEST(WaitForByteTest, ReportsTheSecondsPassedWhenTheByteCame) {
    // Polls of a few milliseconds from .990 on: the one that spans the change of second
    // receives a byte sent just after it.
    LinkRig rig(kLateInSecond);
    rig.clock.At(kBaseUs + kSecondUs + 50, [&] { rig.farEnd.Say({0x42}); });
    const PolledByte got = WaitForByte(rig.link, Deadline(rig.clock, 2), Pace::Pumping());
    ASSERT_TRUE(got.Is(0x42));
    EXPECT_EQ(got.elapsed, 1);
}

TEST(WaitForByteTest, AChatteringLineDoesNotStretchTheWait) {
    LinkRig rig(kEarlyInSecond);
    const std::int64_t start = rig.clock.NowUs();
    rig.farEnd.Say(Bytes(40000, 0x55));  // about 4.4 s of bytes at 115200 baud
    const PolledByte got = WaitForThisByte(rig.link, Deadline(rig.clock, 1), 0x10, Pace::Pumping());
    EXPECT_EQ(got.end, WaitEnd::TimedOut);
    EXPECT_LT(rig.SecondsSince(start), 1.01);
}

}  // namespace
}  // namespace kell::testing
