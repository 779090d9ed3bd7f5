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
    // The connection handlers are bound here once the port search provides them.
    return session;
}

}  // namespace kell
