#include "ui/control_text.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>

#include "ui/log_font.h"
#include "ui/qt_text.h"

namespace ui {

std::wstring GetControlText(const QWidget* control) {
    if (auto* label = qobject_cast<const QLabel*>(control)) return ToWide(label->text());
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) {
        return ToWide(button->text());
    }
    if (auto* line = qobject_cast<const QLineEdit*>(control)) return ToWide(line->text());
    if (auto* multi = qobject_cast<const QPlainTextEdit*>(control)) {
        QString text = multi->toPlainText();
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        return ToWide(text);
    }
    if (auto* combo = qobject_cast<const QComboBox*>(control)) return ToWide(combo->currentText());
    if (auto* group = qobject_cast<const QGroupBox*>(control)) return ToWide(group->title());
    if (control != nullptr && control->isWindow()) return ToWide(control->windowTitle());
    return {};
}

void SetControlText(QWidget* control, std::wstring_view text) {
    const QString q = ToQString(text);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(q);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(q);
    } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
        line->setText(q);
    } else if (auto* multi = qobject_cast<QPlainTextEdit*>(control)) {
        QString plain = q;
        plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        multi->setPlainText(plain);
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(q);
    } else if (control != nullptr && control->isWindow()) {
        control->setWindowTitle(q);
    }
}

int GetButtonCheck(const QWidget* control) {
    auto* button = qobject_cast<const QAbstractButton*>(control);
    return button != nullptr && button->isCheckable() && button->isChecked() ? 1 : 0;
}

void SetButtonCheck(QWidget* control, int checked) {
    auto* button = qobject_cast<QAbstractButton*>(control);
    if (button == nullptr || !button->isCheckable()) return;
    button->setChecked(checked != 0);
}

void SetControlTextColor(QWidget* control, COLORREF color) {
    if (control == nullptr) return;
    const QColor c = ColorFromColorRef(color);
    QPalette palette = control->palette();
    for (auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
        palette.setColor(QPalette::All, role, c);
    }
    control->setPalette(palette);
}

}  // namespace ui
