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
    Timer_desconexion.enabled = false;
    LinkContext link = Link();
    const int level = ReadLevelAverage(link);
    identityAtConnect = ReadIdentity(link);

    if (level < kLowestLevel) {
        RefuseUpdate(Refusal::LowLevel, texts.P6_E2_L1, texts.P6_E2_L2, texts.P6_E2_L3);
    } else if (!CheckPeripheralStatus(link, firmwareAbove180)) {
        RefuseUpdate(Refusal::Peripherals, texts.P6_E3_L1, texts.P6_E3_L2, texts.P6_E3_L3);
    } else if (!CheckUpdateAllowed()) {
        if (!readingsAgreed)
            RefuseUpdate(Refusal::Unidentified, texts.PASO9_L1, texts.PASO9_L2, texts.PASO9_L3);
        else if (modelKnown)
            RefuseUpdate(Refusal::NothingToDo, texts.PASO7_L1, texts.PASO7_L2, texts.PASO7_L3);
        else
            RefuseUpdate(Refusal::UnknownModel, texts.PASO8_L1, texts.PASO8_L2, texts.PASO8_L3);
    } else if (!connected) {
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
    threeFpgaConfigurations = (options[kOptionByte] & kTwoFpgaConfigurationsBit) == 0;

    if (usaUnit || !modelKnown || !readingsAgreed)
        return false;
    for (const CheckBox* mark : {&Check_firmware, &Check_fpga, &Check_teclado, &Check_configuracion,
                                 &Check_borrar, &Check_planes, &Check_mpeg4_apl}) {
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
    if (connected)
        Boton_ConectarClick();
    monitorPSerie.Close();
    connected = false;
    Barra_progreso.visible = false;
    ProgressBar_general.visible = false;
    Label_progreso_general.visible = false;
    ShowSearchButton(true);
    EnableMenus(true);
    stage = 0;
}

}  // namespace kell
