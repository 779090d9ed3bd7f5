#include "tests/support/line_faults.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/campaign/seeded_draws.h"
#include "tests/campaign/session_plan.h"
#include "tests/support/bytes.h"
#include "tests/support/recording_far_end.h"
#include "tests/support/virtual_world.h"

namespace kell::testing {
namespace {

// The PC's device on a line whose far end is a recorder behind LineFaults.
struct FaultyLine : VirtualWorld {
    FaultyLine() {
        faults.Attach(&recorder);
        line.Attach(&faults);
        serial.Open(PathOf(1));
    }
    ~FaultyLine() override {
        serial.Close();
        line.Attach(nullptr);
    }
    void FromHost(const Bytes& bytes) {
        serial.Write(bytes.data(), bytes.size());
        clock.AdvanceBy(100'000);
    }
    // The instrument's answers, one call each.
    void Answer(const Bytes& bytes) {
        faults.SendToHost(bytes.data(), bytes.size());
        clock.AdvanceBy(100'000);
    }
    Bytes AtHost() {
        std::uint8_t buffer[256];
        const std::size_t n = serial.Read(buffer, sizeof buffer, 0);
        return Bytes(buffer, buffer + n);
    }

    VirtualLine& line = AddPort(1);
    LineFaults faults{line};
    RecordingFarEnd recorder{clock, line};
};

LineFaults::Fault At(LineFaults::Kind kind, std::uint64_t index, std::uint8_t bit = 0,
                     Bytes stray = {}) {
    LineFaults::Fault f;
    f.kind = kind;
    f.atByte = index;
    f.bit = bit;
    f.stray = std::move(stray);
    return f;
}

TEST(LineFaults, EachFaultStrikesTheByteItIsPlacedAtAndNoOther) {
    FaultyLine l;
    l.faults.Add(At(LineFaults::Kind::LoseToDevice, 2));
    l.faults.Add(At(LineFaults::Kind::LoseToHost, 1));
    l.faults.Add(At(LineFaults::Kind::FlipToHost, 3, 7));
    l.faults.Add(At(LineFaults::Kind::StrayToHost, 5, 0, {0xEE, 0xEF}));

    l.FromHost({10, 11, 12, 13});
    EXPECT_EQ(l.recorder.received, (Bytes{10, 11, 13}));
    l.Answer({20, 21, 22});
    l.Answer({23, 24, 25});
    EXPECT_EQ(l.AtHost(), (Bytes{20, 22, 23 ^ 0x80, 24, 0xEE, 0xEF, 25}));

    EXPECT_EQ(l.faults.Fired(LineFaults::Kind::LoseToDevice), 1);
    EXPECT_EQ(l.faults.Fired(LineFaults::Kind::LoseToHost), 1);
    EXPECT_EQ(l.faults.Fired(LineFaults::Kind::FlipToHost), 1);
    EXPECT_EQ(l.faults.Fired(LineFaults::Kind::StrayToHost), 1);
    EXPECT_EQ(l.faults.BytesToDevice(), 4u);
    EXPECT_EQ(l.faults.BytesToHost(), 6u);
    // Struck once, gone: the same bytes again pass untouched.
    l.FromHost({10, 11, 12, 13});
    l.Answer({20, 21, 22});
    EXPECT_EQ(l.AtHost(), (Bytes{20, 21, 22}));
    EXPECT_EQ(l.faults.FiredTotal(), 4);
}

TEST(LineFaults, AMissingAnswerIsTheWholeCallThatHoldsTheByteAndSilenceIsForGood) {
    FaultyLine l;
    l.faults.Add(At(LineFaults::Kind::DropAnswer, 4));
    l.Answer({1, 2, 3});
    l.Answer({4, 5, 6});  // holds byte 4
    l.Answer({7});
    EXPECT_EQ(l.AtHost(), (Bytes{1, 2, 3, 7}));
    EXPECT_EQ(l.faults.Fired(LineFaults::Kind::DropAnswer), 1);

    l.faults.Silence();
    l.Answer({8, 9});
    l.FromHost({30});
    EXPECT_TRUE(l.AtHost().empty());
    EXPECT_EQ(l.recorder.received, Bytes{30});  // the instrument still hears the PC
}

// A seed must make the same session on every machine: the engine's output is fixed by the
// standard, and the draws made from it are the helper's own.
TEST(SeededDraws, TheSameSeedDrawsTheSameEverywhere) {
    SeededDraws draws(42);
    std::vector<std::uint64_t> got;
    for (int i = 0; i < 6; ++i)
        got.push_back(draws.Below(1000));
    EXPECT_EQ(got, (std::vector<std::uint64_t>{406, 824, 450, 662, 381, 428}));
    EXPECT_EQ(PlanSession(7).Describe(), PlanSession(7).Describe());
    EXPECT_NE(PlanSession(7).Describe(), PlanSession(8).Describe());
}

}  // namespace
}  // namespace kell::testing
