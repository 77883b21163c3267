#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "tests/ui/table_dialog.h"
#include "ui/combo_box.h"
#include "ui/list_box.h"
#include "ui/list_view.h"
#include "ui/progress_bar.h"

namespace ui_test {
namespace {

TEST(DataExchangeTest, MembersReachEveryControlKindAndComeBack) {
    TableDialog dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.initCount, 1);

    dialog.staticText = L"次の番組情報";
    dialog.buttonText = L"設定";
    dialog.check = 1;
    dialog.toggle = 1;
    dialog.radio = 2;
    dialog.edit = L"C:\\EPG";
    dialog.multiEdit = L"21:00～21:54\r\nニュース";
    dialog.listViewRow = 1;
    dialog.checkListRow = 2;
    dialog.listBoxRow = 0;
    dialog.comboRow = 1;
    dialog.progress = 15;
    ASSERT_TRUE(dialog.UpdateData(false));

    EXPECT_EQ(dialog.GetDlgItemText(kStatic), L"次の番組情報");
    EXPECT_EQ(dialog.GetDlgItemText(kButton), L"設定");
    EXPECT_EQ(dialog.IsDlgButtonChecked(kCheck), 1);
    EXPECT_EQ(dialog.IsDlgButtonChecked(kToggle), 1);
    EXPECT_EQ(dialog.IsDlgButtonChecked(kRadio3), 1);
    EXPECT_EQ(dialog.IsDlgButtonChecked(kRadio1), 0);
    EXPECT_EQ(dialog.Item<QLineEdit>(kEdit)->text(), QStringLiteral("C:\\EPG"));
    // Multi-line edits show lines and give CR LF back.
    EXPECT_EQ(dialog.Item<QPlainTextEdit>(kMultiEdit)->document()->blockCount(), 2);
    EXPECT_EQ(dialog.GetDlgItemText(kMultiEdit), L"21:00～21:54\r\nニュース");
    EXPECT_EQ(dialog.Item<ui::ComboBox>(kCombo)->GetLBText(1), L"する");
    EXPECT_EQ(dialog.Item<ui::ComboBox>(kCombo)->GetCurSel(), 1);
    EXPECT_EQ(dialog.Item<ui::ListBox>(kCheckList)->GetCurSel(), 2);
    EXPECT_EQ(dialog.Item<ui::ListBox>(kListBox)->GetText(0), L"backup.exe");  // sorted
    EXPECT_EQ(dialog.Item<ui::ProgressBar>(kProgress)->GetPos(), 15);

    // The user changes every control; UpdateData(true) brings it all back.
    dialog.SetDlgItemText(kStatic, L"状態");
    dialog.SetDlgItemText(kButton, L"開く");
    dialog.CheckDlgButton(kCheck, 0);
    dialog.CheckDlgButton(kToggle, 0);
    dialog.Item<QRadioButton>(kRadio1)->click();
    dialog.Item<QLineEdit>(kEdit)->setText(QStringLiteral("/srv/epg"));
    dialog.Item<QPlainTextEdit>(kMultiEdit)->setPlainText(QStringLiteral("一行目\n二行目\n"));
    dialog.Item<ui::ListView>(kListView)->setCurrentItem(
        dialog.Item<ui::ListView>(kListView)->topLevelItem(2));
    dialog.Item<ui::ListBox>(kCheckList)->SetCurSel(0);
    dialog.Item<ui::ListBox>(kListBox)->SetCurSel(-1);
    dialog.Item<ui::ComboBox>(kCombo)->SetCurSel(0);
    dialog.Item<ui::ProgressBar>(kProgress)->SetPos(7);
    ASSERT_TRUE(dialog.UpdateData(true));

    EXPECT_EQ(dialog.staticText, L"状態");
    EXPECT_EQ(dialog.buttonText, L"開く");
    EXPECT_EQ(dialog.check, 0);
    EXPECT_EQ(dialog.toggle, 0);
    EXPECT_EQ(dialog.radio, 0);
    EXPECT_EQ(dialog.edit, L"/srv/epg");
    EXPECT_EQ(dialog.multiEdit, L"一行目\r\n二行目\r\n");
    EXPECT_EQ(dialog.listViewRow, 2);
    EXPECT_EQ(dialog.checkListRow, 0);
    EXPECT_EQ(dialog.listBoxRow, -1);
    EXPECT_EQ(dialog.comboRow, 0);
    EXPECT_EQ(dialog.progress, 7);

    // -1 clears a radio group and the selections.
    dialog.radio = -1;
    dialog.comboRow = -1;
    dialog.listViewRow = -1;
    ASSERT_TRUE(dialog.UpdateData(false));
    for (int id : {kRadio1, kRadio2, kRadio3})
        EXPECT_EQ(dialog.IsDlgButtonChecked(id), 0);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.radio, -1);
    EXPECT_EQ(dialog.comboRow, -1);
    EXPECT_EQ(dialog.listViewRow, -1);
    dialog.DestroyWindow();
}

TEST(DataExchangeTest, RadioButtonsOfOneGroupExcludeEachOtherOnly) {
    TableDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.Item<QRadioButton>(kRadio2)->click();
    EXPECT_EQ(dialog.IsDlgButtonChecked(kRadio2), 1);
    dialog.Item<QRadioButton>(kRadio3)->click();
    EXPECT_EQ(dialog.IsDlgButtonChecked(kRadio2), 0);
    // The check box outside the group is untouched by the group.
    dialog.CheckDlgButton(kCheck, 1);
    dialog.Item<QRadioButton>(kRadio1)->click();
    EXPECT_EQ(dialog.IsDlgButtonChecked(kCheck), 1);
    dialog.DestroyWindow();
}

TEST(DataExchangeTest, ListsKeepItemDataChecksAndOrder) {
    TableDialog dialog;
    ASSERT_TRUE(dialog.Create());
    auto* view = dialog.Item<ui::ListView>(kListView);
    EXPECT_EQ(view->GetItemCount(), 3);
    EXPECT_EQ(view->GetColumnCount(), 3);
    EXPECT_EQ(view->columnWidth(0), 150);
    EXPECT_EQ(view->GetItemText(1, 2), L"ドラマ");
    EXPECT_EQ(view->GetItemData(2), 102);
    EXPECT_FALSE(view->GetCheck(0));
    EXPECT_TRUE(view->SetCheck(0, true));
    EXPECT_TRUE(view->GetCheck(0));
    EXPECT_EQ(view->InsertItem(1, L"挿入"), 1);
    EXPECT_EQ(view->GetItemData(3), 102);
    EXPECT_TRUE(view->GetCheck(0));
    EXPECT_FALSE(view->GetCheck(1));
    EXPECT_TRUE(view->DeleteAllItems());
    EXPECT_EQ(view->GetItemCount(), 0);
    EXPECT_EQ(view->GetItemData(0), 0);

    auto* checks = dialog.Item<ui::ListBox>(kCheckList);
    EXPECT_EQ(checks->GetItemData(1), 26);
    EXPECT_EQ(checks->GetCheck(1), 1);
    checks->SetCheck(1, 0);
    EXPECT_EQ(checks->GetCheck(1), 0);
    EXPECT_EQ(checks->DeleteString(0), 2);
    EXPECT_EQ(checks->GetText(0), L"26ch : みなと教育");

    auto* sorted = dialog.Item<ui::ListBox>(kListBox);
    EXPECT_EQ(sorted->GetText(0), L"backup.exe");
    EXPECT_EQ(sorted->GetText(2), L"viewer.exe");
    // Each row keeps the data it was given, wherever sorting put it.
    EXPECT_EQ(sorted->GetItemData(2), 1);
    EXPECT_EQ(sorted->GetItemData(0), 2);
    EXPECT_EQ(sorted->GetCheck(0), -1);

    auto* combo = dialog.Item<ui::ComboBox>(kCombo);
    EXPECT_EQ(combo->GetCurSel(), -1);  // adding texts selects nothing
    combo->SetItemData(1, -1);
    EXPECT_EQ(combo->GetItemData(1), -1);
    EXPECT_FALSE(combo->SetCurSel(5));
    dialog.DestroyWindow();
}

}  // namespace
}  // namespace ui_test
