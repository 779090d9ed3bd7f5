#include <gtest/gtest.h>

#include <algorithm>

#include "tests/app/search_rig.h"

namespace kell {
namespace {

using testing::InstrumentFacts;
using testing::ScriptedInstrument;
using testing::SearchRig;
namespace scenarios = testing::scenarios;

// A whole search with the instrument on port 1, up to the gate's outcome.
struct Gate : ::testing::Test {
    SearchRig rig;
    ScriptedInstrument* instrument = nullptr;

    Tventana_brisca& Search(InstrumentFacts facts) {
        instrument = &rig.AddInstrument(1, std::move(facts));
        Tventana_brisca& w = rig.Window();
        w.Barra_progreso.visible = w.ProgressBar_general.visible = true;
        w.Label_progreso_general.visible = true;
        rig.Search();
        return w;
    }

    void ExpectOutcome(const Tventana_brisca& w, int picture, const std::string& l1,
                       const std::string& l2, const std::string& l3) {
        EXPECT_EQ(w.Image_accion.index, picture);
        EXPECT_FALSE(l1.empty());
        EXPECT_EQ(w.Label_info1.caption, l1);
        EXPECT_EQ(w.Label_info2.caption, l2);
        EXPECT_EQ(w.Label_info3.caption, l3);
        EXPECT_FALSE(w.Label_n1.visible);
        // The link is ended and the window waits for the next press.
        EXPECT_FALSE(w.connected || w.monitorPSerie.IsOpen() || w.Timer_desconexion.enabled);
        EXPECT_EQ(instrument->received.back(), 0x0A);
        EXPECT_FALSE(w.Barra_progreso.visible || w.ProgressBar_general.visible ||
                     w.Label_progreso_general.visible);
        EXPECT_TRUE(w.Button_buscar_puerto.visible && w.Image_buscar_puerto.visible);
        EXPECT_TRUE(w.MenuArchivo.enabled && w.MenuConfigurar.enabled && w.MenuAyuda.enabled);
        EXPECT_EQ(w.stage, 0);
        EXPECT_EQ(w.failedSearches, 0);
    }
    void ExpectRefused(const Tventana_brisca& w, const std::string& l1, const std::string& l2,
                       const std::string& l3) {
        ExpectOutcome(w, kPictureNotUpdated, l1, l2, l3);
    }
    void ExpectUpdateStarted(const Tventana_brisca& w) {
        ExpectOutcome(w, kPictureUpdating, w.texts.PASO4_L1, w.texts.PASO4_L2, w.texts.PASO4_L3);
    }
};

TEST_F(Gate, AnInstrumentNeedingAnUpdateGoesAhead) {
    Tventana_brisca& w = Search(scenarios::NeedsFullUpdate());
    ExpectUpdateStarted(w);
    EXPECT_EQ(w.identityAtConnect, "4B454C00123456");
    EXPECT_TRUE(w.threeFpgaConfigurations);
    EXPECT_EQ(instrument->opens, 1);
}

TEST_F(Gate, AnUpToDateInstrumentIsToldSo) {
    Tventana_brisca& w = Search(scenarios::UpToDate());
    ExpectRefused(w, w.texts.PASO7_L1, w.texts.PASO7_L2, w.texts.PASO7_L3);
}

TEST_F(Gate, TheOptionBitTellsTwoFpgaConfigurationsFromThree) {
    InstrumentFacts f = scenarios::NeedsFullUpdate();
    f.threeFpgaConfigurations = false;
    EXPECT_FALSE(Search(f).threeFpgaConfigurations);
}

TEST_F(Gate, ALevelOf16IsRefusedAnd17GoesAhead) {
    Tventana_brisca& w = Search(scenarios::LowLevel());
    ExpectRefused(w, w.texts.P6_E2_L1, w.texts.P6_E2_L2, w.texts.P6_E2_L3);
    instrument->Poke(0x00, 0xFEA0, {17});
    rig.Search();
    ExpectUpdateStarted(w);
}

TEST_F(Gate, ABadPeripheralStatusIsRefused) {
    InstrumentFacts f = scenarios::NeedsFullUpdate();
    f.firmwareRelease = "2.03";  // above 1.80: register 12, bit 7
    f.peripheralStatus12 = 0x80;
    Tventana_brisca& w = Search(f);
    ExpectRefused(w, w.texts.P6_E3_L1, w.texts.P6_E3_L2, w.texts.P6_E3_L3);
}

TEST_F(Gate, NewerFirmwareReportsItsStatusInRegister12Alone) {
    InstrumentFacts f = scenarios::NeedsFullUpdate();
    f.firmwareRelease = "2.03";
    f.peripheralStatus8 = 0x80;
    f.peripheralStatus12 = 0x40;
    ExpectUpdateStarted(Search(f));
}

TEST_F(Gate, OlderFirmwareReportsItsStatusInRegisters8And12) {
    for (auto [status8, status12] : {std::pair{0x80, 0x00}, std::pair{0x00, 0x40}}) {
        SearchRig local;
        InstrumentFacts f = scenarios::NeedsFullUpdate();
        f.firmwareRelease = "1.70";
        f.peripheralStatus8 = static_cast<std::uint8_t>(status8);
        f.peripheralStatus12 = static_cast<std::uint8_t>(status12);
        local.AddInstrument(1, f);
        local.Search();
        EXPECT_EQ(local.Window().Label_info1.caption, local.Window().texts.P6_E3_L1);
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

TEST_F(Gate, AnInstrumentThatFallsSilentAfterTheProbeIsNotRecognised) {
    InstrumentFacts f = scenarios::NeedsFullUpdate();
    instrument = &rig.AddInstrument(1, f);
    Tventana_brisca& w = rig.Window();
    // It answers the probe, then nothing: every read leaves zeros.
    rig.onPump = [&] {
        if (instrument->probes > 0)
            instrument->facts.mode = InstrumentFacts::Mode::Busy;
    };
    rig.Search();
    EXPECT_EQ(w.Image_accion.index, kPictureNotUpdated);
    // A level of 0 is the first refusal.
    EXPECT_EQ(w.Label_info1.caption, w.texts.P6_E2_L1);
    EXPECT_FALSE(w.connected || w.monitorPSerie.IsOpen());
}

TEST_F(Gate, TheWatchStaysOffWhileTheGateAsks) {
    instrument = &rig.AddInstrument(1, scenarios::NeedsFullUpdate());
    Tventana_brisca& w = rig.Window();
    rig.RunDisconnectionWatch();
    const std::vector<std::uint8_t> askLevel = {0x01, 0x00, 0xA0, 0xFE, 0x02};
    bool gateAsked = false;
    rig.onPump = [&] {
        const auto& got = instrument->received;
        if (std::search(got.begin(), got.end(), askLevel.begin(), askLevel.end()) == got.end())
            return;
        gateAsked = true;
        EXPECT_FALSE(w.Timer_desconexion.enabled);
    };
    // An identity byte 0x0A would otherwise end the link if the watch took it.
    instrument->Poke(0x00, 0x6000, {0x0A, 0x0A, 0x0A});
    rig.Search();
    EXPECT_TRUE(gateAsked);
    ExpectUpdateStarted(w);
    EXPECT_EQ(w.identityAtConnect.substr(0, 6), "0A0A0A");
}

}  // namespace
}  // namespace kell
