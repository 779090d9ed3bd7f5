#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "config/config_record_areas.h"
#include "config/instrument_facts.h"
#include "link/session_context.h"
#include "platform/controls.h"

namespace kell {

// The access letter that opens the window's check boxes; the main window starts with 'N' and
// nothing in the program changes it, so in normal use the boxes stay disabled.
inline constexpr char kServiceAccessLetter = 'S';

inline constexpr const char* kParamDefectoCaption = "Parametros por defecto";

// A framed group of controls.
struct GroupBox : Control {
    std::string caption;
};

// The default-parameters window. It has two uses:
//  - the update sequence creates one per session, never shows it, builds the configuration
//    records into it and calls WriteZoneConfiguration in its zone step and SendClosingFrame,
//    WriteUserBandsPrimary and WriteUserBandsSecondary at its end;
//  - as a modal service window, its OK button runs the operations whose boxes are ticked.
// Its operations are spread over several files, one per concern:
//   param_defecto.cpp       construction, the OK and Cancel handlers
//   record_writes.cpp       the record builds and the parameter-store writes
//   zone_configuration.cpp  the zone step's writes with their progress and result codes
//   incidents.cpp           the incident clear
//   flash_erase.cpp         the sector erasures
//   send_boots.cpp          the boot images
class TFParam_defecto {
  public:
    TFParam_defecto(SessionContext session, InstrumentFacts facts);
    TFParam_defecto(const TFParam_defecto&) = delete;
    TFParam_defecto& operator=(const TFParam_defecto&) = delete;

    // ---- Window ----

    // Runs the ticked operations in their fixed order. sender is the control that raised the
    // click, null for a call from code: then the success message and the final disconnect are
    // left out.
    void Button_okClick(const Control* sender);
    // Closes the window and does nothing else.
    void Button_cancelClick(const Control* sender);

    // ---- Records, built from facts.records into the areas ----

    void BuildGeneralRecord(std::uint8_t zoneValue);
    void BuildListRecord();
    void BuildUserBandRecord(std::uint8_t zoneValue);
    // zone is the zone number.
    void BuildProfile(int profile, int zone);
    // The three records for the connected instrument's zone, as the zone step builds them.
    void BuildZoneRecords();

    // ---- Parameter store ----
    // Each returns true on success. A record area that holds no record yet is built for the
    // connected instrument first; without an identified instrument nothing is written and the
    // write fails.

    bool WriteFactoryConfiguration();
    bool WriteDefaultConfiguration();
    // Skipped with success on firmware older than 1.89.00003.
    bool WriteListPrimary();
    bool WriteListSecondary();
    bool WriteUserBandsPrimary();
    bool WriteUserBandsSecondary();
    // Builds the four profiles for the instrument's zone number and writes the table.
    bool WriteProfiles();
    // The zone step: profiles, factory and default configuration, the two list copies, each
    // only after the earlier ones succeeded; moves both bars and records result code 5, 6, 7
    // or 24 for the first failure (none for the secondary list copy).
    bool WriteZoneConfiguration();
    bool SendClosingFrame();
    bool ClearIncidents();

    // ---- Flash ----

    bool EraseSector(std::uint8_t sector);
    bool EraseTables();
    bool EraseMemories();
    bool EraseMacroMeasurements();
    bool EraseLogs();
    // The option block is the instrument maker's data and is not rewritten by this program:
    // the "Opciones" box has no effect beyond counting as flash work.
    bool WriteOptions() { return true; }
    // Sends the loader stages of a main-firmware transfer (unless the instrument is in loader
    // mode) through sendLoaderStages. Always true.
    bool SendBoots();

    // ---- What the window works with ----

    SessionContext session;
    InstrumentFacts facts;
    ConfigRecordAreas areas;
    // The record layout version as text; the records carry it as a number.
    std::string ParamFormatVersion;
    // Runs the two loader stages of a main-firmware transfer on the window's channel; its
    // result is not used. Every window starts with RunLoaderStages here, so the window works
    // as it is made; a test may put its own in its place.
    std::function<bool()> sendLoaderStages;

    // ---- Controls ----

    std::string Caption = kParamDefectoCaption;
    static constexpr int kWidth = 515;
    static constexpr int kHeight = 462;

    // Shown and kept, but read by no operation: neither choice reaches the instrument.
    RadioGroup RadioGroup_modelo;
    RadioGroup RadioGroup_idioma;

    GroupBox GroupBox_Grabar_en_Eeprom;
    CheckBox check_grabar_conf_fabrica;
    CheckBox check_grabar_conf_actual;
    CheckBox check_grabar_perfiles;
    GroupBox GroupBox_Borrar_en_Eeprom;
    CheckBox check_borrar_incidencias;
    GroupBox GroupBox_Borrar_en_Flash;
    CheckBox check_borrar_tablas;
    CheckBox check_borrar_memorias;
    CheckBox check_borrar_macromedidas;
    CheckBox check_borrar_logs;
    GroupBox GroupBox_Grabar_en_flash;
    CheckBox check_grabar_planes;
    CheckBox check_grabar_opciones;

    Panel Panel_estado;  // status line
    Panel Panel_accion;  // action line
    Button Button_ok;
    Button Button_cancel;

    // Set when the window closes; the front end ends its modal loop on it.
    bool closed = false;

  private:
    void BuildLayout();
    // The ten operation boxes, in the window's order.
    std::array<CheckBox*, 10> OperationBoxes();
    // Disconnects and connects again through the main window's handler, when connected.
    void Reconnect();
    void ToggleConnection();
    // Whether the area holds a record, building it for the connected instrument if it holds
    // none yet; false (and says so) when there is no identified instrument to build it for.
    bool HaveRecord(const RecordArea& area, const std::function<void()>& build);
    bool RefuseUnidentified();
    bool WriteGeneralCopy(std::uint16_t base);
    bool WriteListCopy(std::uint16_t base);
    bool WriteUserBandCopy(std::uint16_t base);
    struct EraseTexts {
        const char* start;
        const char* failure;
        const char* success;
    };
    bool EraseArea(std::span<const std::uint8_t> sectors, const EraseTexts& texts);
    // The loader stages as the main firmware step runs them, over this window's session.
    bool RunLoaderStages();
};

}  // namespace kell
