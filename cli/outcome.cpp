#include "cli/outcome.h"

namespace kell::cli {

Outcome DecideOutcome(Ending ending, int resultCode, bool eraseRefused, bool cancelled,
                      std::optional<bool> verified, const ConsoleWords& words) {
    const std::string code = " (" + words.CLI_ERROR_CODE + " " + std::to_string(resultCode) + ")";
    if (ending == Ending::Updated && verified != false)
        return {"updated", kExitUpdated, words.CLI_UPDATED};
    if (ending == Ending::Updated)
        return {"unverified", kExitFailed, words.CLI_UNVERIFIED};
    if (cancelled || eraseRefused || ending == Ending::Cancelled || ending == Ending::EraseRefused)
        return {"cancelled", kExitFailed,
                words.CLI_CANCELLED + (resultCode != 0 ? code : std::string()) + "."};
    switch (ending) {
        case Ending::NotFound:
            return {"not-found", kExitNoInstrument, words.CLI_NOT_FOUND};
        case Ending::NotUpdated:
            return {"not-updated", kExitNotUpdated, words.CLI_NOT_UPDATED};
        case Ending::Failed:
            return {"failed", kExitFailed, words.CLI_FAILED + code + "."};
        default:
            return {"incomplete", kExitFailed, words.CLI_INCOMPLETE};
    }
}

}  // namespace kell::cli
