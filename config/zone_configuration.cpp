#include "config/param_defecto.h"

namespace kell {

namespace {

constexpr int kStepMaximum = 7;
// The zone step's share of the overall bar, spread over its five writes.
constexpr int kOverallShare = 50;
// What the step adds to the session's progress base when it ends. It is more than the step's
// weight in the bar's maximum (50); the bar stops at its maximum.
constexpr int kProgressBaseAdvance = 350;

// No result code is defined for a failed secondary list copy; the session's code stays.
constexpr int kNoCode = 0;

}  // namespace

bool TFParam_defecto::WriteZoneConfiguration() {
    struct ZoneWrite {
        bool (TFParam_defecto::*run)();
        int failureCode;
    };
    static constexpr ZoneWrite kWrites[] = {
        {&TFParam_defecto::WriteProfiles, 5},
        {&TFParam_defecto::WriteFactoryConfiguration, 6},
        {&TFParam_defecto::WriteDefaultConfiguration, 7},
        {&TFParam_defecto::WriteListPrimary, 24},
        {&TFParam_defecto::WriteListSecondary, kNoCode},
    };

    session.Barra_progreso.SetRange(0, kStepMaximum);
    session.Barra_progreso.SetPosition(0);
    session.link.pump.PumpOnce();

    bool ok = true;
    int position = 0;
    for (const ZoneWrite& write : kWrites) {
        if (ok) {
            ok = (this->*write.run)();
            if (!ok && write.failureCode != kNoCode)
                session.RecordResult(write.failureCode);
        }
        ++position;
        session.Barra_progreso.SetPosition(position);
        session.ProgressBar_general.SetPosition(session.overallPosition +
                                                kOverallShare * position / kStepMaximum);
        session.link.pump.PumpOnce();
    }
    session.overallPosition += kProgressBaseAdvance;
    return ok;
}

}  // namespace kell
