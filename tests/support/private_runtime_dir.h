#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

namespace kell::testing {

// The program locks every port operation through a file per device in the user's runtime
// directory, which every copy on the machine shares. Tests that run programs or channels in
// real time keep their lock files, and whatever they leave behind, apart from other test
// processes: each gets a runtime directory of its own (inherited by the programs it starts);
// copies started by one test still share it.
inline void UseAPrivateRuntimeDirectory() {
    static QTemporaryDir directory;
    static const bool set = qputenv("XDG_RUNTIME_DIR", directory.path().toUtf8());
    (void)set;
}

}  // namespace kell::testing
