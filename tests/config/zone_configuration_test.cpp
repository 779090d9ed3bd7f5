#include <gtest/gtest.h>

#include <utility>

#include "tests/config/config_rig.h"

namespace kell::testing {
namespace {

using Answer = ScriptedRecordStore::Answer;

std::vector<EepromWriteSeen> FullZoneWrite() {
    std::vector<EepromWriteSeen> writes;
    for (int offset = 0; offset < 1024; offset += 128)
        writes.push_back({'R', 8, 0x0300 + offset, 128});
    for (int base : {0x0100, 0x0200}) {
        writes.push_back({'R', 8, base, 128});
        writes.push_back({'R', 8, base + 0x80, 126});
    }
    for (int base : {0x0300, 0x0380}) {
        writes.push_back({'W', 3, base, 32});
        writes.push_back({'W', 3, base + 0x20, 32});
    }
    return writes;
}

TEST(ZoneConfiguration, WritesInOrderAndMovesBothBars) {
    ConfigRig rig;
    auto window = rig.Window();
    window->BuildZoneRecords();
    rig.ProgressBar_general.SetRange(0, 1015);
    rig.overallPosition = 100;
    std::vector<std::pair<int, int>> bars;
    rig.pump.onPump = [&] {
        const std::pair<int, int> now{rig.Barra_progreso.position,
                                      rig.ProgressBar_general.position};
        if (bars.empty() || bars.back() != now)
            bars.push_back(now);
    };

    EXPECT_TRUE(window->WriteZoneConfiguration());
    EXPECT_EQ(EepromWrites(rig.instrument.frames), FullZoneWrite());
    EXPECT_EQ(rig.Barra_progreso.maximum, 7);
    EXPECT_EQ(bars, (std::vector<std::pair<int, int>>{
                        {0, 0}, {1, 107}, {2, 114}, {3, 121}, {4, 128}, {5, 135}}));
    EXPECT_EQ(rig.overallPosition, 450);
    EXPECT_EQ(rig.resultCode, 0);
}

TEST(ZoneConfiguration, FirstFailureRecordsItsCodeAndStopsTheRest) {
    struct Case {
        char letter;
        int address;  // first block of the write that fails
        int code;
        std::size_t writesSent;
    };
    const Case cases[] = {
        {'R', 0x0300, 5, 1},    // profiles
        {'R', 0x0100, 6, 9},    // factory configuration
        {'R', 0x0200, 7, 11},   // default configuration
        {'W', 0x0300, 24, 13},  // primary list copy
        {'W', 0x0380, 0, 15},   // secondary list copy: no code of its own
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        ConfigRig rig;
        auto window = rig.Window();
        window->BuildZoneRecords();
        rig.instrument.records.answerFor = [c](const Bytes& f) -> std::optional<Answer> {
            if (f[3] == c.letter && EepromAddress(f) == c.address)
                return Answer{};
            return std::nullopt;
        };

        EXPECT_FALSE(window->WriteZoneConfiguration());
        EXPECT_EQ(rig.resultCode, c.code);
        const auto writes = EepromWrites(rig.instrument.frames);
        ASSERT_EQ(writes.size(), c.writesSent);
        EXPECT_EQ(writes.back().address, c.address);
        // The bars still reach the end of the step.
        EXPECT_EQ(rig.Barra_progreso.position, 5);
        EXPECT_EQ(rig.overallPosition, 350);
    }
}

TEST(ZoneConfiguration, EarlierCodeIsKept) {
    ConfigRig rig;
    auto window = rig.Window();
    window->BuildZoneRecords();
    rig.resultCode = 20;
    rig.instrument.records.answerFor = [](const Bytes&) { return Answer{}; };
    EXPECT_FALSE(window->WriteZoneConfiguration());
    EXPECT_EQ(rig.resultCode, 20);
}

}  // namespace
}  // namespace kell::testing
