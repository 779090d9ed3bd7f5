#pragma once

#include <QJsonObject>
#include <optional>
#include <string>
#include <vector>

#include "app/version_check.h"
#include "cli/outcome.h"
#include "cli/session_record.h"

namespace kell {
class Tventana_brisca;
}

namespace kell::cli {

// The one JSON object of --json: the outcome and its exit status, the result code, the info
// lines at the end and every set shown before, the message boxes, the questions and their
// answers, the steps with their durations, the plan, the versions before (from the
// identification) and after (from the instrument itself, absent when it was not asked).
QJsonObject BuildReport(const Outcome& outcome, const Tventana_brisca& window,
                        const SessionRecord& record, const std::string& port,
                        const std::optional<VersionCheck>& after);

}  // namespace kell::cli
