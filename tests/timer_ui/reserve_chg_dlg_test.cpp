// The reservation change dialog: the combos show the caller's indexes, OK hands the fields back as
// typed, Cancel leaves the caller's fields alone.
#include "timer_ui/reserve_chg_dlg.h"

#include <gtest/gtest.h>

#include "tests/timer_ui/timer_ui_test_environment.h"
#include "ui/combo_box.h"

namespace timer_ui {
namespace {

using timer_ui_test::ClickButton;
using timer_ui_test::WhenModal;

std::vector<std::wstring> Texts(const ui::ComboBox* combo) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < combo->GetCount(); ++i)
        texts.push_back(combo->GetLBText(i));
    return texts;
}

void Fill(CReserveChgDlg& dlg) {
    dlg.startText = L"2026/12/09 21:00";
    dlg.titleText = L"港町ニュース９";
    dlg.priorityIndex = 2;
    dlg.followIndex = 1;
    dlg.minutesText = L"84";
}

class ReserveChgDlgTest : public timer_ui_test::DialogTest {};

TEST_F(ReserveChgDlgTest, TheCombosOfferTheirChoicesAndShowTheCallersIndexes) {
    CReserveChgDlg dlg;
    Fill(dlg);
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(dlg.GetWindowText(), L"変更");
    const auto* priority = dlg.Item<ui::ComboBox>(CReserveChgDlg::IDC_PRIORITY);
    const auto* follow = dlg.Item<ui::ComboBox>(CReserveChgDlg::IDC_FOLLOW);
    ASSERT_NE(priority, nullptr);
    ASSERT_NE(follow, nullptr);
    EXPECT_EQ(Texts(priority), (std::vector<std::wstring>{L"1", L"2", L"3", L"4", L"5"}));
    EXPECT_EQ(Texts(follow), (std::vector<std::wstring>{L"しない", L"する"}));
    EXPECT_EQ(dlg.GetDlgItemText(CReserveChgDlg::IDC_PRIORITY), L"3");
    EXPECT_EQ(dlg.GetDlgItemText(CReserveChgDlg::IDC_FOLLOW), L"する");
    EXPECT_EQ(dlg.GetDlgItemText(CReserveChgDlg::IDC_START), L"2026/12/09 21:00");
    EXPECT_EQ(dlg.GetDlgItemText(CReserveChgDlg::IDC_TITLE), L"港町ニュース９");
    EXPECT_EQ(dlg.GetDlgItemText(CReserveChgDlg::IDC_MINUTES), L"84");
    dlg.DestroyWindow();
}

TEST_F(ReserveChgDlgTest, OkReturnsTheFieldsAsTypedWithoutChecks) {
    CReserveChgDlg dlg;
    Fill(dlg);
    WhenModal([](ui::Dialog& modal) {
        modal.SetDlgItemText(CReserveChgDlg::IDC_TITLE, L"  港町ニュース９ 特別編 [再] ");
        modal.SetDlgItemText(CReserveChgDlg::IDC_MINUTES, L"九十");
        modal.Item<ui::ComboBox>(CReserveChgDlg::IDC_PRIORITY)->SetCurSel(4);
        modal.Item<ui::ComboBox>(CReserveChgDlg::IDC_FOLLOW)->SetCurSel(0);
        ClickButton(modal, ui::IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), ui::IDOK);
    EXPECT_EQ(dlg.titleText, L"  港町ニュース９ 特別編 [再] ");
    EXPECT_EQ(dlg.minutesText, L"九十");
    EXPECT_EQ(dlg.priorityIndex, 4);
    EXPECT_EQ(dlg.followIndex, 0);
    EXPECT_EQ(dlg.startText, L"2026/12/09 21:00");
}

TEST_F(ReserveChgDlgTest, CancelLeavesTheCallersFields) {
    CReserveChgDlg dlg;
    Fill(dlg);
    WhenModal([](ui::Dialog& modal) {
        modal.SetDlgItemText(CReserveChgDlg::IDC_TITLE, L"別の番組");
        modal.Item<ui::ComboBox>(CReserveChgDlg::IDC_FOLLOW)->SetCurSel(0);
        ClickButton(modal, ui::IDCANCEL);
    });
    EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(dlg.titleText, L"港町ニュース９");
    EXPECT_EQ(dlg.followIndex, 1);
}

// A priority a hand-edited Program.txt put out of range selects nothing; OK hands back -1 and the
// caller decides what that means.
TEST_F(ReserveChgDlgTest, AnIndexOutOfRangeSelectsNothingAndComesBackAsMinusOne) {
    CReserveChgDlg dlg;
    Fill(dlg);
    dlg.priorityIndex = 8;
    WhenModal([](ui::Dialog& modal) {
        EXPECT_EQ(modal.Item<ui::ComboBox>(CReserveChgDlg::IDC_PRIORITY)->GetCurSel(), -1);
        EXPECT_EQ(modal.GetDlgItemText(CReserveChgDlg::IDC_FOLLOW), L"する");
        ClickButton(modal, ui::IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), ui::IDOK);
    EXPECT_EQ(dlg.priorityIndex, -1);
    EXPECT_EQ(dlg.followIndex, 1);
}

}  // namespace
}  // namespace timer_ui
