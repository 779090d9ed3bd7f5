#include "app/ventana_brisca.h"

namespace kell {

SessionContext Tventana_brisca::Session() {
    SessionContext session{Link(),
                           state_.stopSession,
                           state_.resultCode,
                           state_.overallPosition,
                           state_.stepStartTime,
                           connection_.connected,
                           controls.Barra_progreso,
                           controls.ProgressBar_general,
                           controls.Timer_desconexion,
                           {},
                           {},
                           {},
                           {}};
    session.IsWow64 = [this] { return IsWow64(); };
    session.Boton_ConectarClick = [this] { Boton_ConectarClick(); };
    session.Reconnect = [this] { Reconnect(); };
    session.SetPortBaud = [this](int speed) { return SetPortBaud(speed); };
    return session;
}

}  // namespace kell
