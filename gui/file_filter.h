#pragma once

#include <QString>
#include <string>

namespace kell::gui {

// A file dialog filter written as the windows' layouts write it ("description|patterns", pairs
// separated by '|', patterns separated by ';') in the form Qt's file dialogs take
// ("description (patterns)", filters separated by ";;", patterns by spaces).
QString QtFileFilter(const std::string& layoutFilter);

}  // namespace kell::gui
