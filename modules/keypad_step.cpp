#include "modules/keypad_step.h"

#include "modules/keypad_programmer.h"

namespace kell {

void RunKeypadStep(SessionContext& session, std::span<const std::uint8_t> image) {
    CTeclado keypad(session, image);
    if (!session.connected && session.Boton_ConectarClick)
        session.Boton_ConectarClick();
    if (!session.connected)
        return;
    // The watch reads the line and would take the instrument's requests.
    session.Timer_desconexion.enabled = false;
    keypad.Program();  // a failure is carried by the result code
    session.Barra_progreso.SetPosition(0);
}

}  // namespace kell
