#pragma once

#include <QPixmap>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls.h"

class QAbstractButton;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QWidget;

namespace kell::gui {

// Keeps widgets showing their control models. Each Bind registers how one widget follows its
// model; Refresh brings every bound widget up to date, touching only what changed and without
// letting the widgets raise their signals. The models must outlive the binder.
class Binder {
  public:
    void Bind(QWidget* widget, const Control& model);
    void Bind(QLabel* label, const Label& model);
    // The label and its hint, as its tool tip.
    void Bind(QLabel* label, const HintedLabel& model);
    void Bind(QAbstractButton* button, const Button& model);
    void Bind(QCheckBox* box, const CheckBox& model);
    void Bind(QAction* action, const MenuItem& model);
    void Bind(QMenu* menu, const MenuItem& model);
    void Bind(QProgressBar* bar, const ProgressBar& model);
    void Bind(QLineEdit* edit, const Edit& model);
    // A picture showing one of a list: pictureOf gives the picture of an index.
    void Bind(QLabel* picture, const Picture& model, std::function<QPixmap(int)> pictureOf);
    // A radio group: the box carries the caption, the group's buttons the items in order.
    void Bind(QGroupBox* box, QButtonGroup* buttons, const RadioGroup& model);
    void Bind(QComboBox* combo, const ComboBox& model);
    // Anything else that follows a model.
    void Add(std::function<void()> sync);

    void Refresh();

  private:
    std::vector<std::function<void()>> syncs_;
};

}  // namespace kell::gui
