#include "cli/instrument_rows.h"

#include <algorithm>

#include "cli/outcome.h"

namespace kell::cli {

std::string RowText(const InstrumentRow& row) {
    std::string text = row.port + "  " + (row.progress.model.empty() ? "-" : row.progress.model);
    if (row.finished)
        return text + "  " + row.outcome + " (code " + std::to_string(row.resultCode) + ")";
    if (row.progress.step == 0)
        return text + "  searching";
    text += "  step " + std::to_string(row.progress.step) + "/" +
            std::to_string(row.progress.steps) + " " + row.progress.component;
    if (row.progress.percent >= 0) {
        const int minutes = (row.progress.secondsLeft + 59) / 60;
        text += "  " + std::to_string(row.progress.percent) + " %  about " +
                std::to_string(minutes) + " min left";
    }
    return text;
}

int CombinedExitStatus(const std::vector<int>& statuses) {
    if (statuses.empty())
        return kExitNoInstrument;
    return *std::max_element(statuses.begin(), statuses.end());
}

}  // namespace kell::cli
