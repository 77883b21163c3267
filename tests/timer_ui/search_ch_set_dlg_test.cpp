// The search-channel dialog edits the caller's rows in place: written back when the window goes,
// however it is closed; nothing without rows.
#include "timer_ui/search_ch_set_dlg.h"

#include <gtest/gtest.h>

#include "tests/timer_ui/timer_ui_test_environment.h"
#include "ui/list_box.h"

namespace timer_ui {
namespace {

using timer_ui_test::ClickButton;
using timer_ui_test::WhenModal;

int Key(std::uint16_t tsid, std::uint16_t sid) {
    return static_cast<int>((static_cast<std::uint32_t>(tsid) << 16) | sid);
}

std::vector<SearchChannelRow> SampleRows() {
    return {
        {Key(0x7F10, 0x0400), L"みなと総合１", 1},
        {Key(0x7F20, 0x0408), L"さくらテレビ", 0},
        {Key(0x4010, 101), L"ＢＳみなと１", 1},
        // A stream id with its top bit set makes a negative key; it must come back unchanged.
        {Key(0x8001, 0x0010), L"0x0010", 0},
    };
}

class SearchChSetDlgTest : public timer_ui_test::DialogTest {};

TEST_F(SearchChSetDlgTest, TheListShowsTheRowsAndOkWithoutChangesKeepsThem) {
    std::vector<SearchChannelRow> rows = SampleRows();
    CSearchChSetDlg dlg;
    dlg.SetRows(&rows);
    WhenModal([](ui::Dialog& modal) {
        EXPECT_EQ(modal.GetWindowText(), L"検索対象チャンネル");
        const auto* list = modal.Item<ui::ListBox>(CSearchChSetDlg::IDC_CHANNELS);
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->GetCount(), 4);
        EXPECT_EQ(list->GetText(1), L"さくらテレビ");
        EXPECT_EQ(list->GetCheck(0), 1);
        EXPECT_EQ(list->GetCheck(1), 0);
        EXPECT_EQ(static_cast<int>(list->GetItemData(3)), Key(0x8001, 0x0010));
        ClickButton(modal, ui::IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), ui::IDOK);
    EXPECT_EQ(rows, SampleRows());
}

TEST_F(SearchChSetDlgTest, EditsSurviveCancelAndTheCloseBox) {
    std::vector<SearchChannelRow> rows = SampleRows();
    {
        CSearchChSetDlg dlg;
        dlg.SetRows(&rows);
        WhenModal([](ui::Dialog& modal) {
            ClickButton(modal, CSearchChSetDlg::IDC_UNCHECK_ALL);
            ClickButton(modal, ui::IDCANCEL);
        });
        EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
    }
    ASSERT_EQ(rows.size(), 4u);
    for (const SearchChannelRow& row : rows)
        EXPECT_EQ(row.checked, 0) << row.name;
    EXPECT_EQ(rows[2].name, L"ＢＳみなと１");

    CSearchChSetDlg dlg;
    dlg.SetRows(&rows);
    WhenModal([](ui::Dialog& modal) {
        ClickButton(modal, CSearchChSetDlg::IDC_CHECK_ALL);
        modal.Item<ui::ListBox>(CSearchChSetDlg::IDC_CHANNELS)->SetCheck(1, 0);
        modal.SendMessage(ui::WM_SYSCOMMAND, ui::SC_CLOSE, 0);
    });
    EXPECT_EQ(dlg.DoModal(), ui::IDCANCEL);
    std::vector<SearchChannelRow> expected = SampleRows();
    for (SearchChannelRow& row : expected)
        row.checked = 1;
    expected[1].checked = 0;
    EXPECT_EQ(rows, expected);
}

TEST_F(SearchChSetDlgTest, WithoutRowsTheListIsEmptyAndNothingIsWritten) {
    CSearchChSetDlg dlg;
    WhenModal([](ui::Dialog& modal) {
        EXPECT_EQ(modal.Item<ui::ListBox>(CSearchChSetDlg::IDC_CHANNELS)->GetCount(), 0);
        ClickButton(modal, CSearchChSetDlg::IDC_CHECK_ALL);
        ClickButton(modal, ui::IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), ui::IDOK);

    std::vector<SearchChannelRow> none;
    CSearchChSetDlg empty;
    empty.SetRows(&none);
    WhenModal([](ui::Dialog& modal) { ClickButton(modal, ui::IDCANCEL); });
    EXPECT_EQ(empty.DoModal(), ui::IDCANCEL);
    EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace timer_ui
