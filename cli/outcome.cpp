#include "cli/outcome.h"

#include "app/ventana_brisca.h"

namespace kell::cli {

Outcome DecideOutcome(int picture, int resultCode, bool eraseRefused, bool cancelled,
                      std::optional<bool> verified) {
    const std::string code = " (error code " + std::to_string(resultCode) + ")";
    if (picture == kPictureUpdated && verified != false)
        return {"updated", kExitUpdated, "The meter was updated."};
    if (picture == kPictureUpdated)
        return {"unverified", kExitFailed,
                "The update ended, but the meter does not report the new versions."};
    if (cancelled || eraseRefused)
        return {"cancelled", kExitFailed,
                "The update was cancelled" + (resultCode != 0 ? code : std::string()) + "."};
    switch (picture) {
        case kPictureNotFound:
            return {"not-found", kExitNoInstrument, "No meter answered."};
        case kPictureNotUpdated:
            return {"not-updated", kExitNotUpdated, "The meter was not updated."};
        case kPictureFailed:
            return {"failed", kExitFailed, "The update failed" + code + "."};
        default:
            return {"incomplete", kExitFailed, "The update did not run to its end."};
    }
}

}  // namespace kell::cli
