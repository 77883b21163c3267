#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>

#include "tests/support/mouse_input.h"
#include "tests/ui/table_dialog.h"
#include "tests/ui/ui_test_support.h"
#include "ui/list_box.h"
#include "ui/list_view.h"

namespace ui_test {
namespace {

using test_support::Click;
using test_support::SendMouse;

QPoint RowPoint(ui::ListView* view, int row) {
    return view->visualRect(view->model()->index(row, 1)).center();
}

std::vector<int> Codes(const TableDialog& dialog) {
    std::vector<int> codes;
    for (const ui::Notification& n : dialog.notifications)
        codes.push_back(n.code);
    return codes;
}

TEST(HandlersTest, ButtonClicksReachTheirHandlersThroughWmCommand) {
    TableDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.ShowWindow(ui::SW_SHOW);
    dialog.Item<QPushButton>(kButton)->click();
    dialog.Item<QCheckBox>(kCheck)->click();
    dialog.Item<QAbstractButton>(kRadio2)->click();
    // Setting a check from code is no click.
    dialog.CheckDlgButton(kCheck, 0);
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"button", "check", "radio2"}));
    EXPECT_EQ(dialog.IsDlgButtonChecked(kCheck), 0);
    const auto first = std::find_if(dialog.messages.begin(), dialog.messages.end(),
                                    [](const ui::MSG& m) { return m.message == ui::WM_COMMAND; });
    ASSERT_NE(first, dialog.messages.end());
    EXPECT_EQ(ui::LOWORD(first->wParam), kButton);
    EXPECT_EQ(ui::HIWORD(first->wParam), ui::BN_CLICKED);
    dialog.DestroyWindow();
}

TEST(HandlersTest, ListViewClicksDoubleClicksAndRowChecksArriveWithTheHotItem) {
    TableDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.ShowWindow(ui::SW_SHOW);
    auto* view = dialog.Item<ui::ListView>(kListView);
    QWidget* viewport = view->viewport();

    Click(viewport, RowPoint(view, 1));
    EXPECT_EQ(view->GetHotItem(), 1);
    ASSERT_EQ(Codes(dialog), std::vector<int>{ui::NM_CLICK});
    EXPECT_EQ(dialog.notifications.back().item, 1);
    EXPECT_EQ(dialog.notifications.back().id, kListView);

    // A click below the last row hits no row.
    Click(viewport, QPoint(20, viewport->height() - 3));
    EXPECT_EQ(view->GetHotItem(), -1);
    EXPECT_EQ(dialog.notifications.back().item, -1);

    dialog.notifications.clear();
    const QPoint row2 = RowPoint(view, 2);
    SendMouse(viewport, QEvent::MouseButtonPress, row2);
    SendMouse(viewport, QEvent::MouseButtonRelease, row2);
    SendMouse(viewport, QEvent::MouseButtonDblClick, row2);
    SendMouse(viewport, QEvent::MouseButtonRelease, row2);
    EXPECT_EQ(Codes(dialog), (std::vector<int>{ui::NM_CLICK, ui::NM_DBLCLK}));
    EXPECT_EQ(dialog.notifications.back().item, 2);

    // A row's check box changing, by code or by the user, is LVN_ITEMCHANGED with the states.
    dialog.notifications.clear();
    view->SetCheck(0, true);
    view->topLevelItem(2)->setCheckState(0, Qt::Checked);
    view->SetCheck(0, true);                                          // no change, no notification
    view->topLevelItem(2)->setText(1, QStringLiteral("ＢＳさくら"));  // not a check change
    ASSERT_EQ(Codes(dialog), (std::vector<int>{ui::LVN_ITEMCHANGED, ui::LVN_ITEMCHANGED}));
    EXPECT_EQ(dialog.notifications[0].item, 0);
    EXPECT_EQ(dialog.notifications[0].oldState, ui::INDEXTOSTATEIMAGEMASK(1));
    EXPECT_EQ(dialog.notifications[0].newState, ui::INDEXTOSTATEIMAGEMASK(2));
    EXPECT_EQ(dialog.notifications[1].item, 2);
    dialog.DestroyWindow();
}

TEST(HandlersTest, CheckListTellsOfTheUsersCheckChangesOnly) {
    TableDialog dialog;
    ASSERT_TRUE(dialog.Create());
    auto* list = dialog.Item<ui::ListBox>(kCheckList);
    list->SetCheck(0, 0);                         // from code: no notification
    list->item(1)->setCheckState(Qt::Unchecked);  // as the user's click does
    ASSERT_EQ(Codes(dialog), std::vector<int>{ui::CLBN_CHKCHANGE});
    EXPECT_EQ(dialog.notifications[0].id, kCheckList);
    EXPECT_EQ(list->GetCheck(1), 0);
    dialog.DestroyWindow();
}

}  // namespace
}  // namespace ui_test
