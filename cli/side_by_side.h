#pragma once

#include <ostream>
#include <string>

namespace kell::cli {

struct Options;

// Updates the instruments on several ports at once (--all, or --port given more than once):
// a copy of this program (`program`) per port runs that instrument's whole session on its own,
// with the same answers, and tells its progress in lines (progress_lines.h). The console shows
// a line per instrument on `screen`: redrawn in place when `live`, else a line per change at
// most once a second. With --json the reports of the copies make one array on standard output.
// Ctrl-C asks every copy to stop through its own end. Returns the combined exit status.
int RunSideBySide(const Options& options, const std::string& program, std::ostream& screen,
                  bool live);

}  // namespace kell::cli
