#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "config/param_defecto.h"
#include "tests/support/scripted_instrument.h"
#include "tests/support/updater_rig.h"

namespace kell::testing {

// An instrument of zone 1 that identification has described.
inline InstrumentFacts IdentifiedFacts() {
    InstrumentFacts facts;
    facts.identified = true;
    facts.records.zoneCode = 0x41;  // zone 1, with the upper bits the general record carries
    facts.records.modelKnown = true;
    facts.records.plansType = 2;
    facts.records.plansStoredVersion = 122;
    facts.records.plansExpectedVersion = 122;
    return facts;
}

// The session on a virtual line to a ScriptedInstrument that the configuration operations use.
// The connect handler only toggles `connected` and notes how many frames the instrument had
// received by then.
struct ConfigRig : UpdaterRig<ScriptedInstrument> {
    explicit ConfigRig(std::int64_t startUs = kMidSecond) : UpdaterRig(startUs) {
        instrument.Speak(instrument.records);
        session.Boton_ConectarClick = [this] {
            toggles.push_back(instrument.frames.size());
            connected = !connected;
        };
    }

    std::unique_ptr<TFParam_defecto> Window(InstrumentFacts facts = IdentifiedFacts()) {
        auto window = std::make_unique<TFParam_defecto>(session, facts);
        window->sendLoaderStages = [this] {
            bootsSentAtFrame.push_back(instrument.frames.size());
            return true;
        };
        return window;
    }

    // Frames received by the instrument at each call of the connect handler.
    std::vector<std::size_t> toggles;
    // Frames received by the instrument when the loader stages were sent.
    std::vector<std::size_t> bootsSentAtFrame;
};

}  // namespace kell::testing
