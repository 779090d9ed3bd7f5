// Whether a connected instrument may and must be updated, and how an attempt ends when not.
#include <array>

#include "app/ventana_brisca.h"
#include "link/device_queries.h"

namespace kell {
namespace {

constexpr int kLowestLevel = 17;
constexpr std::uint16_t kOptionBlock = 0x6010;
constexpr std::size_t kOptionBlockLength = 32;
constexpr std::size_t kOptionByte = 26;
constexpr std::uint8_t kTwoFpgaConfigurationsBit = 0x20;

}  // namespace

void Tventana_brisca::CheckBeforeUpdate() {
    // The gate's queries own the line: a watch reading between their polls would take bytes of
    // their replies, and a reply byte 0x0A would end the link half-way through.
    controls.Timer_desconexion.enabled = false;
    LinkContext link = Link();
    const int level = ReadLevelAverage(link);
    identification_.identityAtConnect = ReadIdentity(link);

    if (level < kLowestLevel) {
        RefuseUpdate(Refusal::LowLevel, texts.P6_E2_L1, texts.P6_E2_L2, texts.P6_E2_L3);
    } else if (!CheckPeripheralStatus(link, identification_.firmwareAbove180)) {
        RefuseUpdate(Refusal::Peripherals, texts.P6_E3_L1, texts.P6_E3_L2, texts.P6_E3_L3);
    } else if (!CheckUpdateAllowed()) {
        if (!identification_.readingsAgreed)
            RefuseUpdate(Refusal::Unidentified, texts.PASO9_L1, texts.PASO9_L2, texts.PASO9_L3);
        else if (identification_.modelKnown)
            RefuseUpdate(Refusal::NothingToDo, texts.PASO7_L1, texts.PASO7_L2, texts.PASO7_L3);
        else
            RefuseUpdate(Refusal::UnknownModel, texts.PASO8_L1, texts.PASO8_L2, texts.PASO8_L3);
    } else if (!connection_.connected) {
        ShowNoInstrument();
    } else {
        StartUpdate();
    }
}

bool Tventana_brisca::CheckUpdateAllowed() {
    LinkContext link = Link();
    // The option decides which FPGA set and which general record the session writes.
    const auto options =
        Decided(ReadAgreedMemoryBytes<kOptionBlockLength>(link, 0x00, kOptionBlock));
    identification_.threeFpgaConfigurations =
        (options[kOptionByte] & kTwoFpgaConfigurationsBit) == 0;

    if (identification_.usaUnit || !identification_.modelKnown || !identification_.readingsAgreed)
        return false;
    for (const CheckBox* mark :
         {&controls.Check_firmware, &controls.Check_fpga, &controls.Check_teclado,
          &controls.Check_configuracion, &controls.Check_borrar, &controls.Check_planes,
          &controls.Check_mpeg4_apl}) {
        if (mark->checked)
            return true;
    }
    return false;
}

void Tventana_brisca::RefuseUpdate(Refusal why, const std::string& line1, const std::string& line2,
                                   const std::string& line3) {
    SetActionPicture(kPictureNotUpdated, false);
    SetInfoLines(line1, line2, line3);
    EndAttempt();
    Events().UpdateRefused(why);
}

void Tventana_brisca::EndAttempt() {
    // The toggle ends a link that is up; over a link already lost it would start a new
    // connection instead.
    if (connection_.connected)
        Boton_ConectarClick();
    monitorPSerie.Close();
    connection_.connected = false;
    controls.Barra_progreso.visible = false;
    controls.ProgressBar_general.visible = false;
    controls.Label_progreso_general.visible = false;
    ShowSearchButton(true);
    EnableMenus(true);
    state_.stage = 0;
}

}  // namespace kell
