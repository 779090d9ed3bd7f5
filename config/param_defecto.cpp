#include "config/param_defecto.h"

#include <utility>

#include "config/param_format_version.h"
#include "link/byte_wait.h"
#include "link/loader_frames.h"
#include "link/shared_frames.h"

namespace kell {

namespace {

constexpr const char* kReconnectingText = "Conectando de nuevo ...";
constexpr const char* kFailedText = "ERROR al grabar parametros por defecto";
constexpr const char* kDoneText = "Parametros cargados";
CheckBox MakeBox(const char* caption, bool checked) {
    CheckBox box;
    box.caption = caption;
    box.checked = checked;
    return box;
}

GroupBox MakeGroup(const char* caption) {
    GroupBox group;
    group.caption = caption;
    return group;
}

RadioGroup MakeRadioGroup(const char* caption, std::vector<std::string> items) {
    RadioGroup group;
    group.caption = caption;
    group.items = std::move(items);
    group.itemIndex = 0;
    return group;
}

}  // namespace

TFParam_defecto::TFParam_defecto(SessionContext sessionView, InstrumentFacts instrument)
    : session(std::move(sessionView)), facts(instrument) {
    sendLoaderStages = [this] { return RunLoaderStages(); };
    BuildLayout();
    if (facts.accessLetter != kServiceAccessLetter) {
        for (CheckBox* box : OperationBoxes())
            box->enabled = false;
    }
    ParamFormatVersion = kParamFormatVersion;
}

void TFParam_defecto::BuildLayout() {
    RadioGroup_modelo = MakeRadioGroup("Modelo ", {"Tovric", "Selvane", "Dramont", "Quellin"});
    RadioGroup_idioma = MakeRadioGroup(
        " Idioma ", {"Español", "Inglés", "Francés", "Portugués", "Italiano", "Alemán"});

    GroupBox_Grabar_en_Eeprom = MakeGroup(" Grabar Eeprom ");
    check_grabar_conf_fabrica = MakeBox("Configuración de fábrica", true);
    check_grabar_conf_actual = MakeBox("Configuración por defecto", true);
    check_grabar_perfiles = MakeBox("Perfiles", false);
    GroupBox_Borrar_en_Eeprom = MakeGroup("Borrar Eeprom ");
    check_borrar_incidencias = MakeBox("Incidencias", false);
    GroupBox_Borrar_en_Flash = MakeGroup(" Borrar Flash ");
    check_borrar_tablas = MakeBox("Tablas memorias y macromedidas", false);
    check_borrar_memorias = MakeBox("Memorias", false);
    check_borrar_macromedidas = MakeBox("Macromedidas", false);
    check_borrar_logs = MakeBox("Logs", false);
    GroupBox_Grabar_en_flash = MakeGroup(" Grabar Flash ");
    check_grabar_planes = MakeBox("Planes de Canales", false);
    check_grabar_opciones = MakeBox("Opciones", false);
}

std::array<CheckBox*, 10> TFParam_defecto::OperationBoxes() {
    return {&check_grabar_conf_fabrica, &check_grabar_conf_actual, &check_grabar_perfiles,
            &check_borrar_incidencias,  &check_borrar_tablas,      &check_borrar_memorias,
            &check_borrar_macromedidas, &check_borrar_logs,        &check_grabar_planes,
            &check_grabar_opciones};
}

void TFParam_defecto::ToggleConnection() {
    if (session.Boton_ConectarClick)
        session.Boton_ConectarClick();
}

void TFParam_defecto::Reconnect() {
    if (!session.connected)
        return;
    ToggleConnection();  // disconnects
    ToggleConnection();  // connects again
}

void TFParam_defecto::Button_okClick(const Control* sender) {
    bool ok = true;
    const bool plansWanted = check_grabar_planes.checked;
    const bool flashWanted = check_borrar_memorias.checked || check_borrar_macromedidas.checked ||
                             check_borrar_logs.checked || check_borrar_tablas.checked ||
                             check_grabar_opciones.checked;
    const bool recordsWanted = check_grabar_conf_fabrica.checked ||
                               check_grabar_conf_actual.checked || check_grabar_perfiles.checked;
    const bool eepromWanted = recordsWanted || check_borrar_incidencias.checked;

    if (!facts.loaderMode) {
        // The records go to the instrument that is connected, built for its zone and flags
        // just as the zone step builds them; a fresh window holds zeros, which would overwrite
        // the instrument's factory configuration.
        if (recordsWanted) {
            if (facts.identified)
                BuildZoneRecords();
            else
                ok = RefuseUnidentified();
        }
        if (ok && check_grabar_conf_fabrica.checked)
            ok = WriteFactoryConfiguration();
        if (ok && check_grabar_conf_actual.checked)
            ok = WriteDefaultConfiguration();
        if (ok && check_grabar_perfiles.checked)
            ok = WriteProfiles();
        if (ok && check_borrar_incidencias.checked)
            ok = ClearIncidents();

        if (ok && eepromWanted && plansWanted) {
            Panel_estado.caption = kReconnectingText;
            Reconnect();
        }
        // The plan image itself is sent only by the update sequence; here the loader's
        // buffer is blanked.
        if (ok && plansWanted)
            ok = BlankLoaderBlock(session.link);
        if (ok && flashWanted)
            Reconnect();
    }

    // The loader must run for the flash work, so the boots go even after a failure.
    if (flashWanted && !facts.loaderMode)
        SendBoots();

    if (ok && check_borrar_tablas.checked)
        ok = EraseTables();
    if (ok && check_borrar_memorias.checked)
        ok = EraseMemories();
    if (ok && check_borrar_macromedidas.checked)
        ok = EraseMacroMeasurements();
    if (ok && check_borrar_logs.checked)
        ok = EraseLogs();
    if (ok && check_grabar_opciones.checked)
        ok = WriteOptions();

    if (flashWanted) {
        SendBytes(session.link, kLoaderClosing);
        DiscardUntilQuiet(session.link);
    }

    if (!ok)
        session.link.notifier.MessageBox(kFailedText, "", MessageButtons::Ok);
    else if (sender)
        session.link.notifier.MessageBox(kDoneText, "", MessageButtons::Ok);

    if (sender && session.connected)
        ToggleConnection();  // disconnects
    closed = true;
}

void TFParam_defecto::Button_cancelClick(const Control*) {
    closed = true;
}

}  // namespace kell
