// Whole sessions, from the first press of the search button to the outcome, against the
// simulated instrument on virtual time.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "payloads/payloads.h"
#include "tests/session/session_rig.h"

namespace kell::testing {
namespace {

// The data records of the embedded main firmware, by 24-bit address: decoded here on its own,
// so that a fault in the program's reader cannot hide itself.
std::map<std::uint32_t, std::uint8_t> EmbeddedFirmwareBytes() {
    std::map<std::uint32_t, std::uint8_t> bytes;
    auto text = payloads::MainFirmwareHex();
    auto hex = [&](std::size_t at) {
        auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
        return static_cast<std::uint8_t>(digit(static_cast<char>(text[at])) * 16 +
                                         digit(static_cast<char>(text[at + 1])));
    };
    std::uint32_t upper = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::uint8_t count = hex(at + 1);
        const std::uint16_t address = static_cast<std::uint16_t>(hex(at + 3) << 8 | hex(at + 5));
        const std::uint8_t type = hex(at + 7);
        if (type == 4)
            upper = static_cast<std::uint32_t>(hex(at + 9) << 8 | hex(at + 11));
        if (type == 0) {
            for (std::uint8_t i = 0; i < count; ++i)
                bytes[(upper << 16) + address + i] = hex(at + 9 + 2 * i);
        }
        if (type == 1)
            break;
        at += 11 + 2 * count + 2;  // colon, fields, data, checksum, CR LF
    }
    return bytes;
}

std::vector<std::uint8_t> Span(std::span<const std::uint8_t> s) {
    return {s.begin(), s.end()};
}

TEST(UpdateSession, FullUpdateLeavesTheInstrumentHoldingWhatTheProgramCarries) {
    SessionRig rig(sim::scenarios::NeedsFullUpdate());
    Tventana_brisca& w = *rig.window;
    rig.Search();

    ASSERT_EQ(w.Image_accion.index, kPictureUpdated)
        << w.Label_info1.caption << " / " << w.resultCode;
    EXPECT_EQ(w.resultCode, 0);
    EXPECT_EQ(w.Label_info1.caption, w.texts.PASO5_L1);
    EXPECT_EQ(w.Label_info3.caption, "");
    EXPECT_FALSE(w.sessionRunning);
    EXPECT_FALSE(w.connected);
    EXPECT_FALSE(rig.serial.IsOpen());
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);

    // The time question told the user the estimate (25 + 300 + 50 + 640 s).
    ASSERT_FALSE(rig.notifier.messages.empty());
    EXPECT_NE(rig.notifier.messages.front().text.find("16 min.\n"), std::string::npos);

    // Every byte of the embedded firmware is in the instrument's flash.
    std::size_t compared = 0;
    for (const auto& [address, byte] : EmbeddedFirmwareBytes()) {
        if ((address >> 16) == 0x18 && (address & 0xFFFF) < 0x10)
            continue;  // the region text is the instrument's own
        if ((address >> 16) == 0x1E)
            continue;  // the plan page holds the new channel plans, checked below
        ASSERT_EQ(rig.instrument->Flash(address, 1).at(0), byte) << std::hex << address;
        ++compared;
    }
    EXPECT_GT(compared, 1'600'000u);
    EXPECT_EQ(rig.instrument->FirmwareVersion(), "2.04.00000");
    auto plans = payloads::ChannelPlan(1);
    EXPECT_EQ(rig.instrument->Flash(0x1E0000, plans.size()), Span(plans));
    // The module took both images; the FPGA set reports 3.4.
    EXPECT_TRUE(rig.instrument->Module().finished);
    EXPECT_EQ(rig.instrument->Module().application, Span(payloads::Mpeg4Application()));
    EXPECT_EQ(rig.instrument->Module().secondImage, Span(payloads::Mpeg4SecondImage()));
    auto directory = rig.instrument->Flash(0x300000, 16);
    EXPECT_EQ(directory[0], 3);  // three configurations
    EXPECT_EQ(directory[2 + 9], 3);
    EXPECT_EQ(directory[2 + 8], 4);

    // A second search finds nothing left to do.
    rig.SearchAgain();
    EXPECT_EQ(w.Image_accion.index, kPictureNotUpdated);
    EXPECT_EQ(w.Label_info1.caption, w.texts.PASO7_L1);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

TEST(UpdateSession, CancelOnTheTimeQuestionRunsNoStep) {
    SessionRig rig(sim::scenarios::NeedsFullUpdate());
    rig.notifier.answers.push_back(MessageAnswer::Cancel);
    Tventana_brisca& w = *rig.window;
    const std::int64_t start = rig.NowUs();
    rig.Search();

    EXPECT_EQ(w.Image_accion.index, kPictureFailed);
    EXPECT_EQ(w.Label_info1.caption, w.texts.P6_E4_L1 + " 0");
    EXPECT_EQ(rig.panelsAnswered, 0);
    EXPECT_EQ(rig.instrument->FirmwareVersion(), "1.89.00000");
    EXPECT_FALSE(w.connected);
    EXPECT_EQ(w.PortSettings.BaudRate, 115200u);
    // No step, no pause: the search, the question and the end only.
    EXPECT_LT((rig.NowUs() - start) / 1'000'000, 10);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

TEST(UpdateSession, RefusedEraseEndsWithItsTextsAfterTheSpeedChangeAndTheFinish) {
    SessionRig rig(sim::scenarios::PlanTypeZeroOldPlan());
    // OK to the new plans, Cancel to the erase they bring.
    rig.answerPanel = [&](const std::string& line1) {
        return line1 == rig.window->texts.AVISOMEM1 ? -1 : 1;
    };
    Tventana_brisca& w = *rig.window;
    rig.Search();

    EXPECT_EQ(rig.panelsAnswered, 2);
    EXPECT_TRUE(w.eraseRefused);
    EXPECT_EQ(w.Image_accion.index, kPictureFailed);
    EXPECT_EQ(w.Label_info1.caption, w.texts.P6_E7_L1);
    EXPECT_EQ(w.Label_info3.caption, w.texts.P6_E7_L3);
    // The line-speed change still happened, and the plan was not touched.
    bool speedChange = false;
    for (const auto& call : rig.instrument->Calls())
        speedChange = speedChange || (call.selector == 0 && call.word == 0xFEB4);
    EXPECT_TRUE(speedChange) << w.resultCode << rig.instrument->Report(30);
    auto header = rig.instrument->Flash(0x1E0000, 5);
    EXPECT_EQ(header[3], 111);
    EXPECT_EQ(w.PortSettings.BaudRate, 115200u);
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

TEST(UpdateSession, PlansAloneAreOneStepWithoutAQuestion) {
    sim::Scenario scenario = sim::scenarios::UpToDate();
    scenario.planVersion = 100;  // plan type 1 with an old plan
    SessionRig rig(scenario);
    Tventana_brisca& w = *rig.window;
    rig.Search();

    EXPECT_EQ(rig.panelsAnswered, 0);
    EXPECT_EQ(w.stepTotal, 1);
    ASSERT_EQ(w.Image_accion.index, kPictureUpdated) << w.resultCode;
    auto header = rig.instrument->Flash(0x1E0000, 5);
    EXPECT_EQ(std::vector<std::uint8_t>(header.begin(), header.end()),
              std::vector<std::uint8_t>(payloads::ChannelPlan(1).begin(),
                                        payloads::ChannelPlan(1).begin() + 5));
    EXPECT_TRUE(rig.instrument->Violations().Empty()) << rig.instrument->Report(40);
}

}  // namespace
}  // namespace kell::testing
