// Popup menus whose items carry command ids, declared as a table:
//
//   const ui::PopupMenu menu({{1001, L"スタンバイ"}, {1002, L"休止"}});
//   menu.TrackPopupMenu(ui::TPM_RIGHTBUTTON, pos.x(), pos.y(), GetSafeHwnd());
#pragma once

#include <QPoint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "ui/win_constants.h"

namespace ui {

struct MenuItem {
    UINT id = 0;  // 0 with an empty text: a separator
    std::wstring text;
};

struct PopupMenuRequest {
    HWND owner = 0;
    std::vector<MenuItem> items;
    int x = 0;
    int y = 0;
    UINT flags = 0;
};

class PopupMenu {
  public:
    PopupMenu() = default;
    PopupMenu(std::initializer_list<MenuItem> items) : items_(items) {}

    void AppendItem(UINT id, std::wstring_view text) { items_.push_back({id, std::wstring(text)}); }
    void AppendSeparator() { items_.push_back({}); }
    const std::vector<MenuItem>& Items() const { return items_; }

    // Shows the menu at (x, y) in screen coordinates until an item is chosen or the menu is
    // dismissed. With TPM_RETURNCMD returns the chosen id (0: none). Otherwise posts WM_COMMAND
    // with the chosen id to `owner` and returns nonzero when an item was chosen.
    int TrackPopupMenu(UINT flags, int x, int y, HWND owner) const;

  private:
    std::vector<MenuItem> items_;
};

// The mouse position on the screen.
QPoint GetCursorPos();

// Tests: choose the item without showing the menu (return its id, or 0 to dismiss).
void SetPopupMenuAnswer(std::function<UINT(const PopupMenuRequest&)> answer);

}  // namespace ui
