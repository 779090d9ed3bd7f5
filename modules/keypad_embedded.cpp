// The keypad programmer over the image built into the program. Kept apart so that code which
// brings its own image does not need the embedded data linked in.
#include "modules/keypad_programmer.h"
#include "modules/keypad_step.h"
#include "payloads/payloads.h"

namespace kell {

CTeclado::CTeclado(SessionContext& session) : CTeclado(session, payloads::KeypadHex()) {}

bool RunKeypadStep(SessionContext& session) {
    return RunKeypadStep(session, payloads::KeypadHex());
}

}  // namespace kell
