#include <gtest/gtest.h>

#include <algorithm>

#include "tests/app/search_rig.h"

namespace kell::testing {
namespace {

using sim::Scenario;
namespace scenarios = sim::scenarios;

// A whole search with the simulated instrument on port 1, up to the gate's outcome.
struct Gate : ::testing::Test {
    std::unique_ptr<SearchRig> rig;
    sim::Instrument* instrument = nullptr;

    Tventana_brisca& Search(Scenario scenario) {
        CheckTheLastOne();
        rig = std::make_unique<SearchRig>();
        instrument = &rig->AddSimulated(1, std::move(scenario));
        Tventana_brisca& w = rig->Window();
        w.controls.Barra_progreso.visible = w.controls.ProgressBar_general.visible = true;
        w.controls.Label_progreso_general.visible = true;
        // An update that goes ahead stops at its first question: these tests are about the gate.
        rig->notifier.answers.push_back(MessageAnswer::Cancel);
        rig->Search();
        return w;
    }
    void CheckTheLastOne() {
        if (instrument) {
            EXPECT_TRUE(instrument->Violations().Empty()) << instrument->Report();
        }
    }
    void TearDown() override { CheckTheLastOne(); }

    std::vector<std::uint8_t> SentByThePc() const {
        return instrument->GetTranscript().Bytes(sim::Transcript::Direction::FromHost);
    }

    void ExpectOutcome(const Tventana_brisca& w, int picture, const std::string& l1,
                       const std::string& l2, const std::string& l3) {
        EXPECT_EQ(w.controls.Image_accion.index, picture);
        EXPECT_FALSE(l1.empty());
        EXPECT_EQ(w.controls.Label_info1.caption, l1);
        EXPECT_EQ(w.controls.Label_info2.caption, l2);
        EXPECT_EQ(w.controls.Label_info3.caption, l3);
        EXPECT_FALSE(w.controls.Label_n1.visible);
        // The link is ended and the window waits for the next press.
        EXPECT_FALSE(w.Connection().connected || w.monitorPSerie.IsOpen() ||
                     w.controls.Timer_desconexion.enabled);
        EXPECT_EQ(SentByThePc().back(), 0x0A);
        EXPECT_FALSE(instrument->LinkUp());
        EXPECT_FALSE(w.controls.Barra_progreso.visible || w.controls.ProgressBar_general.visible ||
                     w.controls.Label_progreso_general.visible);
        EXPECT_TRUE(w.controls.Button_buscar_puerto.visible &&
                    w.controls.Image_buscar_puerto.visible);
        EXPECT_TRUE(w.controls.MenuArchivo.enabled && w.controls.MenuConfigurar.enabled &&
                    w.controls.MenuAyuda.enabled);
        EXPECT_EQ(w.State().stage, 0);
        EXPECT_EQ(w.State().failedSearches, 0);
    }
    void ExpectRefused(const Tventana_brisca& w, const std::string& l1, const std::string& l2,
                       const std::string& l3) {
        ExpectOutcome(w, kPictureNotUpdated, l1, l2, l3);
    }
    // The update went ahead: it asked its time question, which was answered Cancel.
    void ExpectUpdateStarted(const Tventana_brisca& w) {
        ASSERT_EQ(rig->notifier.messages.size(), 1u);
        EXPECT_EQ(rig->notifier.messages.front().buttons, MessageButtons::OkCancel);
        EXPECT_EQ(w.controls.Image_accion.index, kPictureFailed);
        EXPECT_EQ(w.controls.Label_info1.caption, w.texts.P6_E4_L1 + " 0");
        EXPECT_FALSE(w.Connection().connected || w.monitorPSerie.IsOpen() ||
                     w.controls.Timer_desconexion.enabled);
        EXPECT_EQ(SentByThePc().back(), 0x0A);
        EXPECT_FALSE(w.State().sessionRunning);
        EXPECT_TRUE(w.controls.MenuArchivo.enabled && w.controls.MenuConfigurar.enabled &&
                    w.controls.MenuAyuda.enabled);
        EXPECT_EQ(w.State().stage, 0);
    }
};

TEST_F(Gate, AnInstrumentNeedingAnUpdateGoesAhead) {
    Tventana_brisca& w = Search(scenarios::NeedsFullUpdate());
    ExpectUpdateStarted(w);
    EXPECT_EQ(w.Identification().identityAtConnect, "4B454C00123456");
    EXPECT_TRUE(w.Identification().threeFpgaConfigurations);
}

TEST_F(Gate, AnUpToDateInstrumentIsToldSo) {
    Tventana_brisca& w = Search(scenarios::UpToDate());
    ExpectRefused(w, w.texts.PASO7_L1, w.texts.PASO7_L2, w.texts.PASO7_L3);
}

TEST_F(Gate, TheOptionBitTellsTwoFpgaConfigurationsFromThree) {
    Scenario s = scenarios::NeedsFullUpdate();
    s.threeFpgaConfigurations = false;
    EXPECT_FALSE(Search(s).Identification().threeFpgaConfigurations);
}

TEST_F(Gate, ALevelOf16IsRefusedAnd17GoesAhead) {
    Tventana_brisca& low = Search(scenarios::LowLevel());
    ExpectRefused(low, low.texts.P6_E2_L1, low.texts.P6_E2_L2, low.texts.P6_E2_L3);
    Scenario s = scenarios::NeedsFullUpdate();
    s.level = 17;
    ExpectUpdateStarted(Search(s));
}

TEST_F(Gate, ABadPeripheralStatusIsRefused) {
    Scenario s = scenarios::NeedsFullUpdate();
    s.firmwareRelease = "2.03";  // above 1.80: register 12, bit 7
    s.peripheralStatus12 = 0x80;
    Tventana_brisca& w = Search(s);
    ExpectRefused(w, w.texts.P6_E3_L1, w.texts.P6_E3_L2, w.texts.P6_E3_L3);
}

TEST_F(Gate, NewerFirmwareReportsItsStatusInRegister12Alone) {
    Scenario s = scenarios::NeedsFullUpdate();
    s.firmwareRelease = "2.03";
    s.peripheralStatus8 = 0x80;
    s.peripheralStatus12 = 0x40;
    ExpectUpdateStarted(Search(s));
}

TEST_F(Gate, OlderFirmwareReportsItsStatusInRegisters8And12) {
    for (auto [status8, status12] : {std::pair{0x80, 0x00}, std::pair{0x00, 0x40}}) {
        Scenario s = scenarios::NeedsFullUpdate();
        s.firmwareRelease = "1.70";
        s.peripheralStatus8 = static_cast<std::uint8_t>(status8);
        s.peripheralStatus12 = static_cast<std::uint8_t>(status12);
        Tventana_brisca& w = Search(s);
        EXPECT_EQ(w.controls.Label_info1.caption, w.texts.P6_E3_L1) << status8 << " " << status12;
    }
}

TEST_F(Gate, AnAmericanUnitIsNotUpdated) {
    Tventana_brisca& w = Search(scenarios::Usa());
    ExpectRefused(w, w.texts.PASO7_L1, w.texts.PASO7_L2, w.texts.PASO7_L3);
}

TEST_F(Gate, AnUnknownModelIsNotRecognised) {
    Tventana_brisca& w = Search(scenarios::UnknownModel());
    ExpectRefused(w, w.texts.PASO8_L1, w.texts.PASO8_L2, w.texts.PASO8_L3);
}

TEST_F(Gate, AnInstrumentWhoseZoneRepliesNeverAgreeIsNotUpdated) {
    Scenario s = scenarios::NeedsFullUpdate();
    // Every reading of the zone (526) comes back whole but different, as on a very noisy line.
    for (int n = 1; n <= kAgreementReadings; ++n) {
        s.faults.push_back({sim::Event::ReadParameter,
                            sim::Action::WrongAnswer,
                            n,
                            1,
                            {0x10, 0x0E, 0x02, 0x02, static_cast<std::uint8_t>(n), 0x00},
                            0});
    }
    Tventana_brisca& w = Search(s);
    ExpectRefused(w, w.texts.PASO9_L1, w.texts.PASO9_L2, w.texts.PASO9_L3);
    EXPECT_FALSE(w.Identification().readingsAgreed);
    EXPECT_TRUE(rig->notifier.messages.empty());
}

TEST_F(Gate, AnInstrumentThatFallsSilentAfterTheProbeIsRefusedAtTheLevel) {
    Scenario s = scenarios::NeedsFullUpdate();
    for (sim::Event event : {sim::Event::ReadWords, sim::Event::ReadParameter,
                             sim::Event::QueryPeripheral, sim::Event::ModuleIdentity})
        s.faults.push_back({event, sim::Action::NoAnswer, 0, 1, {}, 0});
    Tventana_brisca& w = Search(s);
    // Every read leaves zeros, and a level of 0 is the first refusal.
    ExpectRefused(w, w.texts.P6_E2_L1, w.texts.P6_E2_L2, w.texts.P6_E2_L3);
    EXPECT_FALSE(w.Identification().modelKnown);
}

TEST_F(Gate, TheWatchStaysOffWhileTheGateAsks) {
    Scenario s = scenarios::NeedsFullUpdate();
    // An identity byte 0x0A would end the link if the watch took it from the reply.
    s.identity = {0x0A, 0x0A, 0x0A, 0x00, 0x12, 0x34, 0x56};
    rig = std::make_unique<SearchRig>();
    instrument = &rig->AddSimulated(1, s);
    Tventana_brisca& w = rig->Window();
    rig->RunDisconnectionWatch();
    const std::vector<std::uint8_t> askLevel = {0x01, 0x00, 0xA0, 0xFE, 0x02};
    bool gateAsked = false;
    rig->onPump = [&] {
        const std::vector<std::uint8_t> sent = SentByThePc();
        if (std::search(sent.begin(), sent.end(), askLevel.begin(), askLevel.end()) == sent.end())
            return;
        gateAsked = true;
        EXPECT_FALSE(w.controls.Timer_desconexion.enabled);
    };
    rig->notifier.answers.push_back(MessageAnswer::Cancel);
    rig->Search();
    EXPECT_TRUE(gateAsked);
    ExpectUpdateStarted(w);
    EXPECT_EQ(w.Identification().identityAtConnect, "0A0A0A00123456");
}

}  // namespace
}  // namespace kell::testing
