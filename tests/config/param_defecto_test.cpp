#include <gtest/gtest.h>

#include "config/zone_records.h"
#include "tests/config/config_rig.h"

namespace kell::testing {
namespace {

using Answer = ScriptedRecordStore::Answer;

InstrumentFacts ServiceFacts() {
    InstrumentFacts facts = IdentifiedFacts();
    facts.accessLetter = kServiceAccessLetter;
    return facts;
}

void UncheckAll(TFParam_defecto& w) {
    for (CheckBox* box :
         {&w.check_grabar_conf_fabrica, &w.check_grabar_conf_actual, &w.check_grabar_perfiles,
          &w.check_borrar_incidencias, &w.check_borrar_tablas, &w.check_borrar_memorias,
          &w.check_borrar_macromedidas, &w.check_borrar_logs, &w.check_grabar_planes,
          &w.check_grabar_opciones})
        box->checked = false;
}

std::vector<Bytes> Frames(const ConfigRig& rig) {
    std::vector<Bytes> all;
    for (const auto& frame : rig.instrument.frames)
        all.push_back(frame.bytes);
    return all;
}

const Bytes kClosing = {0x0F, 0xF0};

TEST(ParamDefectoWindow, ConstructionDefaults) {
    ConfigRig rig;
    auto w = rig.Window();
    EXPECT_EQ(w->Caption, "Parametros por defecto");
    EXPECT_EQ(w->ParamFormatVersion, "84");
    EXPECT_EQ(w->RadioGroup_modelo.items,
              (std::vector<std::string>{"Tovric", "Selvane", "Dramont", "Quellin"}));
    EXPECT_EQ(w->RadioGroup_modelo.itemIndex, 0);
    EXPECT_EQ(w->RadioGroup_idioma.items.size(), 6u);
    EXPECT_EQ(w->RadioGroup_idioma.itemIndex, 0);
    EXPECT_TRUE(w->check_grabar_conf_fabrica.checked);
    EXPECT_TRUE(w->check_grabar_conf_actual.checked);
    EXPECT_EQ(w->check_grabar_planes.caption, "Planes de Canales");
    for (const CheckBox* box :
         {&w->check_grabar_perfiles, &w->check_borrar_incidencias, &w->check_borrar_tablas,
          &w->check_borrar_memorias, &w->check_borrar_macromedidas, &w->check_borrar_logs,
          &w->check_grabar_planes, &w->check_grabar_opciones})
        EXPECT_FALSE(box->checked) << box->caption;
}

TEST(ParamDefectoWindow, TheBoxesOpenOnlyToTheServiceLetter) {
    ConfigRig rig;
    auto normal = rig.Window();  // the main window's 'N'
    auto service = rig.Window(ServiceFacts());
    for (auto* w : {normal.get(), service.get()}) {
        const bool open = w == service.get();
        for (const CheckBox* box :
             {&w->check_grabar_conf_fabrica, &w->check_grabar_conf_actual,
              &w->check_grabar_perfiles, &w->check_borrar_incidencias, &w->check_borrar_tablas,
              &w->check_borrar_memorias, &w->check_borrar_macromedidas, &w->check_borrar_logs,
              &w->check_grabar_planes, &w->check_grabar_opciones})
            EXPECT_EQ(box->enabled, open) << box->caption;
        EXPECT_TRUE(w->RadioGroup_modelo.enabled);
        EXPECT_TRUE(w->RadioGroup_idioma.enabled);
    }
}

TEST(ParamDefectoOk, NothingTickedWritesNothing) {
    ConfigRig rig;
    auto w = rig.Window(ServiceFacts());
    UncheckAll(*w);
    w->Button_okClick(&w->Button_ok);
    EXPECT_TRUE(rig.instrument.frames.empty());
    EXPECT_EQ(rig.MessageTexts(), (std::vector<std::string>{"Parametros cargados"}));
    EXPECT_EQ(rig.toggles.size(), 1u);  // the final disconnect
    EXPECT_FALSE(rig.connected);
    EXPECT_TRUE(w->closed);
}

TEST(ParamDefectoOk, FromCodeNoMessageAndNoDisconnect) {
    ConfigRig rig;
    auto w = rig.Window(ServiceFacts());
    UncheckAll(*w);
    w->Button_okClick(nullptr);
    EXPECT_TRUE(rig.notifier.messages.empty());
    EXPECT_TRUE(rig.toggles.empty());
    EXPECT_TRUE(rig.connected);
    EXPECT_TRUE(w->closed);
}

// The default boxes write the connected instrument's own configuration, never the zeros of a
// fresh window.
TEST(ParamDefectoOk, DefaultBoxesWriteTheInstrumentsGeneralRecord) {
    ConfigRig rig;
    auto w = rig.Window(ServiceFacts());
    w->Button_okClick(&w->Button_ok);

    ConfigRecordAreas reference;
    BuildGeneralRecord(reference, ServiceFacts().records, ServiceFacts().records.zoneCode);
    const Bytes expected(reference.generalRecord.begin(), reference.generalRecord.begin() + 254);
    EXPECT_EQ(rig.instrument.records.EepromBytes('R', 8, 0x0100, 254), expected);
    EXPECT_EQ(rig.instrument.records.EepromBytes('R', 8, 0x0200, 254), expected);
    EXPECT_EQ(rig.instrument.records.EepromBytes('R', 8, 0x0100 + 14, 1), Bytes{0x41});
    EXPECT_EQ(rig.MessageTexts(), (std::vector<std::string>{"Parametros cargados"}));
}

TEST(ParamDefectoOk, WithoutIdentificationNothingIsWritten) {
    ConfigRig rig;
    InstrumentFacts facts;
    facts.accessLetter = kServiceAccessLetter;
    auto w = rig.Window(facts);
    w->check_grabar_perfiles.checked = true;
    w->check_borrar_memorias.checked = true;
    w->Button_okClick(&w->Button_ok);

    // Only the loader's closing command: no record, no erase.
    EXPECT_EQ(Frames(rig), (std::vector<Bytes>{kClosing}));
    EXPECT_FALSE(w->Panel_estado.caption.empty());
    EXPECT_EQ(rig.MessageTexts(),
              (std::vector<std::string>{"ERROR al grabar parametros por defecto"}));
    EXPECT_FALSE(rig.connected);
}

TEST(ParamDefectoOk, LoaderModeSkipsTheParameterStoreAndReconnects) {
    ConfigRig rig;
    InstrumentFacts facts = ServiceFacts();
    facts.loaderMode = true;
    auto w = rig.Window(facts);
    w->check_grabar_perfiles.checked = true;
    w->check_borrar_incidencias.checked = true;
    w->check_grabar_planes.checked = true;
    w->check_borrar_memorias.checked = true;
    w->Button_okClick(&w->Button_ok);

    EXPECT_EQ(Frames(rig), (std::vector<Bytes>{{0x0C, 39}, kClosing}));
    EXPECT_TRUE(rig.bootsSentAtFrame.empty());
    EXPECT_EQ(rig.toggles.size(), 1u);  // only the final disconnect
    EXPECT_EQ(rig.MessageTexts(), (std::vector<std::string>{"Parametros cargados"}));
}

TEST(ParamDefectoOk, PlansReconnectAfterTheParameterStoreBeforeTheBlankBlock) {
    ConfigRig rig;
    auto w = rig.Window(ServiceFacts());
    w->check_grabar_planes.checked = true;
    w->Button_okClick(&w->Button_ok);

    const auto frames = Frames(rig);
    ASSERT_EQ(frames.size(), 5u);  // four halves of the two configuration copies, the blank
    EXPECT_EQ(frames[4][0], 0x5A);
    EXPECT_EQ(Bytes(frames[4].begin() + 4, frames[4].end() - 1), Bytes(128, 0xFF));
    // Disconnect and connect between the last write and the blank block, then the final
    // disconnect.
    EXPECT_EQ(rig.toggles, (std::vector<std::size_t>{4, 4, 5}));
    EXPECT_EQ(w->Panel_estado.caption, "Conectando de nuevo ...");
}

TEST(ParamDefectoOk, NoReconnectWithoutPlans) {
    ConfigRig rig;
    auto w = rig.Window(ServiceFacts());
    w->Button_okClick(&w->Button_ok);
    EXPECT_EQ(rig.instrument.frames.size(), 4u);
    EXPECT_EQ(rig.toggles, (std::vector<std::size_t>{4}));
}

TEST(ParamDefectoOk, PlansAloneBlankWithoutReconnecting) {
    ConfigRig rig;
    auto w = rig.Window(ServiceFacts());
    UncheckAll(*w);
    w->check_grabar_planes.checked = true;
    w->Button_okClick(&w->Button_ok);
    ASSERT_EQ(rig.instrument.frames.size(), 1u);
    EXPECT_EQ(rig.instrument.frames[0].bytes[0], 0x5A);
    EXPECT_EQ(rig.toggles, (std::vector<std::size_t>{1}));
}

TEST(ParamDefectoOk, FlashWorkReconnectsSendsBootsErasesAndCloses) {
    ConfigRig rig;
    auto w = rig.Window(ServiceFacts());
    UncheckAll(*w);
    w->check_borrar_logs.checked = true;
    w->check_borrar_tablas.checked = true;
    w->check_grabar_opciones.checked = true;
    w->Button_okClick(&w->Button_ok);

    EXPECT_EQ(
        Frames(rig),
        (std::vector<Bytes>{{0x0C, 1}, {0x0C, 43}, {0x0C, 44}, {0x0C, 45}, {0x0C, 46}, kClosing}));
    EXPECT_EQ(rig.toggles, (std::vector<std::size_t>{0, 0, 6}));
    EXPECT_EQ(rig.bootsSentAtFrame, (std::vector<std::size_t>{0}));
    EXPECT_EQ(w->Panel_estado.caption, "Logs borrados");
}

TEST(ParamDefectoOk, AFailureStopsTheOperationsButNotTheBootsAndTheClosing) {
    ConfigRig rig;
    auto w = rig.Window(ServiceFacts());
    w->check_borrar_memorias.checked = true;
    rig.instrument.records.answerFor = [](const Bytes& f) -> std::optional<Answer> {
        if (IsEepromWrite(f))
            return Answer{};
        return std::nullopt;
    };
    w->Button_okClick(&w->Button_ok);

    const auto frames = Frames(rig);
    ASSERT_EQ(frames.size(), 6u);  // five tries of the first half, the closing command
    EXPECT_EQ(frames.back(), kClosing);
    EXPECT_EQ(rig.bootsSentAtFrame, (std::vector<std::size_t>{5}));
    EXPECT_EQ(rig.toggles, (std::vector<std::size_t>{6}));  // no reconnect after the failure
    EXPECT_EQ(rig.MessageTexts(),
              (std::vector<std::string>{"ERROR al grabar parametros por defecto"}));
}

TEST(ParamDefectoOk, TheRadioGroupsChangeNothingSent) {
    std::vector<Bytes> sent[2];
    for (int run = 0; run < 2; ++run) {
        ConfigRig rig;
        auto w = rig.Window(ServiceFacts());
        w->check_grabar_perfiles.checked = true;
        w->RadioGroup_modelo.itemIndex = run * 3;
        w->RadioGroup_idioma.itemIndex = run * 5;
        w->Button_okClick(&w->Button_ok);
        sent[run] = Frames(rig);
    }
    EXPECT_EQ(sent[0].size(), 12u);
    EXPECT_EQ(sent[0], sent[1]);
}

}  // namespace
}  // namespace kell::testing
