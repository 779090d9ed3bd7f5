#include "cli/progress_lines.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kell::testing {
using namespace kell::cli;
namespace {

// What a copy's session tells reaches the program that started it, one line per change, and
// every event still reaches the console's own listener.
TEST(ProgressLines, WhatTheSessionTellsIsReadBackOneLinePerChange) {
    struct Counting : SessionEvents {
        void StepStarted(StepComponent, int, int) override { ++steps; }
        void ProgressChanged(const SessionProgress&) override { ++progress; }
        int steps = 0, progress = 0;
    } inner;
    std::ostringstream out;
    ProgressLineWriter writer(inner, out);
    writer.InstrumentIdentified(InstrumentModel::Tesk);
    writer.StepStarted(StepComponent::Firmware, 2, 3);
    SessionProgress bar;
    bar.shown = true;
    bar.overall.SetRange(0, 400);
    bar.overall.position = 100;
    writer.ProgressChanged(bar);
    writer.ProgressChanged(bar);  // told at every pump: no new line
    EXPECT_EQ(inner.steps, 1);
    EXPECT_EQ(inner.progress, 2);

    std::istringstream lines(out.str());
    std::string line;
    InstrumentProgress read;
    int count = 0;
    while (std::getline(lines, line)) {
        EXPECT_TRUE(ReadProgressLine(line, read)) << line;
        ++count;
    }
    EXPECT_EQ(count, 3);
    EXPECT_EQ(read, (InstrumentProgress{"Tesk", 2, 3, "firmware", 25, 300}));
}

// Lines from a copy are input like any other: what is not a sound progress line changes
// nothing.
TEST(ProgressLines, AnythingElseIsLeftAside) {
    InstrumentProgress progress{"Orvo", 1, 2, "plans", 10, 60};
    const InstrumentProgress before = progress;
    for (const char* line :
         {"", "step 2 3 firmware", "@", "@unknown 1", "@step 2", "@step 0 3 plans",
          "@step 4 3 plans", "@step 1 2 plans extra", "@progress 101 5", "@progress -1 5",
          "@progress 50 99999999999999999999", "@progress 50 -3", "@model",
          "@model AVeryLongModelNameThatNoInstrumentHasEverHad"}) {
        EXPECT_FALSE(ReadProgressLine(line, progress)) << line;
        EXPECT_EQ(progress, before) << line;
    }
}

}  // namespace
}  // namespace kell::testing
