// The automatic-reservation list: the rows of the conditions and of their hits, delete and its
// remembered row, the selection messages, the programme information of a hit, and the use
// without a window that the main window makes of it.
#include "timer_ui/auto_add_dlg.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/code_page.h"
#include "tests/timer_ui/auto_add_test_data.h"
#include "tests/timer_ui/private_home.h"
#include "tests/timer_ui/timer_ui_test_environment.h"
#include "timer_ui/auto_add_search_dlg.h"
#include "timer_ui/program_info_dlg.h"
#include "ui/list_view.h"

namespace timer_ui {
namespace {

using timer_ui_test::ClickButton;
using timer_ui_test::Condition;
using timer_ui_test::MessageBoxes;
using timer_ui_test::WhenModal;

std::vector<std::wstring> RowTexts(const ui::ListView& list, int row) {
    std::vector<std::wstring> texts;
    for (int column = 0; column < list.GetColumnCount(); ++column)
        texts.push_back(list.GetItemText(row, column));
    return texts;
}

class AutoAddDlgTest : public timer_ui_test::DialogTest {
  protected:
    void SetUp() override { timer_ui_test::FillStore(store); }

    // Creates the dialog on the store (hidden until Show) and returns its lists.
    void Open(CAutoAddDlg& dlg, bool withStore = true) {
        if (withStore) dlg.SetStore(&store);
        ASSERT_TRUE(dlg.Create());
        conditions = dlg.Item<ui::ListView>(CAutoAddDlg::IDC_CONDITIONS);
        results = dlg.Item<ui::ListView>(CAutoAddDlg::IDC_RESULTS);
        ASSERT_NE(conditions, nullptr);
        ASSERT_NE(results, nullptr);
    }
    void Show(CAutoAddDlg& dlg) {
        dlg.ShowWindow(ui::SW_SHOW);
        ASSERT_TRUE(timer_ui_test::WaitUntil([&] { return dlg.isVisible(); }));
    }

    timer_ui_test::PrivateHome home;
    broadcast::EpgStore store;
    ui::ListView* conditions = nullptr;
    ui::ListView* results = nullptr;
};

TEST_F(AutoAddDlgTest, WithoutAFileBothListsAreEmptyAndTheFileIsCreated) {
    CAutoAddDlg dlg(home.IniPath());
    Open(dlg);
    EXPECT_EQ(dlg.GetWindowText(), L"自動予約登録");
    EXPECT_EQ(conditions->GetItemCount(), 0);
    EXPECT_EQ(results->GetItemCount(), 0);
    EXPECT_TRUE(std::filesystem::exists(home.DataFile("AutoSearch.txt")));
    EXPECT_EQ(dlg.SelectedCondition(), -1);
    EXPECT_EQ(dlg.SelectedResult(), -1);

    const std::vector<std::pair<std::wstring, int>> expected = {
        {L"AND", 150},  {L"NOT", 150},   {L"番組名のみ", 70}, {L"ジャンル", 100}, {L"時間", 100},
        {L"曜日", 100}, {L"優先度", 70}, {L"追従", 50},       {L"放送局", 150}};
    ASSERT_EQ(conditions->GetColumnCount(), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(conditions->headerItem()->text(i).toStdWString(), expected[i].first);
        EXPECT_EQ(conditions->columnWidth(i), expected[i].second);
    }
    ASSERT_EQ(results->GetColumnCount(), 3);
    EXPECT_EQ(results->headerItem()->text(2).toStdWString(), L"タイトル");
    EXPECT_EQ(results->columnWidth(0), 170);
    EXPECT_EQ(results->columnWidth(1), 120);
    EXPECT_EQ(results->columnWidth(2), 300);
    EXPECT_TRUE(conditions->GetExtendedStyle() & ui::LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(results->GetExtendedStyle() & ui::LVS_EX_FULLROWSELECT);
    dlg.DestroyWindow();
}

TEST_F(AutoAddDlgTest, ConditionRowsShowEveryColumnAndOnlyTheTvServicesTheStoreKnows) {
    timer_core::AutoSearchCondition stars =
        Condition(L"星空", {timer_ui_test::SakuraKey(), timer_ui_test::RadioKey(), 0x12345678,
                            timer_ui_test::MinatoKey()});
    stars.notWords = L"再放送";
    stars.weekdays = {1, 0, 1, 0, 1, 0, 1};
    stars.startHour = 19;
    stars.startMinute = 5;
    stars.endHour = 23;
    stars.endMinute = 0;
    stars.priority = 4;
    timer_core::AutoSearchCondition news = Condition(L"ニュース");
    news.titleOnly = 1;
    news.genre = 0;
    news.follow = 0;
    news.serviceKeys = {0x12345678};
    timer_ui_test::SaveConditions({stars, news});

    CAutoAddDlg dlg(home.IniPath());
    Open(dlg);
    ASSERT_EQ(conditions->GetItemCount(), 2);
    EXPECT_EQ(RowTexts(*conditions, 0),
              (std::vector<std::wstring>{L"星空", L"再放送", L"×", L"全ジャンル", L"19:05～23:00",
                                         L"月水金日", L"4", L"する", L"さくらテレビ みなと総合 "}));
    EXPECT_EQ(RowTexts(*conditions, 1),
              (std::vector<std::wstring>{L"ニュース", L"", L"○", L"ニュース・報道", L"00:00～23:59",
                                         L"月火水木金土日", L"2", L"しない", L""}));
    EXPECT_EQ(conditions->GetItemData(1), 1);
    dlg.DestroyWindow();

    // Without a store the services column is empty and nothing is searched.
    CAutoAddDlg bare(home.IniPath());
    Open(bare, false);
    EXPECT_EQ(conditions->GetItemText(0, 8), L"");
    EXPECT_EQ(results->GetItemCount(), 0);
    bare.DestroyWindow();

    // A store with schedules but no service records names each known key by its number.
    store.ClearServices();
    CAutoAddDlg numbers(home.IniPath());
    Open(numbers);
    EXPECT_EQ(conditions->GetItemText(0, 8), L"0x7FE00401 0x7FE00480 0x7FE00400 ");
    numbers.DestroyWindow();
}

TEST_F(AutoAddDlgTest, HandEditedValuesOutOfRangeShowAsTheyAre) {
    home.Write(home.DataFile("AutoSearch.txt"),
               platform::WideToShiftJis(L"夜\t\t7\t14\t-1:99～24:00\t月月水x\t9\t2\t1 x 2\r\n"
                                        L"朝\t\t0\t-9\t6:0～8:5\t\t0\t1\t\r\n"));
    CAutoAddDlg dlg(home.IniPath());
    Open(dlg);
    ASSERT_EQ(conditions->GetItemCount(), 2);
    EXPECT_EQ(RowTexts(*conditions, 0),
              (std::vector<std::wstring>{L"夜", L"", L"×", L"14", L"-1:99～24:00", L"月水", L"9",
                                         L"しない", L""}));
    EXPECT_EQ(conditions->GetItemText(1, 3), L"-9");
    EXPECT_EQ(conditions->GetItemText(1, 4), L"06:00～08:05");
    EXPECT_EQ(conditions->GetItemText(1, 5), L"");
    EXPECT_EQ(results->GetItemCount(), 0);
    dlg.DestroyWindow();
}

TEST_F(AutoAddDlgTest, AnEventFoundTwiceIsListedOnceAndTheDateIsTheStartsOwn) {
    timer_core::AutoSearchCondition trip = Condition(L"旅");
    trip.priority = 5;
    timer_ui_test::SaveConditions({Condition(L"星空"), trip, Condition(L"ニュース")});
    CAutoAddDlg dlg(home.IniPath());
    Open(dlg);
    ASSERT_EQ(results->GetItemCount(), 3);
    EXPECT_EQ(RowTexts(*results, 0), (std::vector<std::wstring>{L"2026/12/09(水) 19:00～19:30",
                                                                L"みなと総合", L"星空ニュース"}));
    EXPECT_EQ(RowTexts(*results, 1), (std::vector<std::wstring>{L"2026/12/09(水) 23:30～00:30",
                                                                L"みなと総合", L"深夜の旅"}));
    EXPECT_EQ(results->GetItemText(2, 0), L"2026/12/10(木) 21:00～21:54");
    EXPECT_EQ(results->GetItemData(2), 2);
    ASSERT_EQ(dlg.Results().size(), 3u);
    EXPECT_EQ(dlg.Results().begin()->second.priority, 2);  // the first condition's
    dlg.DestroyWindow();
}

TEST_F(AutoAddDlgTest, DeleteUsesTheRememberedRowAndRefusesOnePastTheEnd) {
    timer_ui_test::SaveConditions({Condition(L"星空"), Condition(L"旅"), Condition(L"ドラマ")});
    MessageBoxes boxes;
    CAutoAddDlg dlg(home.IniPath());
    Open(dlg);
    Show(dlg);
    timer_ui_test::ClickRow(*conditions, 0);
    EXPECT_EQ(dlg.SelectedCondition(), 0);
    ClickButton(dlg, CAutoAddDlg::IDC_DELETE);
    ClickButton(dlg, CAutoAddDlg::IDC_DELETE);  // again, without a new click: now 旅
    ASSERT_EQ(conditions->GetItemCount(), 1);
    EXPECT_EQ(conditions->GetItemText(0, 0), L"ドラマ");
    ASSERT_EQ(results->GetItemCount(), 1);
    EXPECT_EQ(results->GetItemText(0, 2), L"星空ドラマ");
    EXPECT_EQ(dlg.SelectedCondition(), 0);

    timer_ui_test::ClickRow(*conditions, 0);
    ClickButton(dlg, CAutoAddDlg::IDC_DELETE);
    EXPECT_EQ(conditions->GetItemCount(), 0);
    EXPECT_EQ(results->GetItemCount(), 0);
    EXPECT_EQ(home.Read(home.DataFile("AutoSearch.txt")), "");
    EXPECT_TRUE(boxes.shown.empty());

    // The remembered row 0 is past the end of the now empty map.
    ClickButton(dlg, CAutoAddDlg::IDC_DELETE);
    ClickButton(dlg, CAutoAddDlg::IDC_CHANGE);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::wstring>{L"削除する条件を選択してください",
                                                        L"変更する条件を選択してください"}));
    EXPECT_EQ(boxes.shown[0].owner, dlg.GetSafeHwnd());
    dlg.DestroyWindow();
}

TEST_F(AutoAddDlgTest, AClickBelowTheRowsSelectsNothing) {
    timer_ui_test::SaveConditions({Condition(L"星空")});
    MessageBoxes boxes;
    CAutoAddDlg dlg(home.IniPath());
    Open(dlg);
    Show(dlg);
    timer_ui_test::ClickRow(*conditions, 0);
    timer_ui_test::ClickBelowRows(*conditions);
    EXPECT_EQ(dlg.SelectedCondition(), -1);
    ClickButton(dlg, CAutoAddDlg::IDC_CHANGE);
    ClickButton(dlg, CAutoAddDlg::IDC_DELETE);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::wstring>{L"変更する条件を選択してください",
                                                        L"削除する条件を選択してください"}));
    EXPECT_EQ(timer_ui_test::LoadConditions().size(), 1u);
    dlg.DestroyWindow();
}

TEST_F(AutoAddDlgTest, TheListsAreReloadedAfterTheEditorAddsOrChanges) {
    timer_ui_test::SaveConditions({Condition(L"旅")});
    CAutoAddDlg dlg(home.IniPath());
    Open(dlg);
    Show(dlg);
    WhenModal([](ui::Dialog& editor) {
        EXPECT_EQ(editor.GetWindowText(), L"自動予約登録条件");
        editor.SetDlgItemText(CAutoAddSearchDlg::IDC_AND, L"ドラマ");
        ClickButton(editor, CAutoAddSearchDlg::IDC_ADD_OR_CHANGE);
        editor.SendMessage(ui::WM_SYSCOMMAND, ui::SC_CLOSE, 0);
    });
    ClickButton(dlg, CAutoAddDlg::IDC_ADD);
    ASSERT_EQ(conditions->GetItemCount(), 2);
    EXPECT_EQ(conditions->GetItemText(1, 0), L"ドラマ");
    EXPECT_EQ(conditions->GetItemText(1, 8), L"みなと総合 さくらテレビ ");
    EXPECT_EQ(results->GetItemCount(), 2);

    // A double click on the first condition opens it for a change.
    WhenModal([](ui::Dialog& editor) {
        EXPECT_EQ(editor.GetDlgItemText(CAutoAddSearchDlg::IDC_AND), L"旅");
        editor.SetDlgItemText(CAutoAddSearchDlg::IDC_AND, L"星空");
        ClickButton(editor, CAutoAddSearchDlg::IDC_ADD_OR_CHANGE);
        editor.EndDialog(ui::IDCANCEL);
    });
    timer_ui_test::DoubleClickRow(*conditions, 0);
    EXPECT_EQ(dlg.SelectedCondition(), 0);
    ASSERT_EQ(conditions->GetItemCount(), 2);
    EXPECT_EQ(conditions->GetItemText(0, 0), L"星空");
    ASSERT_EQ(results->GetItemCount(), 2);
    EXPECT_EQ(results->GetItemText(0, 2), L"星空ニュース");
    dlg.DestroyWindow();
}

TEST_F(AutoAddDlgTest, DoubleClickOnAHitShowsItsProgrammeInformation) {
    timer_ui_test::SaveConditions({Condition(L"星空")});
    CAutoAddDlg dlg(home.IniPath());
    Open(dlg);
    Show(dlg);
    std::wstring shown;
    WhenModal([&](ui::Dialog& modal) {
        EXPECT_EQ(modal.GetWindowText(), L"番組情報");
        if (auto* info = dynamic_cast<CProgramInfoDlg*>(&modal)) shown = info->Text();
        modal.EndDialog(ui::IDCANCEL);
    });
    timer_ui_test::DoubleClickRow(*results, 1);
    EXPECT_EQ(dlg.SelectedResult(), 1);
    EXPECT_NE(shown.find(L"番組名 : 星空ドラマ"), std::wstring::npos) << shown;
    EXPECT_NE(shown.find(L"EventID : 0x0003"), std::wstring::npos);

    // Below the rows: nothing opens.
    timer_ui_test::ClickBelowRows(*results);
    dlg.OnNMDblclkResultList();
    EXPECT_EQ(dlg.SelectedResult(), -1);
    dlg.DestroyWindow();
}

TEST_F(AutoAddDlgTest, WithoutAWindowTheMainWindowSearchesEveryCondition) {
    timer_ui_test::SaveConditions({Condition(L"星空"), Condition(L"旅")});
    CAutoAddDlg conditionsOnly(home.IniPath());
    EXPECT_EQ(conditionsOnly.SearchAllConditions(), 0);  // no store yet
    conditionsOnly.SetStore(&store);
    conditionsOnly.File().Load();
    EXPECT_EQ(conditionsOnly.File().conditions.size(), 2u);
    EXPECT_EQ(conditionsOnly.SearchAllConditions(), 1);
    ASSERT_EQ(conditionsOnly.Results().size(), 3u);
    EXPECT_EQ(conditionsOnly.Results().begin()->second.title, L"星空ニュース");
    // A second run starts from an empty map.
    conditionsOnly.File().conditions.erase(0);
    EXPECT_EQ(conditionsOnly.SearchAllConditions(), 1);
    EXPECT_EQ(conditionsOnly.Results().size(), 1u);
}

}  // namespace
}  // namespace timer_ui
