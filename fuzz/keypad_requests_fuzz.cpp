// The keypad procedure serving whatever request codes the instrument sends. The first byte
// places the start inside a second; the rest is the instrument's script
// (support/scripted_answers.h). The procedure must end once the instrument falls silent.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "fuzz/support/require.h"
#include "fuzz/support/virtual_instrument.h"
#include "link/port_lock.h"
#include "link/serial_channel.h"
#include "link/session_context.h"
#include "modules/keypad_programmer.h"
#include "modules/keypad_step.h"

using kell::fuzz::Require;

namespace {

// A silent instrument ends the procedure after a minute without requests; before that the
// PC may be in the middle of a table (up to 36 acknowledgements of 2 s) or of a flash block.
constexpr std::int64_t kSilenceBoundSeconds = 150;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kell;
    if (size < 1)
        return 0;
    fuzz::VirtualInstrument world({data + 1, size - 1},
                                  fuzz::VirtualInstrument::StartFromByte(data[0]));
    TMonitorPSerie channel(world.device, world.ports, world.clock,
                           std::make_shared<PortLock>("/nonexistent/kell-fuzz.lock"));
    channel.Configure(fuzz::kInstrumentPort, PortSettings{});

    bool stopSession = false;
    int resultCode = 0;
    int overallPosition = 0;
    std::int64_t stepStartTime = 0;
    bool connected = true;
    ProgressBar stepBar, overallBar;
    Timer watch;
    SessionContext session{
        .link = {channel, world.clock, world.pump, world.notifier, &stopSession},
        .stopSession = stopSession,
        .resultCode = resultCode,
        .overallPosition = overallPosition,
        .stepStartTime = stepStartTime,
        .connected = connected,
        .Barra_progreso = stepBar,
        .ProgressBar_general = overallBar,
        .Timer_desconexion = watch,
        .Boton_ConectarClick = {},
        .Reconnect = {},
        .SetPortBaud = {},
        .IsWow64 = {},
    };

    world.instrument.Start();
    world.instrument.ExpectDoneWithin(kSilenceBoundSeconds, "the keypad procedure");
    const bool programmed = RunKeypadStep(session);
    world.instrument.Done();

    Require(resultCode >= 0 && resultCode <= 2, "result code");
    Require(!programmed || resultCode == 0, "programmed with a failure recorded");
    Require(stepBar.position == 0, "step bar left set");
    return 0;
}
