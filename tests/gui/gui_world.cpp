#include "tests/gui/gui_world.h"

#include <QElapsedTimer>
#include <QTest>

#include "app/language_file.h"
#include "payloads/payloads.h"

namespace kell::gui::testing {

void GuiTest::SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "gui_tests";
    static char* argv[] = {name, nullptr};
    application_ = std::make_unique<QApplication>(argc, argv);
}

void GuiTest::TearDownTestSuite() {
    application_.reset();
}

std::string ShippedLanguageFile() {
    return LanguageFilePath(KELL_DATA_DIR);
}

GuiWorld::GuiWorld(const std::string& languageFile) {
    lines.Add(kPortPath, &line);
    ports.Set(1, kPortPath);
    model = std::make_unique<Tventana_brisca>(seams, workingDirectory.path().toStdString(),
                                              payloads::MainFirmwareHex(), languageFile);
    window = std::make_unique<MainWindow>(*model, pump);
    model->hooks.endProcess = [this](int code) {
        ++endProcessCalls;
        endProcessCode = code;
    };
    window->show();
    Settle();
}

GuiWorld::~GuiWorld() {
    window.reset();
    model.reset();
}

void GuiWorld::Settle(int ms) {
    QElapsedTimer elapsed;
    elapsed.start();
    do {
        QCoreApplication::processEvents();
        if (ms > 0)
            QTest::qWait(1);
    } while (elapsed.elapsed() < ms);
}

}  // namespace kell::gui::testing
