#include "app/ventana_brisca.h"

namespace kell {

SessionContext Tventana_brisca::Session() {
    SessionContext session{Link(),
                           stopSession,
                           resultCode,
                           overallPosition,
                           stepStartTime,
                           connected,
                           Barra_progreso,
                           ProgressBar_general,
                           Timer_desconexion,
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
