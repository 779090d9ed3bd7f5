#include "link/agreed_reading.h"

#include <gtest/gtest.h>

#include <vector>

namespace kell::testing {
namespace {

// A query whose successive replies are given in turn.
struct Replies {
    std::vector<Reading<int>> replies;
    int asked = 0;
    Reading<int> operator()() { return replies.at(static_cast<std::size_t>(asked++)); }
};
Reading<int> Reply(int value) {
    return {value, true};
}

TEST(ReadUntilTwoAgree, TwoReadingsWhenNothingIsSpoiled) {
    Replies query{{Reply(7), Reply(7)}};
    const AgreedReading<int> r = ReadUntilTwoAgree(query);
    EXPECT_EQ(r.agreement, Agreement::Agreed);
    EXPECT_EQ(r.value, 7);
    EXPECT_EQ(query.asked, 2);
}

TEST(ReadUntilTwoAgree, ASpoiledReplyCostsOneReadingMoreWhereverItIs) {
    for (const auto& replies :
         {std::vector{Reply(3), Reply(7), Reply(7)}, std::vector{Reply(7), Reply(3), Reply(7)}}) {
        Replies query{replies};
        const AgreedReading<int> r = ReadUntilTwoAgree(query);
        EXPECT_TRUE(r.Agreed());
        EXPECT_EQ(r.value, 7);
        EXPECT_EQ(query.asked, 3);
    }
}

TEST(ReadUntilTwoAgree, RepliesThatNeverAgreeGiveNoValue) {
    Replies query{{Reply(1), Reply(2), Reply(3), Reply(4), Reply(4)}};
    const AgreedReading<int> r = ReadUntilTwoAgree(query);
    EXPECT_EQ(r.agreement, Agreement::Disagreed);
    EXPECT_EQ(r.value, 0);
    EXPECT_EQ(query.asked, kAgreementReadings);
}

TEST(ReadUntilTwoAgree, AReadingWithoutAReplyEndsItWithThatReading) {
    Replies first{{Reading<int>{5, false}}};
    const AgreedReading<int> r = ReadUntilTwoAgree(first);
    EXPECT_EQ(r.agreement, Agreement::Unanswered);
    EXPECT_EQ(r.value, 5);
    EXPECT_EQ(first.asked, 1);

    Replies second{{Reply(7), Reading<int>{0, false}}};
    EXPECT_EQ(ReadUntilTwoAgree(second).agreement, Agreement::Unanswered);
    EXPECT_EQ(second.asked, 2);
}

}  // namespace
}  // namespace kell::testing
