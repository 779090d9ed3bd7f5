#include "config/param_defecto.h"
#include "link/progress_weights.h"

namespace kell {

namespace {

constexpr int kStepMaximum = 7;

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
                                                weights::kZone * position / kStepMaximum);
        session.link.pump.PumpOnce();
    }
    session.overallPosition += weights::kZoneEnd;
    return ok;
}

}  // namespace kell
