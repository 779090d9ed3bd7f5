#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

namespace kell::testing {

// The program locks every port operation through a file in the user's runtime directory, which
// every copy on the machine shares: two copies take turns at each exchange. Tests that run
// programs or channels in real time, side by side under ctest, would then slow each other's
// sessions down past what a meter waits for. Each such test process gets a runtime directory
// of its own (inherited by the programs it starts); copies started by one test still share it.
inline void UseAPrivateRuntimeDirectory() {
    static QTemporaryDir directory;
    static const bool set = qputenv("XDG_RUNTIME_DIR", directory.path().toUtf8());
    (void)set;
}

}  // namespace kell::testing
