#include <gtest/gtest.h>

#include <algorithm>

#include "tests/app/search_rig.h"

namespace kell::testing {
namespace {

using Scenario = sim::Scenario;
namespace scenarios = sim::scenarios;

// The plan as the seven marks, in the order of the layout's row.
struct Marks {
    bool firmware, fpga, keypad, plans, erase, zone, module;
    bool operator==(const Marks&) const = default;
};
Marks MarksOf(const Tventana_brisca& w) {
    return {w.controls.Check_firmware.checked, w.controls.Check_fpga.checked,
            w.controls.Check_teclado.checked,  w.controls.Check_planes.checked,
            w.controls.Check_borrar.checked,   w.controls.Check_configuracion.checked,
            w.controls.Check_mpeg4_apl.checked};
}
std::ostream& operator<<(std::ostream& out, const Marks& m) {
    return out << "firmware " << m.firmware << " fpga " << m.fpga << " keypad " << m.keypad
               << " plans " << m.plans << " erase " << m.erase << " zone " << m.zone << " module "
               << m.module;
}
constexpr Marks kNothing{false, false, false, false, false, false, false};
// A new main firmware brings the FPGA set, the zone and the module with it.
constexpr Marks kFirmwareAndWhatComesWithIt{true, true, false, false, false, true, true};

// Connects (and so identifies) the simulated instrument on port 1 for a program of the given
// version; the simulator checks every frame the window sends it.
struct Identification : ::testing::Test {
    std::unique_ptr<SearchRig> rig;
    sim::Instrument* instrument = nullptr;

    Tventana_brisca& Identify(sim::Scenario scenario, const std::string& programBuild = "00000") {
        CheckTheLastOne();
        rig = std::make_unique<SearchRig>("2.04", programBuild);
        instrument = &rig->AddSimulated(1, std::move(scenario));
        Tventana_brisca& w = rig->Window();
        w.Boton_ConectarClick();
        EXPECT_TRUE(w.Connection().connected);
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
};

// A module that reports no software yet: its first answers give version 0.
Scenario ModuleWithoutSoftwareAtFirst(int answers) {
    Scenario s;
    s.module.version = 161;
    s.faults.push_back({sim::Event::ModuleIdentity,
                        sim::Action::WrongAnswer,
                        1,
                        answers,
                        {0xFB, 0x06, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01},
                        0});
    return s;
}

TEST_F(Identification, AnUpToDateOrvoNeedsNothing) {
    Tventana_brisca& w = Identify(scenarios::UpToDate());
    EXPECT_EQ(MarksOf(w), kNothing);
    EXPECT_TRUE(w.Identification().modelKnown);
    EXPECT_FALSE(w.Identification().usaUnit);
    EXPECT_TRUE(w.controls.Image_Orvo.visible);
    EXPECT_FALSE(w.controls.Image_Tesk.visible);
    EXPECT_EQ(w.Identification().instrumentVersion, "2.04.00000");
    EXPECT_TRUE(w.Identification().firmwareAbove180);
    EXPECT_FALSE(w.Identification().firmwareBelow189);
    EXPECT_EQ(w.Identification().plansType, 1);
    EXPECT_EQ(w.Identification().plansStoredVersion, 103);
    EXPECT_EQ(w.Identification().plansExpectedVersion, 103);
    EXPECT_EQ(w.Identification().ModuleVersions.softwareVersion, 162);
}

TEST_F(Identification, AnOldInstrumentIsMarkedForEverythingButKeypadAndErase) {
    Tventana_brisca& w = Identify(scenarios::NeedsFullUpdate());
    EXPECT_EQ(MarksOf(w), (Marks{true, true, false, true, false, true, true}));
    EXPECT_EQ(w.Identification().instrumentVersion, "1.89.00000");
}

TEST_F(Identification, TheModelPictureFollowsTheHardwareType) {
    Scenario tesk;
    tesk.hardwareType = {0x09, 0x03};
    Tventana_brisca& w = Identify(tesk);
    EXPECT_TRUE(w.Identification().modelKnown);
    EXPECT_TRUE(w.controls.Image_Tesk.visible);
    EXPECT_FALSE(w.controls.Image_Orvo.visible);

    Scenario unknown;
    unknown.hardwareType = {0x01, 0x04};  // type 4 is an Orvo only with variant 2
    unknown.firmwareRelease = "1.00";
    Tventana_brisca& u = Identify(unknown);
    EXPECT_FALSE(u.Identification().modelKnown);
    EXPECT_FALSE(u.controls.Image_Tesk.visible || u.controls.Image_Orvo.visible);
    // Nothing more of the firmware is read for an unknown model.
    EXPECT_FALSE(u.controls.Check_firmware.checked);
    EXPECT_EQ(u.Identification().instrumentVersion, "");
}

TEST_F(Identification, TheRegionUsaIsRecognised) {
    EXPECT_TRUE(Identify(scenarios::Usa()).Identification().usaUnit);
    Scenario usaPlus;
    usaPlus.region = "USAX";  // only three characters are kept
    EXPECT_TRUE(Identify(usaPlus).Identification().usaUnit);
    Scenario us;
    us.region = "US";
    EXPECT_FALSE(Identify(us).Identification().usaUnit);
}

TEST_F(Identification, FirmwareAgainstAReleaseProgram) {
    const std::pair<const char*, bool> cases[] = {
        {"00000", false}, {"00007", true}};  // the same release; a test build of it
    for (auto [build, marked] : cases) {
        Scenario f;
        f.firmwareBuild = build;
        EXPECT_EQ(Identify(f).controls.Check_firmware.checked, marked) << build;
    }
    Scenario older;
    older.firmwareRelease = "1.89";
    EXPECT_TRUE(Identify(older).controls.Check_firmware.checked);
    Scenario newer;
    newer.firmwareRelease = "2.05";
    EXPECT_FALSE(Identify(newer).controls.Check_firmware.checked);
}

TEST_F(Identification, FirmwareAgainstATestBuildProgram) {
    Scenario f;
    f.firmwareBuild = "00003";
    EXPECT_EQ(MarksOf(Identify(f, "00004")), kFirmwareAndWhatComesWithIt);
    f.firmwareBuild = "00005";
    EXPECT_EQ(MarksOf(Identify(f, "00004")), kNothing);
}

TEST_F(Identification, TheThresholdFlagsComeFromTheInstrumentsVersion) {
    Scenario f;
    f.firmwareRelease = "1.84";
    f.firmwareBuild = "00003";
    Tventana_brisca& w = Identify(f);
    EXPECT_EQ(w.Identification().instrumentVersion, "1.84.00003");
    EXPECT_TRUE(w.Identification().firmwareAbove180);
    EXPECT_TRUE(w.Identification().firmwareBelow189);
}

TEST_F(Identification, TheFpgaSetIsComparedAsText) {
    Scenario f;
    f.fpgaMinor = 40;
    EXPECT_EQ(MarksOf(Identify(f)), (Marks{false, true, false, false, false, false, false}));
    f.fpgaMajor = 0;
    f.fpgaMinor = 0;  // a directory that could not be read
    EXPECT_TRUE(Identify(f).controls.Check_fpga.checked);
}

TEST_F(Identification, PlanTypeFourIsAlwaysMarked) {
    Scenario f;
    f.planType = 4;
    f.planVersion = 111;  // what the program carries for type 4
    Tventana_brisca& w = Identify(f);
    EXPECT_TRUE(w.controls.Check_planes.checked);
    EXPECT_EQ(w.Identification().plansType, 4);
}

TEST_F(Identification, PlansOfTheRightTypeAreComparedByVersion) {
    Scenario f;
    f.planType = 2;
    f.planVersion = 122;
    Tventana_brisca& w = Identify(f);
    EXPECT_EQ(MarksOf(w), kNothing);
    EXPECT_EQ(w.Identification().plansExpectedVersion, 122);
    f.planVersion = 121;
    EXPECT_TRUE(Identify(f).controls.Check_planes.checked);
    f.planType = 9;  // read as type 0, version 0x79 differs from 112
    EXPECT_TRUE(Identify(f).controls.Check_planes.checked);
}

TEST_F(Identification, TheModuleIsMarkedBelow162OrOnABuild) {
    const struct {
        std::uint16_t version, build;
        bool marked;
    } cases[] = {{162, 0, false}, {162, 5, true}, {161, 0, true}};
    for (const auto& c : cases) {
        Scenario f;
        f.module.version = c.version;
        f.module.build = c.build;
        Tventana_brisca& w = Identify(f);
        // The module's application is sent with the main firmware.
        EXPECT_EQ(MarksOf(w), c.marked ? kFirmwareAndWhatComesWithIt : kNothing)
            << c.version << " build " << c.build;
    }
}

TEST_F(Identification, AnAbsentModuleIsLeftAlone) {
    Scenario f;
    f.module.present = false;
    Tventana_brisca& w = Identify(f);
    EXPECT_EQ(MarksOf(w), kNothing);
    EXPECT_EQ(w.Identification().ModuleVersions.bootVersion, 0xFF);
}

TEST_F(Identification, AModuleWithoutSoftwareIsAskedAgainAfterAReconnection) {
    rig = std::make_unique<SearchRig>();
    // Both readings before the reconnection agree on no software; both after it on 161.
    instrument = &rig->AddSimulated(1, ModuleWithoutSoftwareAtFirst(2));
    Tventana_brisca& w = rig->Window();
    std::int64_t closedAtUs = 0, reopenedAtUs = 0;
    bool wasOpen = false;
    rig->onPump = [&] {
        const bool open = w.monitorPSerie.IsOpen();
        if (open && !wasOpen && closedAtUs != 0 && reopenedAtUs == 0)
            reopenedAtUs = rig->clock.NowUs();
        if (!open && wasOpen && closedAtUs == 0)
            closedAtUs = rig->clock.NowUs();
        wasOpen = open;
    };
    w.Boton_ConectarClick();
    const std::vector<std::uint8_t> sent = SentByThePc();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), 0xBF), 4);
    EXPECT_GE(static_cast<double>(reopenedAtUs - closedAtUs) / 1e6, 5.0);
    EXPECT_TRUE(w.Connection().connected && w.controls.Timer_desconexion.enabled);
    EXPECT_EQ(w.Identification().ModuleVersions.softwareVersion, 161);
    EXPECT_TRUE(w.controls.Check_mpeg4_apl.checked);
}

TEST_F(Identification, AModuleThatStaysWithoutSoftwareIsNotMarked) {
    Tventana_brisca& w = Identify(ModuleWithoutSoftwareAtFirst(4));
    const std::vector<std::uint8_t> sent = SentByThePc();
    // Two agreed readings before the reconnection, two after it.
    EXPECT_EQ(std::count(sent.begin(), sent.end(), 0xBF), 4);
    EXPECT_EQ(MarksOf(w), kNothing);
}

TEST_F(Identification, AFailedReconnectionForTheModuleLeavesTheLinkDown) {
    Scenario s = ModuleWithoutSoftwareAtFirst(2);
    s.faults.push_back({sim::Event::Probe, sim::Action::NoAnswer, 2, 100, {}, 0});
    rig = std::make_unique<SearchRig>();
    instrument = &rig->AddSimulated(1, s);
    Tventana_brisca& w = rig->Window();
    w.Boton_ConectarClick();
    EXPECT_FALSE(w.Connection().connected || w.controls.Timer_desconexion.enabled);
    const std::vector<std::uint8_t> sent = SentByThePc();
    // No second connection is started from inside the first one's identification.
    EXPECT_EQ(std::count(sent.begin(), sent.end(), 0xBF), 2);
    ASSERT_EQ(rig->notifier.messages.size(), 1u);
    EXPECT_EQ(rig->notifier.messages[0].text, "USB error");
}

TEST_F(Identification, ZoneAndParametersAreReadAtConnection) {
    Scenario f;
    f.zone = 7;
    f.setting562 = 0x33;
    f.setting571 = 0x1234;
    Tventana_brisca& w = Identify(f);
    EXPECT_EQ(w.Identification().zoneCode, 7);
    EXPECT_TRUE(w.Identification().parameter562Valid);
    EXPECT_EQ(w.Identification().parameter562, 0x33);
    EXPECT_EQ(w.Identification().parameter571, 0x1234);

    f.zone = 12;  // beyond the zones known: zone 1
    EXPECT_EQ(Identify(f).Identification().zoneCode, 1);
    f.zone = 0x49;  // the low six bits give 9: kept as it is
    EXPECT_EQ(Identify(f).Identification().zoneCode, 0x49);
}

TEST_F(Identification, Parameter571IsAskedOnlyWhen562Answered) {
    Scenario f;
    // The zone is asked first, twice (its two replies agree); 562 goes unanswered at all five
    // attempts.
    f.faults.push_back({sim::Event::ReadParameter, sim::Action::NoAnswer, 3, 5, {}, 0});
    Tventana_brisca& w = Identify(f);
    EXPECT_FALSE(w.Identification().parameter562Valid);
    EXPECT_EQ(w.Identification().parameter571, 0);
    const std::vector<std::uint8_t> sent = SentByThePc();
    const std::vector<std::uint8_t> ask571 = {0x01, 0x42, 0x3B, 0x02};
    EXPECT_EQ(std::search(sent.begin(), sent.end(), ask571.begin(), ask571.end()), sent.end());
    const std::vector<std::uint8_t> ask562 = {0x01, 0x42, 0x32, 0x02};
    EXPECT_NE(std::search(sent.begin(), sent.end(), ask562.begin(), ask562.end()), sent.end());
}

// A whole reply to the zone's read (526) that carries `zone`.
std::vector<std::uint8_t> ZoneReply(std::uint8_t zone) {
    return {0x10, 0x0E, 0x02, 0x02, zone, 0x00};
}

int Count(const std::vector<std::uint8_t>& sent, const std::vector<std::uint8_t>& what) {
    int n = 0;
    for (auto at = sent.begin();
         (at = std::search(at, sent.end(), what.begin(), what.end())) != sent.end(); ++at)
        ++n;
    return n;
}

TEST_F(Identification, AZoneReplySpoiledOnTheLineIsReadAgainUntilTwoAgree) {
    Scenario f;
    f.zone = 7;
    // The first reply says zone 3, whole and well formed: only a second reading can tell.
    f.faults.push_back(
        {sim::Event::ReadParameter, sim::Action::WrongAnswer, 1, 1, ZoneReply(3), 0});
    Tventana_brisca& w = Identify(f);
    EXPECT_EQ(w.Identification().zoneCode, 7);
    EXPECT_TRUE(w.Identification().readingsAgreed);
    EXPECT_EQ(Count(SentByThePc(), {0x01, 0x42, 0x0E, 0x02}), 3);
}

TEST_F(Identification, EachReadThatDecidesWhatIsWrittenIsAskedTwiceWithoutFaults) {
    Identify(scenarios::NeedsFullUpdate());
    const std::vector<std::uint8_t> sent = SentByThePc();
    const std::vector<std::vector<std::uint8_t>> asked = {
        {0x01, 0x42, 0x0E, 0x02},      // zone
        {0x01, 0x42, 0x32, 0x02},      // parameter 562
        {0x01, 0x42, 0x3B, 0x02},      // parameter 571
        {0x01, 0x00, 0x30, 0x60, 16},  // hardware type
        {0x01, 0x18, 0x00, 0x00, 16},  // region
        {0x01, 0x18, 0x10, 0x00, 6},   // firmware release
        {0x01, 0x18, 0x16, 0x00, 6},   // firmware build
        {0x01, 0x30, 0x00, 0x00, 16},  // FPGA directory
        {0x01, 0x1E, 0x00, 0x00, 6},   // channel-plan header
        {0xBF},                        // module versions
    };
    for (const auto& query : asked)
        EXPECT_EQ(Count(sent, query), 2) << int(query[1]) << " " << int(query[2]);
}

TEST_F(Identification, ZoneRepliesThatNeverAgreeAreNoZone) {
    Scenario f;
    f.zone = 7;
    for (std::uint8_t n = 1; n <= kAgreementReadings; ++n)
        f.faults.push_back(
            {sim::Event::ReadParameter, sim::Action::WrongAnswer, n, 1, ZoneReply(n), 0});
    Tventana_brisca& w = Identify(f);
    EXPECT_FALSE(w.Identification().readingsAgreed);
    EXPECT_EQ(w.Identification().zoneCode, 0);
}

TEST_F(Identification, TheMarksAreRebuiltAtEveryConnection) {
    Tventana_brisca& w = Identify(scenarios::UpToDate());
    w.controls.Check_borrar.checked = w.controls.Check_teclado.checked = true;
    w.Boton_ConectarClick();  // ends the link
    w.Boton_ConectarClick();  // connects again
    EXPECT_TRUE(w.Connection().connected);
    EXPECT_EQ(MarksOf(w), kNothing);
}

}  // namespace
}  // namespace kell::testing
