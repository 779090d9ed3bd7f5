// The check after an update: the meter, back from the restart that follows the finish bytes, is
// asked again for its versions, so that "updated" is what the meter itself reports and not only
// what the session believes it wrote.
#include "app/ventana_brisca.h"

namespace kell {
namespace {

const std::string& ComponentName(const LocalisedTexts& texts, const std::string& component) {
    if (component == "firmware")
        return texts.VERSION_FIRMWARE;
    if (component == "fpga")
        return texts.VERSION_FPGA;
    if (component == "plans")
        return texts.VERSION_PLANES;
    return texts.VERSION_MODULO;
}

// One line per component: what the meter reports, what this program carries where that is one
// version, and a mark on a planned component that is not current.
std::string Details(const LocalisedTexts& texts, const VersionCheck& check) {
    if (!check.answered)
        return texts.VERSIONES_SIN_RESPUESTA;
    std::string details = texts.VERSIONES_CABECERA;
    for (const ComponentCheck& c : check.checks) {
        details += "\n" + ComponentName(texts, c.component) + ": " + c.reported;
        if (!c.carried.empty())
            details += " (" + texts.VERSION_PROGRAMA + " " + c.carried + ")";
        if (c.planned && !c.current)
            details += " - " + texts.VERSION_NO_ACTUAL;
    }
    return details;
}

}  // namespace

void Tventana_brisca::CheckVersionsAfterUpdate() {
    Events().VersionCheckStarted();
    // The wait pumps messages: nothing else may start from the menus meanwhile.
    EnableMenus(false);
    controls.Label_info3.caption = texts.PASO5_COMPROBANDO;
    seams.pump.PumpOnce();
    VersionCheck check;
    check.answered = ReconnectAfterFinish();
    if (check.answered) {
        LinkContext link = Link();
        check.checks =
            CheckAgainstCarried(ReadInstrumentVersions(link), EmbeddedVersion(),
                                controls.Check_firmware.checked, controls.Check_fpga.checked,
                                controls.Check_planes.checked, controls.Check_mpeg4_apl.checked);
        // The toggle ends the link that is up: 0x0A, and the port closed.
        Boton_ConectarClick();
    }
    monitorPSerie.Close();
    connection_.connected = false;
    EnableMenus(true);
    // A program being closed stopped the wait: the meter was not asked, which proves nothing.
    if (!check.answered && state_.exitRequested)
        return;

    controls.Label_info3.caption =
        check.Verified() ? texts.PASO5_VERIFICADO : texts.PASO5_NO_VERIFICADO;
    controls.Label_info1.hint = controls.Label_info2.hint = controls.Label_info3.hint =
        Details(texts, check);
    versionCheck = check;
    seams.pump.PumpOnce();
    Events().VersionsChecked(check);
}

}  // namespace kell
