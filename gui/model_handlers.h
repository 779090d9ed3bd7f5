#pragma once

#include <vector>

#include "app/ventana_brisca.h"

// Handlers of the main window model that arrive with the port search, still being added to the
// model. The front end binds its controls to these wrappers: each calls the model's handler of
// the same name once the model has it and does nothing before that; kHas<name> tells whether it
// is there (tests of those controls skip until it is). A handler the model already has is
// called directly, not through here.
#define KELL_PENDING_HANDLERS(X) \
    X(Button_buscar_puertoClick) \
    X(Actualizar1Click)          \
    X(Auto1Click)                \
    X(MenuPuertoClick)           \
    X(BConfigurarPuertoClick)    \
    X(COM_Click)                 \
    X(Com_extendedChange)        \
    X(Com_extended_select)       \
    X(Mira_desconexion)

namespace kell::gui::pending {

#define KELL_PENDING_HANDLER(name)                                 \
    template <typename Window>                                     \
    inline constexpr bool kHas##name = requires(Window & window) { \
        window.name();                                             \
    };                                                             \
    template <typename Window>                                     \
    void name(Window& window) {                                    \
        if constexpr (kHas##name<Window>)                          \
            window.name();                                         \
    }
KELL_PENDING_HANDLERS(KELL_PENDING_HANDLER)
#undef KELL_PENDING_HANDLER

// The names of the handlers above that the model does not have yet.
inline std::vector<const char*> MissingHandlers() {
    std::vector<const char*> missing;
#define KELL_NOTE_MISSING(name)                 \
    if constexpr (!kHas##name<Tventana_brisca>) \
        missing.push_back(#name);
    KELL_PENDING_HANDLERS(KELL_NOTE_MISSING)
#undef KELL_NOTE_MISSING
    return missing;
}

}  // namespace kell::gui::pending
