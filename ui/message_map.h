// Command and notification handlers of a dialog, declared as a table of (control id, code) to
// member function in the dialog's constructor:
//
//   SetMessageMap<CAutoAddDlg>({
//       {1044, ui::BN_CLICKED, &CAutoAddDlg::OnBnClickedAdd},
//       {1043, ui::NM_CLICK, &CAutoAddDlg::OnNMClickConditionList},
//       {1027, ui::LVN_ITEMCHANGED, &CAutoAddDlg::OnRowCheckChanged},  // takes a Notification
//   });
//
// A handler takes no argument or the Notification. Button clicks and check-list check changes
// arrive as WM_COMMAND (id in wParam's low word, code in its high word); list-view clicks,
// double-clicks and row check changes as WM_NOTIFY, whose lParam points to the Notification
// for the length of the call.
#pragma once

#include <functional>
#include <variant>

#include "ui/win_constants.h"

namespace ui {

struct Notification {
    int id = 0;     // control id
    int code = 0;   // BN_CLICKED, CLBN_CHKCHANGE, NM_CLICK, NM_DBLCLK, LVN_ITEMCHANGED
    int item = -1;  // list row or list-box item concerned; -1 when none
    // LVN_ITEMCHANGED: state-image bits of the row's check box before and after
    // (INDEXTOSTATEIMAGEMASK(1) unchecked, INDEXTOSTATEIMAGEMASK(2) checked).
    UINT oldState = 0;
    UINT newState = 0;
};

template <class D>
struct Handler {
    int id;
    int code;
    std::variant<void (D::*)(), void (D::*)(const Notification&)> function;
};

// The type-erased form the dialog keeps.
struct HandlerEntry {
    int id;
    int code;
    std::function<void(const Notification&)> call;
};

}  // namespace ui
