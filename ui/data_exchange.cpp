#include "ui/data_exchange.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <cwchar>

#include "ui/combo_box.h"
#include "ui/control_text.h"
#include "ui/list_box.h"
#include "ui/list_view.h"
#include "ui/progress_bar.h"

namespace ui {
namespace {

bool ExchangeText(const Binding& binding, QWidget* control, bool save) {
    if (auto* const* text = std::get_if<std::wstring*>(&binding.member)) {
        if (save) {
            **text = GetControlText(control);
        } else {
            SetControlText(control, **text);
        }
        return true;
    }
    int* number = std::get<int*>(binding.member);
    if (save) {
        *number = static_cast<int>(std::wcstol(GetControlText(control).c_str(), nullptr, 10));
    } else {
        SetControlText(control, std::to_wstring(*number));
    }
    return true;
}

bool ExchangeRadio(QWidget* control, int& value, bool save) {
    auto* first = qobject_cast<QAbstractButton*>(control);
    QButtonGroup* group = first != nullptr ? first->group() : nullptr;
    if (group == nullptr) return false;
    const QList<QAbstractButton*> buttons = group->buttons();
    if (save) {
        value = group->checkedId();
        return true;
    }
    // An exclusive group cannot be left with nothing checked; -1 needs that.
    group->setExclusive(false);
    for (QAbstractButton* button : buttons)
        button->setChecked(group->id(button) == value);
    group->setExclusive(true);
    return true;
}

int SelectedListViewRow(const ListView* view) {
    const QModelIndex current = view->currentIndex();
    return current.isValid() && view->selectionModel()->isSelected(current) ? current.row() : -1;
}

bool ExchangeIndex(QWidget* control, int& value, bool save) {
    if (auto* combo = dynamic_cast<ComboBox*>(control)) {
        if (save) return value = combo->GetCurSel(), true;
        return combo->SetCurSel(value);
    }
    if (auto* list = dynamic_cast<ListBox*>(control)) {
        if (save) return value = list->GetCurSel(), true;
        return list->SetCurSel(value);
    }
    if (auto* view = dynamic_cast<ListView*>(control)) {
        if (save) return value = SelectedListViewRow(view), true;
        view->clearSelection();
        if (value >= 0 && value < view->GetItemCount()) {
            view->setCurrentItem(view->topLevelItem(value));
        }
        return true;
    }
    return false;
}

bool ExchangeNumber(const Binding& binding, QWidget* control, bool save) {
    auto* const* member = std::get_if<int*>(&binding.member);
    if (member == nullptr) return false;
    int& value = **member;
    switch (binding.kind) {
        case Ddx::Check:
            if (qobject_cast<QAbstractButton*>(control) == nullptr) return false;
            if (save) {
                value = GetButtonCheck(control);
            } else {
                SetButtonCheck(control, value);
            }
            return true;
        case Ddx::Radio:
            return ExchangeRadio(control, value, save);
        case Ddx::Index:
            return ExchangeIndex(control, value, save);
        case Ddx::Position: {
            auto* bar = dynamic_cast<ProgressBar*>(control);
            if (bar == nullptr) return false;
            if (save) {
                value = bar->GetPos();
            } else {
                bar->SetPos(value);
            }
            return true;
        }
        case Ddx::Text:
            break;
    }
    return false;
}

}  // namespace

bool ExchangeData(const Binding& binding, QWidget* control, bool save) {
    if (control == nullptr) return false;
    if (binding.kind == Ddx::Text) return ExchangeText(binding, control, save);
    return ExchangeNumber(binding, control, save);
}

}  // namespace ui
