#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kell {

// The menu keys of the language file with their built-in captions, in the order they are read.
#define KELL_MENU_KEYS(X)     \
    X(MENU1, "Archivo")       \
    X(MENU1_L1, "Actualizar") \
    X(MENU1_L2, "Salir")      \
    X(MENU2, "Configurar")    \
    X(MENU2_L1, "Auto")       \
    X(MENU2_L2, "Manual")     \
    X(MENU3, "Ayuda")         \
    X(MENU3_L1, "Ayuda")      \
    X(MENU3_L2, "Acerca de")

// The text keys, in the order they are read. Each is empty unless the language file gives it.
// P6_E8 (a port that exists but may not be opened), P6_E9 (a port another program holds) and
// the texts of the version check after an update (PASO5_COMPROBANDO to VERSION_NO_ACTUAL) are
// this program's own additions.
// clang-format off
#define KELL_TEXT_KEYS(X)                                    \
    X(PASO1_L1) X(PASO1_L2) X(PASO1_L3)                      \
    X(PASO2_L1) X(PASO2_L2) X(PASO2_L3)                      \
    X(PASO3_L1) X(PASO3_L2) X(PASO3_L3)                      \
    X(PASO4_L1) X(PASO4_L2) X(PASO4_L3)                      \
    X(PASO4_ERROR5_L1) X(PASO4_ERROR5_L2) X(PASO4_ERROR5_L3) \
    X(PASO5_L1) X(PASO5_L2) X(PASO5_L3)                      \
    X(PASO6_L1) X(PASO6_L2) X(PASO6_L3)                      \
    X(P6_E1_L1) X(P6_E1_L2) X(P6_E1_L3)                      \
    X(P6_E2_L1) X(P6_E2_L2) X(P6_E2_L3)                      \
    X(P6_E3_L1) X(P6_E3_L2) X(P6_E3_L3)                      \
    X(P6_E4_L1) X(P6_E4_L2) X(P6_E4_L3)                      \
    X(P6_E5_L1) X(P6_E5_L2) X(P6_E5_L3)                      \
    X(P6_E6_L1) X(P6_E6_L2) X(P6_E6_L3)                      \
    X(P6_E7_L1) X(P6_E7_L2) X(P6_E7_L3)                      \
    X(PASO7_L1) X(PASO7_L2) X(PASO7_L3)                      \
    X(PASO8_L1) X(PASO8_L2) X(PASO8_L3)                      \
    X(PASO9_L1) X(PASO9_L2) X(PASO9_L3)                      \
    X(AVISOMEM1) X(AVISOMEM2) X(AVISOMEM3)                   \
    X(AVISO_HEAD)                                            \
    X(AVISOPLAN1) X(AVISOPLAN2) X(AVISOPLAN3)                \
    X(AVISOACT) X(AVISOSI) X(AVISONO)                        \
    X(PROGRESO_GENERAL) X(TIEMPO_TOTAL1) X(TIEMPO_TOTAL2)    \
    X(P6_E8_L1) X(P6_E8_L2) X(P6_E8_L3)                      \
    X(P6_E9_L1) X(P6_E9_L2) X(P6_E9_L3)                      \
    X(PASO5_COMPROBANDO)                                     \
    X(PASO5_VERIFICADO) X(PASO5_NO_VERIFICADO)               \
    X(VERSIONES_CABECERA) X(VERSIONES_SIN_RESPUESTA)         \
    X(VERSION_FIRMWARE) X(VERSION_FPGA) X(VERSION_PLANES)    \
    X(VERSION_MODULO) X(VERSION_PROGRAMA) X(VERSION_NO_ACTUAL)
// clang-format on

// The captions of the nine menu items, one field per key, starting at their built-in values.
struct MenuCaptions {
#define KELL_MENU_FIELD(key, caption) std::string key = caption;
    KELL_MENU_KEYS(KELL_MENU_FIELD)
#undef KELL_MENU_FIELD
};

// The texts the main window shows, one field per key of the language file.
struct LocalisedTexts {
#define KELL_TEXT_FIELD(key) std::string key;
    KELL_TEXT_KEYS(KELL_TEXT_FIELD)
#undef KELL_TEXT_FIELD

    // The field of a key by its name (as written in the file, any case); null for no such key.
    std::string* Find(std::string_view key);
    const std::string* Find(std::string_view key) const;
};

struct MenuKey {
    const char* name;
    std::string MenuCaptions::*field;
    const char* defaultCaption;
};

struct TextKey {
    const char* name;
    std::string LocalisedTexts::*field;
};

inline constexpr MenuKey kMenuKeys[] = {
#define KELL_MENU_ENTRY(key, caption) {#key, &MenuCaptions::key, caption},
    KELL_MENU_KEYS(KELL_MENU_ENTRY)
#undef KELL_MENU_ENTRY
};

inline constexpr TextKey kTextKeys[] = {
#define KELL_TEXT_ENTRY(key) {#key, &LocalisedTexts::key},
    KELL_TEXT_KEYS(KELL_TEXT_ENTRY)
#undef KELL_TEXT_ENTRY
};

inline constexpr std::size_t kMenuKeyCount = std::size(kMenuKeys);
inline constexpr std::size_t kTextKeyCount = std::size(kTextKeys);
static_assert(kMenuKeyCount == 9);
static_assert(kTextKeyCount == 61 + 6 + 11 + 3,
              "the 61 texts of the window, P6_E8, P6_E9, the version check's and PASO9's");

}  // namespace kell
