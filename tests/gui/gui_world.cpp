#include "tests/gui/gui_world.h"

#include <QElapsedTimer>
#include <QTest>

#include "app/language_file.h"
#include "payloads/payloads.h"
#include "sim/scenario_json.h"

namespace kell::testing {
using namespace kell::gui;

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
    model = std::make_unique<Tventana_brisca>(guiSeams, workingDirectory.path().toStdString(),
                                              payloads::MainFirmwareHex(), languageFile);
    window = std::make_unique<MainWindow>(*model, guiPump);
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
    serial.Close();
    line.Attach(nullptr);
}

sim::Instrument& GuiWorld::AttachMeter(const std::string& scenarioName) {
    sim::ScenarioLoad load =
        sim::LoadScenarioFile(std::string(KELL_SIM_SCENARIO_DIR) + "/" + scenarioName + ".json");
    EXPECT_TRUE(load.scenario.has_value()) << load.error;
    meter = std::make_unique<sim::Instrument>(clock, clock, line,
                                              load.scenario.value_or(sim::Scenario{}));
    line.Attach(meter.get());
    return *meter;
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

}  // namespace kell::testing
