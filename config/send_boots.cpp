#include "config/param_defecto.h"

namespace kell {

bool TFParam_defecto::SendBoots() {
    session.stepStartTime = session.link.clock.Seconds();
    Panel_accion.caption = "Enviando boots ...";
    // In loader mode the loader already runs.
    if (!facts.loaderMode && sendLoaderStages)
        sendLoaderStages();
    return true;
}

}  // namespace kell
