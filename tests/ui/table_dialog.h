// The dialog most tests use: one control of every kind from a table, every kind bound to a
// member, handlers for clicks and list notifications, and a record of every message its
// WindowProc saw.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "ui/dialog.h"

namespace ui_test {

enum TableId {
    kStatic = 1001,
    kButton,
    kCheck,
    kToggle,
    kRadio1,
    kRadio2,
    kRadio3,
    kEdit,
    kMultiEdit,
    kListView,
    kCheckList,
    kListBox,
    kCombo,
    kProgress,
    kGroup,
};

std::span<const ui::ControlSpec> TableControls();
inline constexpr int kTableWidth = 365;
inline constexpr int kTableHeight = 440;

class TableDialog : public ui::Dialog {
  public:
    TableDialog();

    // Members bound to the controls.
    std::wstring staticText = L"現在の番組情報";
    std::wstring buttonText = L"EPGデータ取得開始";
    int check = 0;
    int toggle = 0;
    int radio = -1;
    std::wstring edit;
    std::wstring multiEdit;
    int listViewRow = -1;
    int checkListRow = -1;
    int listBoxRow = -1;
    int comboRow = -1;
    int progress = 0;

    // What reached the dialog.
    std::vector<ui::MSG> messages;
    int messagesOffGuiThread = 0;
    std::vector<std::string> events;
    std::vector<ui::Notification> notifications;
    std::vector<std::wstring> dropped;
    int initCount = 0;

    // Filled by OnInitDialog: three list-view rows, three check-list items, combo texts.
    void FillLists();

    // kEchoMessage answers wParam * 2.
    static constexpr ui::UINT kEchoMessage = ui::WM_USER + 2;
    ui::LRESULT WindowProc(ui::UINT message, ui::WPARAM wParam, ui::LPARAM lParam) override;

  protected:
    ui::BOOL OnInitDialog() override;
    void OnTimer(ui::UINT_PTR id) override;
    void OnDropFiles(const std::vector<std::wstring>& paths) override;

  private:
    void OnButton() { events.push_back("button"); }
    void OnCheck() { events.push_back("check"); }
    void OnRadio2() { events.push_back("radio2"); }
    void OnListNotify(const ui::Notification& n) { notifications.push_back(n); }
    void OnCheckListChange(const ui::Notification& n) { notifications.push_back(n); }
};

}  // namespace ui_test
