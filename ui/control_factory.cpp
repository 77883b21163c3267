#include "ui/control_factory.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/combo_box.h"
#include "ui/list_box.h"
#include "ui/list_view.h"
#include "ui/progress_bar.h"
#include "ui/qt_text.h"

namespace ui {
namespace {

QWidget* CreateButton(const ControlSpec& spec, QWidget* parent) {
    QAbstractButton* button = nullptr;
    if (spec.kind == ControlKind::CheckBox) {
        button = new QCheckBox(parent);
    } else if (spec.kind == ControlKind::RadioButton) {
        button = new QRadioButton(parent);
    } else {
        auto* push = new QPushButton(parent);
        // Enter is the dialog manager's business (Dialog::PreTranslateMessage), not the button's.
        push->setAutoDefault(false);
        push->setCheckable(spec.kind == ControlKind::ToggleButton);
        button = push;
    }
    button->setText(ToQString(spec.text));
    return button;
}

QWidget* CreateEdit(const ControlSpec& spec, QWidget* parent) {
    const bool readOnly = (spec.style & style::ReadOnly) != 0;
    if ((spec.style & style::MultiLine) == 0) {
        auto* edit = new QLineEdit(ToQString(spec.text), parent);
        edit->setReadOnly(readOnly);
        return edit;
    }
    auto* edit = new QPlainTextEdit(parent);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit->setTabChangesFocus(true);
    edit->setReadOnly(readOnly);
    edit->setVerticalScrollBarPolicy((spec.style & style::VScroll) != 0 ? Qt::ScrollBarAlwaysOn
                                                                        : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return edit;
}

QWidget* CreateWidget(const ControlSpec& spec, QWidget* parent) {
    switch (spec.kind) {
        case ControlKind::Static: {
            auto* label = new QLabel(ToQString(spec.text), parent);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case ControlKind::GroupBox:
            return new QGroupBox(ToQString(spec.text), parent);
        case ControlKind::PushButton:
        case ControlKind::CheckBox:
        case ControlKind::ToggleButton:
        case ControlKind::RadioButton:
            return CreateButton(spec, parent);
        case ControlKind::Edit:
            return CreateEdit(spec, parent);
        case ControlKind::ListView:
            return new ListView(parent);
        case ControlKind::ListBox:
        case ControlKind::CheckListBox:
            return new ListBox(parent, spec.kind == ControlKind::CheckListBox,
                               (spec.style & style::Sorted) != 0);
        case ControlKind::ComboBox:
            return new ComboBox(parent);
        case ControlKind::ProgressBar:
            return new ProgressBar(parent);
    }
    return new QWidget(parent);
}

}  // namespace

std::vector<CreatedControl> CreateControls(std::span<const ControlSpec> specs, QWidget* parent) {
    std::vector<CreatedControl> created;
    created.reserve(specs.size());
    QButtonGroup* radioGroup = nullptr;
    for (const ControlSpec& spec : specs) {
        QWidget* widget = CreateWidget(spec, parent);
        widget->setGeometry(spec.x, spec.y, spec.width, spec.height);
        widget->setProperty("ctrlId", spec.id);
        if ((spec.style & style::Hidden) != 0) widget->setVisible(false);
        if ((spec.style & style::Disabled) != 0) widget->setEnabled(false);
        if (spec.kind != ControlKind::RadioButton) {
            radioGroup = nullptr;
        } else {
            if (radioGroup == nullptr || (spec.style & style::Group) != 0) {
                radioGroup = new QButtonGroup(parent);
            }
            auto* radio = static_cast<QRadioButton*>(widget);
            radioGroup->addButton(radio, static_cast<int>(radioGroup->buttons().size()));
        }
        created.push_back({spec.id, widget});
    }
    return created;
}

}  // namespace ui
