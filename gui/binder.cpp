#include "gui/binder.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QWidget>
#include <memory>

namespace kell::gui {
namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

void SyncControl(QWidget* widget, const Control& model) {
    // isHidden and WA_ForceDisabled are the widget's own settings, whatever its parent shows.
    if (widget->isHidden() == model.visible)
        widget->setVisible(model.visible);
    if (widget->testAttribute(Qt::WA_ForceDisabled) == model.enabled)
        widget->setEnabled(model.enabled);
}

void SyncAction(QAction* action, const MenuItem& model) {
    const QString text = Text(model.caption);
    if (action->text() != text)
        action->setText(text);
    if (action->isVisible() != model.visible)
        action->setVisible(model.visible);
    if (action->isEnabled() != model.enabled)
        action->setEnabled(model.enabled);
    if (action->isCheckable() && action->isChecked() != model.checked) {
        const QSignalBlocker quiet(action);
        action->setChecked(model.checked);
    }
}

}  // namespace

void Binder::Bind(QWidget* widget, const Control& model) {
    Add([widget, &model] { SyncControl(widget, model); });
}

void Binder::Bind(QLabel* label, const Label& model) {
    // Texts come from a file: they are shown as they are, never as markup.
    label->setTextFormat(Qt::PlainText);
    Add([label, &model] {
        const QString text = Text(model.caption);
        if (label->text() != text)
            label->setText(text);
        SyncControl(label, model);
    });
}

void Binder::Bind(QLabel* label, const HintedLabel& model) {
    Bind(label, static_cast<const Label&>(model));
    Add([label, &model] {
        const QString hint = Text(model.hint);
        if (label->toolTip() != hint)
            label->setToolTip(hint);
    });
}

void Binder::Bind(QAbstractButton* button, const Button& model) {
    Add([button, &model] {
        const QString text = Text(model.caption);
        if (button->text() != text)
            button->setText(text);
        SyncControl(button, model);
    });
}

void Binder::Bind(QCheckBox* box, const CheckBox& model) {
    Add([box, &model] {
        const QString text = Text(model.caption);
        if (box->text() != text)
            box->setText(text);
        if (box->isChecked() != model.checked) {
            const QSignalBlocker quiet(box);
            box->setChecked(model.checked);
        }
        SyncControl(box, model);
    });
}

void Binder::Bind(QAction* action, const MenuItem& model) {
    Add([action, &model] { SyncAction(action, model); });
}

void Binder::Bind(QMenu* menu, const MenuItem& model) {
    Add([menu, &model] {
        const QString text = Text(model.caption);
        if (menu->title() != text)
            menu->setTitle(text);
        SyncAction(menu->menuAction(), model);
    });
}

void Binder::Bind(QProgressBar* bar, const ProgressBar& model) {
    Add([bar, &model] {
        if (bar->minimum() != model.minimum || bar->maximum() != model.maximum)
            bar->setRange(model.minimum, model.maximum);
        if (bar->value() != model.position)
            bar->setValue(model.position);
        SyncControl(bar, model);
    });
}

void Binder::Bind(QLineEdit* edit, const Edit& model) {
    Add([edit, &model] {
        const QString text = Text(model.text);
        if (edit->text() != text) {
            const QSignalBlocker quiet(edit);
            edit->setText(text);
        }
        SyncControl(edit, model);
    });
}

void Binder::Bind(QLabel* picture, const Picture& model, std::function<QPixmap(int)> pictureOf) {
    auto shown = std::make_shared<int>(-1);
    Add([picture, &model, pictureOf = std::move(pictureOf), shown] {
        if (*shown != model.index || picture->pixmap().isNull()) {
            picture->setPixmap(pictureOf(model.index));
            *shown = model.index;
        }
        SyncControl(picture, model);
    });
}

void Binder::Bind(QGroupBox* box, QButtonGroup* buttons, const RadioGroup& model) {
    Add([box, buttons, &model] {
        const QString title = Text(model.caption);
        if (box->title() != title)
            box->setTitle(title);
        const QList<QAbstractButton*> items = buttons->buttons();
        for (int i = 0; i < items.size(); ++i) {
            const QString caption = i < static_cast<int>(model.items.size())
                                        ? Text(model.items[static_cast<std::size_t>(i)])
                                        : QString();
            if (items[i]->text() != caption)
                items[i]->setText(caption);
        }
        QAbstractButton* wanted = buttons->button(model.itemIndex);
        if (buttons->checkedButton() != wanted) {
            // An exclusive group cannot be left with nothing checked; the model can.
            buttons->setExclusive(false);
            for (QAbstractButton* item : items) {
                const QSignalBlocker quiet(item);
                item->setChecked(item == wanted);
            }
            buttons->setExclusive(true);
        }
        SyncControl(box, model);
    });
}

void Binder::Bind(QComboBox* combo, const ComboBox& model) {
    auto listed = std::make_shared<std::vector<std::string>>();
    auto initial = std::make_shared<bool>(true);
    Add([combo, &model, listed, initial] {
        const QSignalBlocker quiet(combo);
        if (*initial || *listed != model.items) {
            combo->clear();
            for (const std::string& item : model.items)
                combo->addItem(Text(item));
            *listed = model.items;
            *initial = false;
        }
        const int index = model.itemIndex < combo->count() ? model.itemIndex : -1;
        if (combo->currentIndex() != index)
            combo->setCurrentIndex(index);
        // An entry wider than the box shows whole in its hint.
        if (combo->toolTip() != combo->currentText())
            combo->setToolTip(combo->currentText());
        const QString placeholder = index < 0 ? Text(model.text) : QString();
        if (combo->placeholderText() != placeholder)
            combo->setPlaceholderText(placeholder);
        SyncControl(combo, model);
    });
}

void Binder::Add(std::function<void()> sync) {
    syncs_.push_back(std::move(sync));
}

void Binder::Refresh() {
    for (const auto& sync : syncs_)
        sync();
}

}  // namespace kell::gui
