// The programme information text, label by label, and the dialog that shows it filling its
// window.
#include "timer_ui/program_info_dlg.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "broadcast_sim/time_builder.h"
#include "tests/support/epg_test_store.h"
#include "tests/timer_ui/timer_ui_test_environment.h"
#include "timer_ui/program_info_text.h"

namespace timer_ui {
namespace {

using timer_ui_test::WaitUntil;

constexpr std::uint16_t kTsid = 0x7F10, kSid = 0x0400, kOnid = 0x7F11, kEventId = 0x2A01;

class ProgramInfoTest : public timer_ui_test::DialogTest {
  protected:
    // An event of みなと総合１ with every field the text shows; `extended` goes to the schedule's
    // extended texts.
    broadcast::EpgEventRecord& AddEvent(std::uint16_t eventId, const wchar_t* extended) {
        test_support::StoreEvent e;
        e.eventId = eventId;
        e.start = broadcast_sim::JstTime(2026, 12, 9, 21, 0, 5);
        e.minutes = 84;
        e.name = L"港町ニュース９";
        e.text = L"一日の出来事を詳しく伝える。";
        if (extended != nullptr) e.extended = extended;
        e.genres = {0x0, 0x0, 0x3};  // news, news, drama
        broadcast::EpgEventRecord& event = test_support::AddEvent(store_, kTsid, kSid, e);
        event.originalNetworkId = kOnid;
        event.durationSeconds = 30;
        event.componentType = 0xB3;
        event.componentText = L"映像１０８０ｉ";
        event.audioComponent = {0x03, 0, 1, 7};
        event.audioText = L"主音声／副音声";
        return event;
    }

    std::wstring Text(std::uint16_t eventId) const {
        return BuildProgramInfoText(&store_, kTsid, kSid, eventId);
    }

    broadcast::EpgStore store_;
};

TEST_F(ProgramInfoTest, TheTextCarriesEveryLabelAndEachGenreOnce) {
    AddEvent(kEventId, L"番組内容\r\n港の朝市から中継。\r\n出演者\r\n山川一郎");
    EXPECT_EQ(Text(kEventId),
              L"ServiceID : 0x0400\r\n"
              L"transport_stream_id : 0x7F10\r\n"
              L"OriginalNID : 0x7F11\r\n"
              L"EventID : 0x2A01\r\n"
              L"\r\n"
              L"開始日時 : 2026/12/09 21:00:05\r\n"
              L"総時間 : 01:24:30\r\n"
              L"\r\n"
              L"ジャンル : ニュース・報道、ドラマ\r\n"
              L"\r\n"
              L"映像 : 映像1080i(1125i）、アスペクト比１６：９　パンベクトルなし\r\n"
              L"映像１０８０ｉ\r\n"
              L"音声 : 2/0モード（ステレオ）\r\n"
              L"主音声／副音声\r\n"
              L"サンプリングレート : 48kHz\r\n"
              L"\r\n"
              L"番組名 : 港町ニュース９\r\n"
              L"\r\n"
              L"説明 : 一日の出来事を詳しく伝える。\r\n"
              L"\r\n"
              L"詳細 : \r\n"
              L"番組内容\r\n港の朝市から中継。\r\n出演者\r\n山川一郎\r\n");
}

TEST_F(ProgramInfoTest, CodesWithoutANameLeaveTheirLinesEmpty) {
    broadcast::EpgEventRecord& event = AddEvent(kEventId, nullptr);
    event.componentType = 0x02;
    event.componentText.clear();
    event.audioComponent = {0x05, 0, 1, 4};
    event.audioText.clear();
    // The extension and "other" genres have no name; a genre seen again is not repeated.
    event.contentEntries = {{0xE, 0x0, 0, 0}, {0x8, 0x1, 0, 0}, {0xF, 0xF, 0, 0}, {0x8, 0x3, 0, 0}};
    const std::wstring text = Text(kEventId);
    EXPECT_NE(text.find(L"ジャンル : ドキュメンタリー・教養\r\n\r\n映像 : \r\n音声 : \r\n"
                        L"サンプリングレート : \r\n\r\n番組名 : "),
              std::wstring::npos)
        << text;
    // No extended text in the store: the label and an empty line.
    EXPECT_TRUE(text.ends_with(L"\r\n\r\n詳細 : \r\n\r\n")) << text;

    event.contentEntries.clear();
    EXPECT_NE(Text(kEventId).find(L"ジャンル : \r\n\r\n映像 : "), std::wstring::npos);
}

TEST_F(ProgramInfoTest, AProgrammeTheStoreDoesNotHoldShowsOnlyTheNotice) {
    AddEvent(kEventId, nullptr);
    const std::wstring notFound = L"番組情報が見つかりませでした";
    EXPECT_EQ(Text(0x2A02), notFound);
    EXPECT_EQ(BuildProgramInfoText(&store_, kTsid, 0x0401, kEventId), notFound);
    EXPECT_EQ(BuildProgramInfoText(&store_, 0x7F20, kSid, kEventId), notFound);
    EXPECT_EQ(BuildProgramInfoText(nullptr, kTsid, kSid, kEventId), notFound);
    // Present/following events are not looked at.
    auto& pf = store_.presentFollowing[broadcast::ServiceKey(kTsid, 0x0401)];
    pf = std::make_unique<broadcast::EventMapHolder>();
    pf->events[kEventId] = std::make_unique<broadcast::EpgEventRecord>();
    EXPECT_EQ(BuildProgramInfoText(&store_, kTsid, 0x0401, kEventId), notFound);
}

TEST_F(ProgramInfoTest, TheDialogShowsTheTextReadOnlyAndKeepsItFillingTheWindow) {
    AddEvent(kEventId, L"番組内容\r\n港の朝市から中継。");
    CProgramInfoDlg dlg;
    dlg.SetProgram(&store_, kTsid, kSid, kEventId);
    ASSERT_TRUE(dlg.Create());
    dlg.ShowWindow(ui::SW_SHOW);
    EXPECT_EQ(dlg.GetWindowText(), L"番組情報");
    EXPECT_EQ(dlg.Text(), Text(kEventId));
    EXPECT_EQ(dlg.GetDlgItemText(CProgramInfoDlg::IDC_INFO), dlg.Text());
    auto* edit = dlg.Item<QPlainTextEdit>(CProgramInfoDlg::IDC_INFO);
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(dlg.IsResizable());
    const QRect client = dlg.GetClientRect();
    EXPECT_EQ(edit->geometry(), client.adjusted(1, 1, -1, -1));

    dlg.SetClientSize(600, 300);
    EXPECT_TRUE(WaitUntil([&] { return edit->geometry() == QRect(1, 1, 598, 298); }))
        << edit->geometry().width() << "x" << edit->geometry().height();
    dlg.DestroyWindow();
}

}  // namespace
}  // namespace timer_ui
