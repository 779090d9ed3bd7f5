#include <gtest/gtest.h>

#include "tests/app/search_rig.h"

namespace kell::testing {
namespace {

void ExpectInfoLines(const Tventana_brisca& w, const std::string& l1, const std::string& l2,
                     const std::string& l3) {
    EXPECT_FALSE(l1.empty()) << "the language file gives every text checked here";
    EXPECT_EQ(w.controls.Label_info1.caption, l1);
    EXPECT_EQ(w.controls.Label_info2.caption, l2);
    EXPECT_EQ(w.controls.Label_info3.caption, l3);
}

// After every search that ends, the window waits for the next press.
void ExpectReadyForNextPress(const Tventana_brisca& w) {
    EXPECT_EQ(w.State().stage, 0);
    EXPECT_TRUE(w.controls.Button_buscar_puerto.visible && w.controls.Image_buscar_puerto.visible);
    EXPECT_TRUE(w.controls.MenuArchivo.enabled && w.controls.MenuConfigurar.enabled &&
                w.controls.MenuAyuda.enabled);
    EXPECT_FALSE(w.controls.Label_n1.visible);
    EXPECT_FALSE(w.Connection().connected);
    EXPECT_FALSE(w.monitorPSerie.IsOpen());
}

void ExpectNoInstrument(const Tventana_brisca& w) {
    EXPECT_EQ(w.controls.Image_accion.index, kPictureNotFound);
    ExpectInfoLines(w, w.texts.P6_E1_L1, w.texts.P6_E1_L2, w.texts.P6_E1_L3);
    ExpectReadyForNextPress(w);
}

TEST(SearchButton, TheFirstPressOnlyArmsTheSearch) {
    SearchRig rig;
    rig.AddInstrument(1);
    Tventana_brisca& w = rig.Window();
    w.Button_buscar_puertoClick();
    EXPECT_EQ(w.State().stage, 1);
    EXPECT_EQ(w.controls.Image_accion.index, kPictureArmed);
    EXPECT_TRUE(w.controls.Label_n1.visible && w.controls.Label_n2.visible &&
                w.controls.Label_n3.visible);
    ExpectInfoLines(w, w.texts.PASO2_L1, w.texts.PASO2_L2, w.texts.PASO2_L3);
    EXPECT_TRUE(rig.opened.empty());
    EXPECT_TRUE(rig.ports.probed.empty());

    w.Button_buscar_puertoClick();
    EXPECT_EQ(rig.opened, std::vector<int>{1});
    EXPECT_EQ(w.State().stage, 0);
}

TEST(SearchButton, WhileSearchingTheMenusAreOffAndTheButtonHidden) {
    SearchRig rig;
    rig.AddSilentPort(2);
    Tventana_brisca& w = rig.Window();
    bool sawSearching = false;
    rig.onPump = [&] {
        if (!w.monitorPSerie.IsOpen())
            return;
        sawSearching = true;
        EXPECT_FALSE(w.controls.MenuArchivo.enabled || w.controls.MenuConfigurar.enabled ||
                     w.controls.MenuAyuda.enabled);
        EXPECT_FALSE(w.controls.Button_buscar_puerto.visible ||
                     w.controls.Image_buscar_puerto.visible);
        EXPECT_EQ(w.controls.Image_accion.index, kPictureSearching);
        EXPECT_EQ(w.controls.Label_info1.caption, w.texts.PASO3_L1);
        EXPECT_EQ(w.controls.Label_info2.caption, w.texts.PASO3_L2 + "2");
        EXPECT_EQ(w.controls.Label_info3.caption, w.texts.PASO3_L3);
    };
    rig.Search();
    EXPECT_TRUE(sawSearching);
    ExpectNoInstrument(w);
}

TEST(AutomaticSearch, TriesTheLowPortsInOrderAndStopsAtTheInstrument) {
    SearchRig rig;
    rig.AddSilentPort(3);
    rig.AddInstrument(7);
    rig.AddSilentPort(20);
    rig.SetSystemNames({"COM3", "COM7", "COM20"});
    Tventana_brisca& w = rig.Window();
    rig.Search();
    // 3 then 7; neither the rest of the low ports nor the system's list is looked at.
    EXPECT_EQ(rig.opened, (std::vector<int>{3, 7}));
    EXPECT_EQ(rig.ports.probed, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(w.Connection().portNumber, 7);
    EXPECT_EQ(w.State().failedSearches, 0);
    // The list of ports was read anew for the search (a meter may have been plugged in since).
    EXPECT_EQ(rig.ports.rescans, 1);
}

TEST(AutomaticSearch, TheSystemListAddsOnlyComPortsNotTriedYet) {
    SearchRig rig;
    rig.AddSilentPort(3);
    rig.AddInstrument(20);
    rig.SetSystemNames({"COM3:", "LPT1:", "COM20:"});
    Tventana_brisca& w = rig.Window();
    rig.Search();
    EXPECT_EQ(rig.opened, (std::vector<int>{3, 20}));
    EXPECT_EQ(w.Connection().portNumber, 20);
    EXPECT_EQ(w.State().failedSearches, 0);
}

// The answer of an instrument behind a USB adapter reaches the PC only at the adapter's next
// latency tick (16 ms on many adapters): later than the channel's own few milliseconds of
// reading, and drained before the next attempt if the search did not wait for it.
TEST(AutomaticSearch, AnInstrumentBehindASlowAdapterIsFoundAtTheFirstAttempt) {
    SearchRig rig;
    ScriptedInstrument& port = rig.AddInstrument(1);
    rig.LineOf(1)->SetAdapterLatencyMs(16);
    Tventana_brisca& w = rig.Window();
    rig.Search();
    EXPECT_EQ(port.identification.probes, 1);
    EXPECT_EQ(w.Connection().portNumber, 1);
    EXPECT_EQ(w.State().failedSearches, 0);
}

TEST(AutomaticSearch, ASilentPortCostsFourAttemptsOfAboutOneSecond) {
    SearchRig rig;
    IdentityFacts silent;
    silent.mode = IdentityFacts::Mode::Silent;
    ScriptedInstrument& port = rig.AddInstrument(1, silent);
    Tventana_brisca& w = rig.Window();
    w.Button_buscar_puertoClick();
    const std::int64_t start = rig.clock.NowUs();
    w.Button_buscar_puertoClick();
    EXPECT_EQ(port.identification.probes, 4);
    EXPECT_EQ(port.rtsPulses, 4 * 16);
    EXPECT_EQ(port.identification.endsOfLink, 4);
    // The wake pulses (0.64 s), the pause (0.1 s), the wait for an answer (0.1 s) and the
    // pause after the end of link (0.1 s).
    EXPECT_NEAR(rig.SecondsSince(start), 4 * 0.95, 0.1);
    EXPECT_EQ(w.State().failedSearches, 1);
    ExpectNoInstrument(w);
}

TEST(AutomaticSearch, ABusyInstrumentIsAskedOnceAndReported) {
    SearchRig rig;
    ScriptedInstrument& busy = rig.AddInstrument(1, scenarios::Busy());
    Tventana_brisca& w = rig.Window();
    rig.Search();
    EXPECT_EQ(busy.identification.probes, 1);
    EXPECT_EQ(busy.identification.endsOfLink, 1);
    EXPECT_TRUE(w.Connection().busyReply);
    EXPECT_EQ(w.State().failedSearches, 1);
    EXPECT_EQ(w.controls.Image_accion.index, kPictureNotFound);
    ExpectInfoLines(w, w.texts.P6_E5_L1, w.texts.P6_E5_L2, w.texts.P6_E5_L3);
    ExpectReadyForNextPress(w);
}

// Two copies of the program on one meter: the second finds the port open in the first and
// must neither write to it nor report that no meter was there.
TEST(AutomaticSearch, APortHeldByAnotherCopyIsLeftAloneAndReportedAsInUse) {
    SearchRig rig;
    ScriptedInstrument& meter = rig.AddInstrument(1, scenarios::UpToDate());
    VirtualSerialDevice firstCopy(rig.lines);
    ASSERT_EQ(firstCopy.Open(rig.PathOf(1)), OpenResult::Ok);
    const std::size_t receivedBefore = meter.received.size();
    Tventana_brisca& w = rig.Window();
    rig.Search();
    EXPECT_FALSE(w.Connection().connected);
    EXPECT_EQ(meter.received.size(), receivedBefore) << "nothing of the second copy reached it";
    EXPECT_TRUE(w.Connection().portHeldElsewhere);
    EXPECT_EQ(w.controls.Image_accion.index, kPictureNotFound);
    ExpectInfoLines(w, w.texts.P6_E9_L1, w.texts.P6_E9_L2, w.texts.P6_E9_L3);
    EXPECT_FALSE(w.texts.P6_E9_L1.empty());
    ExpectReadyForNextPress(w);

    // Once the first copy lets go, the next search reaches the meter.
    firstCopy.Close();
    rig.Search();
    EXPECT_GT(meter.identification.probes, 0);
    EXPECT_FALSE(w.Connection().portHeldElsewhere);
    EXPECT_NE(w.controls.Label_info1.caption, w.texts.P6_E9_L1);
}

TEST(AutomaticSearch, APortRefusedForPermissionIsReportedAsSuch) {
    SearchRig rig;
    rig.AddRefusedPort(1);
    rig.AddSilentPort(2);
    Tventana_brisca& w = rig.Window();
    rig.Search();
    EXPECT_EQ(rig.opened, std::vector<int>{2});  // the search went on past the refused port
    EXPECT_TRUE(w.Connection().portPermissionRefused);
    EXPECT_EQ(w.controls.Image_accion.index, kPictureNotFound);
    ExpectInfoLines(w, w.texts.P6_E8_L1, w.texts.P6_E8_L2, w.texts.P6_E8_L3);
    ExpectReadyForNextPress(w);
    EXPECT_EQ(w.State().failedSearches, 1);

    // The next search that refuses nothing says "no instrument" again.
    rig.ports.Remove(1);
    rig.Search();
    ExpectNoInstrument(w);
}

TEST(AutomaticSearch, ARefusedPortDoesNotHideAnInstrumentBehindIt) {
    SearchRig rig;
    rig.AddRefusedPort(1);
    rig.AddInstrument(2);
    Tventana_brisca& w = rig.Window();
    rig.Search();
    EXPECT_EQ(w.State().failedSearches, 0);
    EXPECT_EQ(w.controls.Image_accion.index, kPictureNotUpdated);
}

TEST(AutomaticSearch, TheManualPanelOpensOnThePressAfterTwoFailedSearches) {
    SearchRig rig;
    Tventana_brisca& w = rig.Window();
    rig.Search();
    w.Button_buscar_puertoClick();  // one failed search: the press only arms
    EXPECT_FALSE(w.controls.PConfigurarPuerto.visible);
    w.Button_buscar_puertoClick();
    EXPECT_EQ(w.State().failedSearches, 2);
    EXPECT_FALSE(w.controls.PConfigurarPuerto.visible);
    w.Button_buscar_puertoClick();  // arms, and offers the manual choice
    EXPECT_TRUE(w.controls.PConfigurarPuerto.visible);
    EXPECT_FALSE(w.controls.Auto1.checked);
    EXPECT_TRUE(w.controls.MenuPuerto.checked);
    EXPECT_EQ(w.State().failedSearches, 0);
    EXPECT_EQ(w.State().stage, 1);
}

TEST(AutomaticSearch, ClosingTheWindowStopsTheSearch) {
    SearchRig rig;
    for (int n = 1; n <= 5; ++n)
        rig.AddSilentPort(n);
    Tventana_brisca& w = rig.Window();
    rig.onPump = [&] {
        if (!rig.opened.empty())
            w.FormClose();
    };
    rig.Search();
    EXPECT_EQ(rig.opened, std::vector<int>{1});
}

TEST(ManualSearch, TriesTheChosenPortOnly) {
    SearchRig rig;
    rig.AddInstrument(1);
    rig.AddSilentPort(12);
    Tventana_brisca& w = rig.Window();
    w.MenuPuertoClick();
    w.Com_extendedChange();
    w.controls.Com_extended.text = w.controls.Com_extended.items.back();
    w.Com_extended_select();
    w.BConfigurarPuertoClick();
    const int rescansOfThePanel = rig.ports.rescans;
    rig.Search();
    EXPECT_EQ(rig.opened, std::vector<int>{12});
    ExpectNoInstrument(w);
    // The number chosen by hand keeps naming the device the panel listed: no new numbering.
    EXPECT_EQ(rescansOfThePanel, 1);
    EXPECT_EQ(rig.ports.rescans, 1);
}

TEST(ManualSearch, TheMenuEntryStartsTheSearchAtOnce) {
    SearchRig rig;
    rig.AddInstrument(1);
    Tventana_brisca& w = rig.Window();
    w.Actualizar1Click();
    EXPECT_EQ(rig.opened, std::vector<int>{1});
    EXPECT_EQ(w.controls.Image_accion.index, kPictureNotUpdated);
    EXPECT_EQ(w.State().stage, 0);
}

struct PortPanel : ::testing::Test {
    SearchRig rig;
    Tventana_brisca& w = rig.Window();
};

TEST_F(PortPanel, TheComboListsUpToPort32WithTheDevices) {
    for (int n : {2, 12, 32, 33})
        rig.AddSilentPort(n);
    w.controls.Com_extended.items = {"stale"};
    w.Com_extendedChange();
    EXPECT_EQ(w.controls.Com_extended.items,
              (std::vector<std::string>{"COM2 (/dev/ttyV2)", "COM12 (/dev/ttyV12)",
                                        "COM32 (/dev/ttyV32)"}));
    EXPECT_TRUE(rig.opened.empty());  // listing opens nothing
}

TEST_F(PortPanel, ChoosingCom12FromTheComboSetsPortAndCaption) {
    w.controls.COM.itemIndex = 2;
    w.controls.Com_extended.text = "COM12 (/dev/ttyV12)";
    w.Com_extended_select();
    EXPECT_EQ(w.Connection().portNumber, 12);
    EXPECT_EQ(w.controls.COM.caption, "USB: 12");
    EXPECT_EQ(w.controls.COM.itemIndex, -1);

    // Text without a port number chooses nothing.
    w.controls.Com_extended.text = "ttyUSB0";
    w.Com_extended_select();
    EXPECT_EQ(w.Connection().portNumber, 12);
}

}  // namespace
}  // namespace kell::testing
