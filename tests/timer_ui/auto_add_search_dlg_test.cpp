// The condition editor: its controls in each mode, what add and change write to AutoSearch.txt,
// the search with Enter and Escape, the reserve button of the main window's search, and the
// round trip through the search-channel dialog.
#include "timer_ui/auto_add_search_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "platform/code_page.h"
#include "platform/paths.h"
#include "tests/timer_ui/auto_add_test_data.h"
#include "tests/timer_ui/private_home.h"
#include "tests/timer_ui/timer_ui_test_environment.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_core/reservations/reserve_list.h"
#include "timer_ui/program_info_dlg.h"
#include "timer_ui/search_ch_set_dlg.h"
#include "timer_ui/search_channels.h"
#include "ui/combo_box.h"
#include "ui/list_box.h"
#include "ui/list_view.h"

namespace timer_ui {
namespace {

using timer_ui_test::ClickButton;
using timer_ui_test::Condition;
using timer_ui_test::MessageBoxes;
using timer_ui_test::WaitUntil;
using timer_ui_test::WhenModal;
using Dlg = CAutoAddSearchDlg;

const ui::ControlSpec kSinkControls[] = {
    {ui::IDOK, ui::ControlKind::PushButton, L"OK", 10, 10, 80, 24}};
const ui::DialogTemplate kSinkTemplate{L"Orvandel", 100, 44, 0, kSinkControls};

// Stands in for the main window: keeps the messages posted to it.
class MessageSink : public ui::Dialog {
  public:
    MessageSink() : ui::Dialog(kSinkTemplate) {}
    ui::LRESULT WindowProc(ui::UINT message, ui::WPARAM wParam, ui::LPARAM lParam) override {
        if (message == timer_core::WM_RELOAD_RESERVATIONS) reloads.push_back({wParam, lParam});
        return ui::Dialog::WindowProc(message, wParam, lParam);
    }
    std::vector<std::pair<ui::WPARAM, ui::LPARAM>> reloads;
};

void PressKey(QWidget* target, Qt::Key key) {
    target->setFocus();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

std::wstring ComboText(const ui::Dialog& dlg, int id) {
    const auto* combo = dlg.Item<ui::ComboBox>(id);
    return combo->GetCurSel() < 0 ? L"" : combo->GetLBText(combo->GetCurSel());
}

std::vector<std::wstring> ChannelNames(const ui::Dialog& dlg) {
    std::vector<std::wstring> names;
    const auto* list = dlg.Item<ui::ListBox>(Dlg::IDC_CHANNELS);
    for (int i = 0; i < list->GetCount(); ++i)
        names.push_back(list->GetText(i));
    return names;
}

std::vector<int> ChannelChecks(const ui::Dialog& dlg) {
    std::vector<int> checks;
    const auto* list = dlg.Item<ui::ListBox>(Dlg::IDC_CHANNELS);
    for (int i = 0; i < list->GetCount(); ++i)
        checks.push_back(list->GetCheck(i));
    return checks;
}

class AutoAddSearchDlgTest : public timer_ui_test::DialogTest {
  protected:
    void SetUp() override { timer_ui_test::FillStore(store); }

    void Open(Dlg& dlg, int mode, int conditionIndex = 0, ui::HWND owner = 0) {
        dlg.SetMode(mode);
        dlg.SetStore(&store);
        dlg.SetConditionIndex(conditionIndex);
        ASSERT_TRUE(dlg.Create(owner));
        dlg.ShowWindow(ui::SW_SHOW);
        ASSERT_TRUE(WaitUntil([&] { return dlg.isVisible(); }));
    }
    void SetText(Dlg& dlg, int id, const std::wstring& text) { dlg.SetDlgItemText(id, text); }
    ui::ListView& Results(Dlg& dlg) { return *dlg.Item<ui::ListView>(Dlg::IDC_RESULTS); }

    timer_ui_test::PrivateHome home;
    broadcast::EpgStore store;
};

TEST_F(AutoAddSearchDlgTest, AddModeShowsTheDefaultsAndTheTvChannelsWithTheirDefaults) {
    WriteChannelDefault(home.IniPath(), timer_ui_test::SakuraKey(), 0);
    Dlg dlg(home.IniPath());
    Open(dlg, Dlg::kModeAdd);
    EXPECT_EQ(dlg.GetWindowText(), L"自動予約登録条件");
    EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_ADD_OR_CHANGE), L"この条件で追加 or 変更する");
    EXPECT_FALSE(dlg.GetDlgItem(Dlg::IDC_RESERVE)->isVisible());
    const auto* genre = dlg.Item<ui::ComboBox>(Dlg::IDC_GENRE);
    ASSERT_EQ(genre->GetCount(), 13);
    EXPECT_EQ(genre->GetCurSel(), 0);
    EXPECT_EQ(genre->GetLBText(0), L"全ジャンル");
    EXPECT_EQ(genre->GetItemData(0), -1);
    EXPECT_EQ(genre->GetLBText(12), L"福祉");
    EXPECT_EQ(genre->GetItemData(12), 11);
    EXPECT_EQ(dlg.Item<ui::ComboBox>(Dlg::IDC_START_HOUR)->GetCount(), 24);
    EXPECT_EQ(dlg.Item<ui::ComboBox>(Dlg::IDC_END_MINUTE)->GetCount(), 60);
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_START_HOUR), L"0");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_START_MINUTE), L"0");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_END_HOUR), L"23");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_END_MINUTE), L"59");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_FOLLOW), L"する");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_PRIORITY), L"2");
    for (int id = Dlg::IDC_MONDAY; id <= Dlg::IDC_SUNDAY; ++id)
        EXPECT_EQ(dlg.IsDlgButtonChecked(id), 1) << id;
    EXPECT_EQ(dlg.IsDlgButtonChecked(Dlg::IDC_TITLE_ONLY), 0);
    // The radio service is no channel to search.
    EXPECT_EQ(ChannelNames(dlg), (std::vector<std::wstring>{L"みなと総合", L"さくらテレビ"}));
    EXPECT_EQ(ChannelChecks(dlg), (std::vector<int>{1, 0}));
    EXPECT_EQ(dlg.Item<ui::ListBox>(Dlg::IDC_CHANNELS)->GetItemData(1), timer_ui_test::SakuraKey());
    dlg.DestroyWindow();

    // Without service records the schedules are the channels, named by their service_id.
    store.ClearServices();
    Dlg numbers(home.IniPath());
    Open(numbers, Dlg::kModeAdd);
    EXPECT_EQ(ChannelNames(numbers), (std::vector<std::wstring>{L"0x0400", L"0x0401", L"0x0480"}));
    numbers.DestroyWindow();
}

TEST_F(AutoAddSearchDlgTest, SearchModeOffersTheReserveButtonAndPriorityThree) {
    Dlg dlg(home.IniPath());
    Open(dlg, Dlg::kModeSearch);
    EXPECT_EQ(dlg.GetWindowText(), L"検索");
    EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_ADD_OR_CHANGE), L"この条件で自動予約登録に追加する");
    EXPECT_TRUE(dlg.GetDlgItem(Dlg::IDC_RESERVE)->isVisible());
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_PRIORITY), L"3");
    dlg.DestroyWindow();
}

TEST_F(AutoAddSearchDlgTest, TwoPressesInAddModeAddTwoLinesAndKeywordsLoseTheirTabs) {
    MessageBoxes boxes;
    Dlg dlg(home.IniPath());
    Open(dlg, Dlg::kModeAdd);
    ClickButton(dlg, Dlg::IDC_ADD_OR_CHANGE);  // nothing to search for
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::wstring>{L"検索文字を入力、またはジャンルを選択してください"});
    EXPECT_TRUE(timer_ui_test::LoadConditions().empty());

    SetText(dlg, Dlg::IDC_AND, L"星空\tドラマ");
    dlg.Item<ui::ComboBox>(Dlg::IDC_END_HOUR)->SetCurSel(22);
    dlg.CheckDlgButton(Dlg::IDC_MONDAY + 5, 0);  // Saturday
    ClickButton(dlg, Dlg::IDC_ADD_OR_CHANGE);
    ClickButton(dlg, Dlg::IDC_ADD_OR_CHANGE);
    EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_AND), L"星空 ドラマ");
    const std::string line =
        platform::WideToShiftJis(L"星空 ドラマ\t\t0\t-1\t00:00～22:59\t月火水木金日\t2\t1\t" +
                                 std::to_wstring(timer_ui_test::MinatoKey()) + L" " +
                                 std::to_wstring(timer_ui_test::SakuraKey()) + L" \r\n");
    EXPECT_EQ(home.Read(home.DataFile("AutoSearch.txt")), line + line);
    EXPECT_EQ(boxes.shown.size(), 1u);
    dlg.DestroyWindow();
}

TEST_F(AutoAddSearchDlgTest, ChangeModeShowsTheConditionAndDropsAChannelUncheckedByDefault) {
    timer_core::AutoSearchCondition drama = Condition(L"星空");
    drama.notWords = L"再放送";
    drama.titleOnly = 1;
    drama.genre = 3;
    drama.startHour = 19;
    drama.startMinute = 30;
    drama.endHour = 22;
    drama.endMinute = 45;
    drama.weekdays = {0, 0, 1, 1, 0, 0, 0};
    drama.priority = 4;
    drama.follow = 0;
    timer_ui_test::SaveConditions({Condition(L"旅"), drama});
    WriteChannelDefault(home.IniPath(), timer_ui_test::SakuraKey(), 0);

    Dlg dlg(home.IniPath());
    Open(dlg, Dlg::kModeChange, 1);
    EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_AND), L"星空");
    EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_NOT), L"再放送");
    EXPECT_EQ(dlg.IsDlgButtonChecked(Dlg::IDC_TITLE_ONLY), 1);
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_GENRE), L"ドラマ");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_START_HOUR), L"19");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_START_MINUTE), L"30");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_END_HOUR), L"22");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_END_MINUTE), L"45");
    EXPECT_EQ(dlg.IsDlgButtonChecked(Dlg::IDC_MONDAY), 0);
    EXPECT_EQ(dlg.IsDlgButtonChecked(Dlg::IDC_MONDAY + 2), 1);
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_FOLLOW), L"しない");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_PRIORITY), L"4");
    // さくらテレビ is in the condition but not searched by default.
    EXPECT_EQ(ChannelChecks(dlg), (std::vector<int>{1, 0}));

    ClickButton(dlg, Dlg::IDC_ADD_OR_CHANGE);
    const std::vector<timer_core::AutoSearchCondition> saved = timer_ui_test::LoadConditions();
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0].andWords, L"旅");
    drama.serviceKeys = {timer_ui_test::MinatoKey()};
    EXPECT_EQ(saved[1].serviceKeys, drama.serviceKeys);
    EXPECT_EQ(saved[1].genre, 3);
    EXPECT_EQ(saved[1].weekdays, drama.weekdays);
    EXPECT_EQ(saved[1].endMinute, 45);
    EXPECT_EQ(saved[1].priority, 4);
    EXPECT_EQ(saved[1].follow, 0);
    dlg.DestroyWindow();
}

TEST_F(AutoAddSearchDlgTest, ChangeModeShowsHandEditedValuesAsTheNearestTheControlsOffer) {
    home.Write(home.DataFile("AutoSearch.txt"),
               platform::WideToShiftJis(L"夜\t\t0\t14\t-1:99～24:00\t月\t9\t2\t\r\n"));
    Dlg dlg(home.IniPath());
    Open(dlg, Dlg::kModeChange, 0);
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_GENRE), L"全ジャンル");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_START_HOUR), L"0");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_START_MINUTE), L"59");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_END_HOUR), L"23");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_END_MINUTE), L"0");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_PRIORITY), L"5");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_FOLLOW), L"する");
    // No channel of the store is in the condition.
    EXPECT_EQ(ChannelChecks(dlg), (std::vector<int>{0, 0}));
    dlg.DestroyWindow();
}

TEST_F(AutoAddSearchDlgTest, ChangeOfAConditionThatIsGoneWritesNothing) {
    timer_ui_test::SaveConditions({Condition(L"旅")});
    const std::string before = home.Read(home.DataFile("AutoSearch.txt"));
    MessageBoxes boxes;
    Dlg dlg(home.IniPath());
    Open(dlg, Dlg::kModeChange, 1);
    EXPECT_EQ(dlg.GetDlgItemText(Dlg::IDC_AND), L"");
    EXPECT_EQ(ComboText(dlg, Dlg::IDC_PRIORITY), L"2");
    SetText(dlg, Dlg::IDC_AND, L"星空");
    ClickButton(dlg, Dlg::IDC_ADD_OR_CHANGE);
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"変更する条件を選択してください"});
    EXPECT_EQ(home.Read(home.DataFile("AutoSearch.txt")), before);
    // The search still works.
    ClickButton(dlg, Dlg::IDC_SEARCH);
    EXPECT_EQ(Results(dlg).GetItemCount(), 2);
    dlg.DestroyWindow();
}

TEST_F(AutoAddSearchDlgTest, EnterAndEscapeRunTheSearchAndTheDialogStaysOpen) {
    MessageBoxes boxes;
    Dlg dlg(home.IniPath());
    Open(dlg, Dlg::kModeAdd);
    auto* edit = dlg.Item<QLineEdit>(Dlg::IDC_AND);
    ASSERT_NE(edit, nullptr);
    SetText(dlg, Dlg::IDC_AND, L"星空");
    PressKey(edit, Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(Results(dlg).GetItemCount(), 2);
    EXPECT_EQ(Results(dlg).GetItemText(0, 0), L"2026/12/09(水) 19:00～19:30");
    EXPECT_EQ(Results(dlg).GetItemText(1, 2), L"星空ドラマ");

    SetText(dlg, Dlg::IDC_AND, L"旅");
    PressKey(edit, Qt::Key_Escape);
    EXPECT_TRUE(dlg.isVisible());
    ASSERT_EQ(Results(dlg).GetItemCount(), 1);
    EXPECT_EQ(Results(dlg).GetItemText(0, 0), L"2026/12/09(水) 23:30～00:30");
    EXPECT_TRUE(boxes.shown.empty());
    dlg.DestroyWindow();
}

TEST_F(AutoAddSearchDlgTest, SearchByGenreOnlyAndWithoutChannels) {
    MessageBoxes boxes;
    Dlg dlg(home.IniPath());
    Open(dlg, Dlg::kModeAdd);
    ClickButton(dlg, Dlg::IDC_SEARCH);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::wstring>{L"検索文字を入力、またはジャンルを選択してください"});

    dlg.Item<ui::ComboBox>(Dlg::IDC_GENRE)->SetCurSel(9);  // ドキュメンタリー・教養
    ClickButton(dlg, Dlg::IDC_SEARCH);
    ASSERT_EQ(Results(dlg).GetItemCount(), 1);
    EXPECT_EQ(Results(dlg).GetItemText(0, 2), L"深夜の旅");

    ClickButton(dlg, Dlg::IDC_UNCHECK_ALL);
    EXPECT_EQ(ChannelChecks(dlg), (std::vector<int>{0, 0}));
    ClickButton(dlg, Dlg::IDC_SEARCH);
    EXPECT_EQ(Results(dlg).GetItemCount(), 0);
    EXPECT_EQ(boxes.shown.size(), 1u);
    ClickButton(dlg, Dlg::IDC_CHECK_ALL);
    EXPECT_EQ(ChannelChecks(dlg), (std::vector<int>{1, 1}));
    dlg.DestroyWindow();

    Dlg noStore(home.IniPath());
    noStore.SetMode(Dlg::kModeSearch);
    ASSERT_TRUE(noStore.Create());
    noStore.SetDlgItemText(Dlg::IDC_AND, L"星空");
    ClickButton(noStore, Dlg::IDC_SEARCH);
    EXPECT_EQ(boxes.Texts().back(), L"EPGデータの読み込みに失敗しているため使用できません");
    EXPECT_EQ(noStore.Item<ui::ListBox>(Dlg::IDC_CHANNELS)->GetCount(), 0);
    noStore.DestroyWindow();
}

TEST_F(AutoAddSearchDlgTest, ReserveAddsTheHitOnceSavesProgramTxtAndAsksForAReload) {
    home.Write(home.DataFile("ChSet.txt"), platform::WideToShiftJis(L"みなと総合=27\r\n"));
    timer_core::TimerManager manager(home.IniPath());
    MessageSink mainWindow;
    ASSERT_TRUE(mainWindow.Create());
    MessageBoxes boxes;
    Dlg dlg(home.IniPath());
    dlg.SetManager(&manager);
    Open(dlg, Dlg::kModeSearch, 0, mainWindow.GetSafeHwnd());

    ClickButton(dlg, Dlg::IDC_RESERVE);
    SetText(dlg, Dlg::IDC_AND, L"星空");
    ClickButton(dlg, Dlg::IDC_SEARCH);
    ASSERT_EQ(Results(dlg).GetItemCount(), 2);
    timer_ui_test::ClickRow(Results(dlg), 0);
    ClickButton(dlg, Dlg::IDC_RESERVE);
    ASSERT_TRUE(WaitUntil([&] { return mainWindow.reloads.size() == 1; }));
    EXPECT_EQ(mainWindow.reloads[0], std::make_pair(ui::WPARAM{0}, ui::LPARAM{0}));
    const std::string program = home.Read(home.DataFile("Program.txt"));
    timer_core::ReserveList saved;
    ASSERT_EQ(
        saved.LoadProgramFile(platform::FromNativePath(home.DataFile("Program.txt").string())), 1);
    ASSERT_EQ(saved.Count(), 1u);
    const timer_core::ReserveEntry& entry = *saved.At(0);
    EXPECT_EQ(entry.title, L"星空ニュース");
    EXPECT_EQ(entry.channelName, L"みなと総合");
    EXPECT_EQ(entry.channelValue, 27);
    EXPECT_EQ(entry.start.wHour, 19);
    EXPECT_EQ(entry.durationMinutes, 30u);
    EXPECT_EQ(entry.serviceId, timer_ui_test::kMinatoSid);
    EXPECT_EQ(entry.eventId, 1);
    EXPECT_EQ(entry.priority, 3);
    EXPECT_EQ(entry.follow, 1);

    // Again: nothing added, the file is written the same, the main window asked again.
    ClickButton(dlg, Dlg::IDC_RESERVE);
    ASSERT_TRUE(WaitUntil([&] { return mainWindow.reloads.size() == 2; }));
    EXPECT_EQ(home.Read(home.DataFile("Program.txt")), program);

    // さくらテレビ is not in ChSet.txt.
    timer_ui_test::ClickRow(Results(dlg), 1);
    ClickButton(dlg, Dlg::IDC_RESERVE);
    // A new search forgets the row.
    ClickButton(dlg, Dlg::IDC_SEARCH);
    ClickButton(dlg, Dlg::IDC_RESERVE);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::wstring>{L"予約する番組を選択してください",
                                         L"チャンネル設定リストの読み込みに失敗しました",
                                         L"予約する番組を選択してください"}));
    EXPECT_EQ(mainWindow.reloads.size(), 2u);
    dlg.DestroyWindow();
    mainWindow.DestroyWindow();
}

TEST_F(AutoAddSearchDlgTest, ReserveWithoutManagerOrChannelTableIsRefused) {
    MessageBoxes boxes;
    Dlg dlg(home.IniPath());
    Open(dlg, Dlg::kModeSearch);
    SetText(dlg, Dlg::IDC_AND, L"旅");
    ClickButton(dlg, Dlg::IDC_SEARCH);
    timer_ui_test::ClickRow(Results(dlg), 0);
    ClickButton(dlg, Dlg::IDC_RESERVE);
    timer_core::TimerManager manager(home.IniPath());
    dlg.SetManager(&manager);
    ClickButton(dlg, Dlg::IDC_RESERVE);  // no ChSet.txt
    EXPECT_EQ(boxes.Texts(), (std::vector<std::wstring>{
                                 L"内部エラー", L"チャンネル設定リストの読み込みに失敗しました"}));
    EXPECT_FALSE(std::filesystem::exists(home.DataFile("Program.txt")));
    dlg.DestroyWindow();
}

TEST_F(AutoAddSearchDlgTest, EnlargedChannelEditsComeBackHoweverTheChannelDialogCloses) {
    Dlg dlg(home.IniPath());
    Open(dlg, Dlg::kModeAdd);
    WhenModal([](ui::Dialog& modal) {
        EXPECT_EQ(modal.GetWindowText(), L"検索対象チャンネル");
        auto* list = modal.Item<ui::ListBox>(CSearchChSetDlg::IDC_CHANNELS);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->GetCount(), 2);
        list->SetCheck(0, 0);
        ClickButton(modal, ui::IDCANCEL);
    });
    ClickButton(dlg, Dlg::IDC_ENLARGE);
    EXPECT_EQ(ChannelNames(dlg), (std::vector<std::wstring>{L"みなと総合", L"さくらテレビ"}));
    EXPECT_EQ(ChannelChecks(dlg), (std::vector<int>{0, 1}));
    EXPECT_EQ(dlg.Item<ui::ListBox>(Dlg::IDC_CHANNELS)->GetItemData(0), timer_ui_test::MinatoKey());

    WhenModal([](ui::Dialog& modal) {
        ClickButton(modal, CSearchChSetDlg::IDC_CHECK_ALL);
        modal.SendMessage(ui::WM_SYSCOMMAND, ui::SC_CLOSE, 0);
    });
    ClickButton(dlg, Dlg::IDC_ENLARGE);
    EXPECT_EQ(ChannelChecks(dlg), (std::vector<int>{1, 1}));
    dlg.DestroyWindow();
}

TEST_F(AutoAddSearchDlgTest, OnlyTheResultListFollowsTheSizeAndAHitShowsItsInformation) {
    Dlg dlg(home.IniPath());
    Open(dlg, Dlg::kModeSearch);
    const QRect search = dlg.GetDlgItem(Dlg::IDC_SEARCH)->geometry();
    dlg.SetClientSize(800, 820);
    ASSERT_TRUE(WaitUntil([&] { return Results(dlg).width() == 775; }));
    EXPECT_EQ(Results(dlg).height(), 410);
    EXPECT_EQ(Results(dlg).x(), 12);
    EXPECT_EQ(dlg.GetDlgItem(Dlg::IDC_SEARCH)->geometry(), search);

    SetText(dlg, Dlg::IDC_AND, L"旅");
    ClickButton(dlg, Dlg::IDC_SEARCH);
    std::wstring shown;
    WhenModal([&](ui::Dialog& modal) {
        if (auto* info = dynamic_cast<CProgramInfoDlg*>(&modal)) shown = info->Text();
        modal.EndDialog(ui::IDCANCEL);
    });
    timer_ui_test::DoubleClickRow(Results(dlg), 0);
    EXPECT_NE(shown.find(L"番組名 : 深夜の旅"), std::wstring::npos) << shown;
    dlg.DestroyWindow();
}

}  // namespace
}  // namespace timer_ui
