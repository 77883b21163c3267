#include "ui/popup_menu.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

#include "ui/answer_hook.h"
#include "ui/dialog.h"
#include "ui/log_font.h"
#include "ui/qt_text.h"

namespace ui {
namespace {

AnswerHook<PopupMenuRequest, UINT>& Hook() {
    static AnswerHook<PopupMenuRequest, UINT> hook;
    return hook;
}

UINT ShowMenu(const std::vector<MenuItem>& items, int x, int y, HWND owner) {
    QMenu menu(Dialog::FromHandle(owner));
    menu.setFont(DefaultDialogFont());
    for (const MenuItem& item : items) {
        if (item.id == 0 && item.text.empty()) {
            menu.addSeparator();
        } else {
            menu.addAction(ToQString(item.text))->setData(item.id);
        }
    }
    const QAction* chosen = menu.exec(QPoint(x, y));
    return chosen != nullptr ? chosen->data().toUInt() : 0;
}

}  // namespace

int PopupMenu::TrackPopupMenu(UINT flags, int x, int y, HWND owner) const {
    const UINT chosen = Hook().Active() ? Hook().Answer({owner, items_, x, y, flags})
                                        : ShowMenu(items_, x, y, owner);
    if ((flags & TPM_RETURNCMD) != 0) return static_cast<int>(chosen);
    if (chosen == 0) return 0;
    platform::PostMessageW(owner, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
    return 1;
}

QPoint GetCursorPos() {
    return QCursor::pos();
}

void SetPopupMenuAnswer(std::function<UINT(const PopupMenuRequest&)> answer) {
    Hook().Set(std::move(answer));
}

}  // namespace ui
