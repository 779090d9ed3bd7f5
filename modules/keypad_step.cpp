#include "modules/keypad_step.h"

#include "modules/keypad_programmer.h"

namespace kell {

bool RunKeypadStep(SessionContext& session, std::span<const std::uint8_t> image) {
    CTeclado keypad(session, image);
    if (!session.connected && session.Boton_ConectarClick)
        session.Boton_ConectarClick();
    if (!session.connected)
        return false;
    // The watch reads the line and would take the instrument's requests.
    session.Timer_desconexion.enabled = false;
    const bool programmed = keypad.Program() == 0;
    session.Barra_progreso.SetPosition(0);
    return programmed;
}

}  // namespace kell
