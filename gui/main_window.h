#pragma once

#include <QMainWindow>
#include <functional>

#include "gui/binder.h"
#include "gui/run_handler.h"

class QTimer;

namespace kell {
class Tventana_brisca;
}

namespace kell::gui {

class GuiEventPump;

// Tventana_brisca on the screen: a fixed window whose controls carry the model's names (as
// object names) and follow its control models; their signals run its handlers. The pump is
// told to bring the controls up to date before it handles events, and each handler run from a
// control is followed by the same.
class MainWindow : public QMainWindow {
  public:
    static constexpr int kClientWidth = 609;
    static constexpr int kClientHeight = 455;

    MainWindow(Tventana_brisca& model, GuiEventPump& pump, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Brings every control up to date with its model.
    void Refresh();
    // Runs one of the model's handlers the way a control does: any exception it lets out is
    // reported and the window goes on; then the controls are brought up to date.
    void Run(const std::function<void()>& handler);

    // The area the layout's positions are measured from (below the menu bar).
    QWidget* Client() const { return client_; }
    GuiEventPump& Pump() const { return pump_; }

    // An entry of the service mode, added at the end of the Configurar menu; enabled while
    // that menu is.
    QAction* AddServiceAction(const QString& caption, std::function<void()> open);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void BuildMenus();
    void OnWatchTick();

    Tventana_brisca& model_;
    GuiEventPump& pump_;
    Binder binder_;
    RunHandler run_;
    QWidget* client_ = nullptr;
    QMenu* configure_ = nullptr;
    QAction* serviceSeparator_ = nullptr;
    QTimer* watch_ = nullptr;  // Timer_desconexion
    bool watching_ = false;    // a tick is being handled (it pumps, so another could start)
    int refreshId_ = 0;        // this window's refresh in the pump
};

}  // namespace kell::gui
