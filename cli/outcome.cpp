#include "cli/outcome.h"

namespace kell::cli {

Outcome DecideOutcome(Ending ending, int resultCode, bool eraseRefused, bool cancelled,
                      std::optional<bool> verified) {
    const std::string code = " (error code " + std::to_string(resultCode) + ")";
    if (ending == Ending::Updated && verified != false)
        return {"updated", kExitUpdated, "The meter was updated."};
    if (ending == Ending::Updated)
        return {"unverified", kExitFailed,
                "The update ended, but the meter does not report the new versions."};
    if (cancelled || eraseRefused || ending == Ending::Cancelled || ending == Ending::EraseRefused)
        return {"cancelled", kExitFailed,
                "The update was cancelled" + (resultCode != 0 ? code : std::string()) + "."};
    switch (ending) {
        case Ending::NotFound:
            return {"not-found", kExitNoInstrument, "No meter answered."};
        case Ending::NotUpdated:
            return {"not-updated", kExitNotUpdated, "The meter was not updated."};
        case Ending::Failed:
            return {"failed", kExitFailed, "The update failed" + code + "."};
        default:
            return {"incomplete", kExitFailed, "The update did not run to its end."};
    }
}

}  // namespace kell::cli
