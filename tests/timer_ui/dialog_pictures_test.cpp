// Pictures of the timer's dialogs filled with realistic data, for review: every text must fit its
// control. Written into the test program's build folder and, when set, ORVANDEL_SCREENSHOT_DIR.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>

#include "broadcast_sim/sim_time.h"
#include "broadcast_sim/time_builder.h"
#include "platform/window_messages.h"
#include "tests/timer_ui/synthetic_epg_store.h"
#include "tests/timer_ui/timer_ui_test_environment.h"
#include "timer_ui/async_message_box.h"
#include "timer_ui/program_info_dlg.h"
#include "timer_ui/reserve_chg_dlg.h"
#include "timer_ui/search_ch_set_dlg.h"
#include "timer_ui/sleep_wait_dlg.h"
#include "ui/combo_box.h"
#include "ui/progress_bar.h"

namespace timer_ui {
namespace {

using timer_ui_test::SaveScreenshot;
using timer_ui_test::WaitUntil;

// Every label and button of the dialog shows its whole text on one line.
void ExpectTextsFit(const ui::Dialog& dialog) {
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->text().isEmpty() || !label->pixmap().isNull()) continue;
        const int needed = QFontMetrics(label->font()).horizontalAdvance(label->text());
        EXPECT_LE(needed, label->width()) << label->text().toStdString();
    }
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        const int needed = QFontMetrics(button->font()).horizontalAdvance(button->text()) + 12;
        EXPECT_LE(needed, button->width()) << button->text().toStdString();
    }
}

// Shows a dialog made with Create and saves its picture once it is on the screen.
void ShowAndSave(ui::Dialog& dialog, const char* name) {
    dialog.ShowWindow(ui::SW_SHOW);
    ASSERT_TRUE(WaitUntil([&] { return dialog.isVisible(); }));
    ExpectTextsFit(dialog);
    EXPECT_TRUE(SaveScreenshot(dialog, QString::fromLatin1(name)));
}

class DialogPicturesTest : public timer_ui_test::DialogTest {
  protected:
    static constexpr std::uint16_t kService = 0x0400;  // みなと総合１
    const broadcast_sim::SampleChannel& channel_ = broadcast_sim::SampleChannels()[0];
    const std::uint64_t now_ =
        broadcast_sim::ToTimeValue(broadcast_sim::JstTime(2026, 12, 9, 21, 10));
};

TEST_F(DialogPicturesTest, MessageBoxAndCountdown) {
    AsyncMessageBox notices;
    notices.Show(
        L"7分以内に予約録画かEPGデータの取得を行う、もしくは指定プロセスが起動しているため"
        L"スタンバイにできません");
    const ui::HWND hwnd =
        platform::FindWindowW(nullptr, std::wstring(AsyncMessageBox::kCaption).c_str());
    ui::Dialog* box = ui::Dialog::FromHandle(hwnd);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return box->isVisible(); }));
    EXPECT_TRUE(SaveScreenshot(*box, QStringLiteral("timer_message_box")));
    notices.Close();

    CSleepWaitDlg countdown;
    ASSERT_TRUE(countdown.Create());  // shows itself and starts counting
    const auto* bar = countdown.Item<ui::ProgressBar>(CSleepWaitDlg::IDC_PROGRESS);
    ASSERT_TRUE(WaitUntil([&] { return bar->GetPos() <= 10; }));
    ExpectTextsFit(countdown);
    EXPECT_TRUE(SaveScreenshot(countdown, QStringLiteral("timer_sleep_wait")));
    countdown.DestroyWindow();
}

TEST_F(DialogPicturesTest, ProgrammeInformationAndChangeOfTheNextProgramme) {
    broadcast::EpgStore store;
    ASSERT_TRUE(timer_ui_test::ReceiveSyntheticChannel(channel_, now_, store));
    const broadcast::EpgEventRecord* event = timer_ui_test::NextEvent(
        store, broadcast::ServiceKey(channel_.transport_stream_id, kService), now_);
    ASSERT_NE(event, nullptr);

    CProgramInfoDlg info;
    info.SetProgram(&store, event->transportStreamId, event->serviceId, event->eventId);
    ASSERT_TRUE(info.Create());
    EXPECT_NE(info.Text().find(L"番組名 : " + event->name), std::wstring::npos);
    ShowAndSave(info, "timer_program_info");
    info.DestroyWindow();

    CReserveChgDlg change;
    wchar_t start[32];
    std::swprintf(start, std::size(start), L"%04d/%02d/%02d(水) %02d:%02d", int{event->startYear},
                  int{event->startMonth}, int{event->startDay}, int{event->startHour},
                  int{event->startMinute});
    change.startText = start;
    change.titleText = event->name;
    change.priorityIndex = 2;
    change.followIndex = 1;
    change.minutesText = std::to_wstring(event->durationHours * 60 + event->durationMinutes);
    ASSERT_TRUE(change.Create());
    ShowAndSave(change, "timer_reserve_change");
    change.DestroyWindow();
}

TEST_F(DialogPicturesTest, SearchChannelsOfTheSampleBroadcast) {
    std::vector<SearchChannelRow> rows;
    for (const broadcast_sim::SampleChannel& sample : broadcast_sim::SampleChannels()) {
        for (const broadcast_sim::SampleService& service : sample.services) {
            const int key = static_cast<int>(
                broadcast::ServiceKey(sample.transport_stream_id, service.service_id));
            rows.push_back({key, service.name, rows.size() % 3 != 2 ? 1 : 0});
        }
    }
    const std::vector<SearchChannelRow> shown = rows;
    {
        CSearchChSetDlg channels;
        channels.SetRows(&rows);
        ASSERT_TRUE(channels.Create());
        ShowAndSave(channels, "timer_search_channels");
        channels.DestroyWindow();
    }
    EXPECT_EQ(rows, shown);
}

}  // namespace
}  // namespace timer_ui
