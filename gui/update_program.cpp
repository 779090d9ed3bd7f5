#include "gui/update_program.h"

#include <QDir>

#include "app/language_file.h"
#include "gui/service_menu.h"
#include "payloads/payloads.h"

namespace kell::gui {

std::string ProgramLanguageFile(const ProgramOptions& options, const std::string& workingDirectory,
                                const std::string& programDirectory) {
    if (!options.languageDir.empty())
        return LanguageFilePath(options.languageDir);
    return ResolveLanguageFile(workingDirectory, programDirectory);
}

UpdateProgram::UpdateProgram(const ProgramOptions& options, const std::string& portPath,
                             const std::string& programDirectory)
    : ports_(systemPorts_, portPath), seams_{clock_, serial_, pump_, notifier_, ports_} {
    const std::string workingDirectory = QDir::currentPath().toStdString();
    model_ = std::make_unique<Tventana_brisca>(
        seams_, workingDirectory, payloads::MainFirmwareHex(),
        ProgramLanguageFile(options, workingDirectory, programDirectory));
    if (options.service)
        model_->SetOptionsMode(kServiceOptionsMode);
    window_ = std::make_unique<MainWindow>(*model_, pump_);
    if (options.service)
        AddServiceMenu(*window_, *model_);
    notifier_.SetParent(window_.get());
    notice_ = std::make_unique<UpdateNoticeDialog>(window_.get());
}

UpdateProgram::~UpdateProgram() {
    // The windows go before the model they show.
    notice_.reset();
    window_.reset();
    model_.reset();
}

}  // namespace kell::gui
