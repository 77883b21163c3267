// Pictures of the main window for review: the list with reservations in several states, the
// notification icon's menu, a notice of the window and the countdown it starts after a
// recording. Written into ORVANDEL_SCREENSHOT_DIR when it is set.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <mutex>

#include "tests/support/scoped_environment.h"
#include "tests/timer_ui/main_window_fixture.h"
#include "timer_core/recording/main_window_messages.h"
#include "timer_ui/main_window_texts.h"
#include "timer_ui/sleep_wait_dlg.h"
#include "ui/message_box_window.h"
#include "ui/notify_icon.h"
#include "ui/progress_bar.h"

namespace timer_ui_test {
namespace {

using timer_ui::COrvandelDlg;

void ExpectTextsFit(const QWidget& window) {
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->text().isEmpty() || !label->pixmap().isNull()) continue;
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width())
            << label->text().toStdString();
    }
    for (const QPushButton* button : window.findChildren<QPushButton*>()) {
        EXPECT_LE(QFontMetrics(button->font()).horizontalAdvance(button->text()) + 8,
                  button->width())
            << button->text().toStdString();
    }
}

class MainWindowPicturesTest : public MainWindowTest {
  protected:
    // Reservations as a week of use leaves them: recorded, missed, recording, waiting, a
    // changed priority, follow mode off, a chained evening.
    void WriteUsedWeek() {
        WriteChannelTables();
        std::vector<timer_core::ReserveEntry> entries;
        auto add = [&](const std::wstring& title, const platform::SYSTEMTIME& start, int minutes,
                       int priority, int follow, const std::wstring& result, bool sakura) {
            timer_core::ReserveEntry e =
                Reservation(title, start, static_cast<std::uint32_t>(minutes));
            e.priority = static_cast<std::uint8_t>(priority);
            e.follow = static_cast<std::uint8_t>(follow);
            e.resultText = result;
            if (sakura) {
                e.channelName = L"さくらテレビ";
                e.channelValue = kSakuraChannel;
                e.serviceId = kSakuraService;
            }
            entries.push_back(e);
        };
        add(L"港町ニュース９", DaysAhead(-2, 21, 0), 54, 2, 1, L"録画終了", false);
        add(L"さくら映画館「遠い海」", DaysAhead(-1, 23, 30), 120, 3, 1, L"", true);
        add(L"ふらり旅の手帖", DaysAhead(1, 19, 30), 30, 2, 1, L"", false);
        add(L"時代劇「風の記憶」　第１２回", DaysAhead(1, 20, 0), 45, 5, 0, L"", true);
        add(L"深夜映画　港の灯", DaysAhead(1, 23, 30), 90, 4, 1, L"", false);
        add(L"プロ野球中継", DaysAhead(2, 18, 0), 180, 1, 1,
            L"開始時間が変わりました(予約時 2026/12/04 18:00) ", true);
        WriteProgram(entries);
    }
};

TEST_F(MainWindowPicturesTest, TheListWithReservationsInSeveralStates) {
    WriteUsedWeek();
    COrvandelDlg& window = OpenWindow();
    CloseNotice();
    // As wide as it opens, a little taller.
    window.SetClientSize(window.GetClientRect().width(), 380);
    ASSERT_TRUE(WaitUntil([&] { return window.GetClientRect().height() == 380; }));
    ASSERT_EQ(List().GetItemCount(), 6);
    List().SetCheck(1, true);
    List().setCurrentItem(List().topLevelItem(3));
    ExpectTextsFit(window);
    // The whole date column fits.
    const QFontMetrics metrics(List().font());
    EXPECT_LE(metrics.horizontalAdvance(List().topLevelItem(0)->text(0)) + 24,
              List().columnWidth(0));
    EXPECT_TRUE(SaveScreenshot(window, QStringLiteral("timer_main_window")));

    // A notice of the window above it.
    ClickButton(window, COrvandelDlg::IDC_CHANGE);
    ui::MessageBoxWindow* box = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* candidate = dynamic_cast<ui::MessageBoxWindow*>(widget);
            candidate != nullptr && candidate->GetSafeHwnd() != 0)
            box = candidate;
    }
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return box->isVisible(); }));
    EXPECT_EQ(box->GetWindowText(), L"Orvandel メッセージ");
    EXPECT_EQ(box->Text(), timer_ui::texts::kSelectToChange);
    ExpectTextsFit(*box);
    EXPECT_TRUE(SaveScreenshot(*box, QStringLiteral("timer_main_notice")));
}

TEST_F(MainWindowPicturesTest, TheNoticeOverTheEpgLoadLeavesItsPictureToo) {
    // The notice lives only while the window's thread reads the EPG data at its start.
    const std::filesystem::path folder = PrivateRoot() / "load-notice-pictures";
    std::filesystem::remove_all(folder);
    test_support::ScopedEnvironment env;
    env.Set("ORVANDEL_SCREENSHOT_DIR", folder.string());
    OpenWindow();
    EXPECT_FALSE(
        QImage(QString::fromStdString((folder / "timer_ui_CWaitDlg.png").string())).isNull());
}

TEST_F(MainWindowPicturesTest, TheNotificationIconsMenu) {
    COrvandelDlg& window = OpenWindow();
    CloseNotice();
    bool saved = false;
    QStringList items;
    auto* watch = new QTimer;
    watch->setInterval(10);
    QObject::connect(watch, &QTimer::timeout, [&] {
        auto* menu = dynamic_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr || saved) return;
        for (const QAction* action : menu->actions())
            items.push_back(action->text());
        saved = SaveScreenshot(*menu, QStringLiteral("timer_tray_menu"));
        menu->close();
    });
    watch->start();
    QSystemTrayIcon* icon = ui::FindNotifyIcon(window.GetSafeHwnd(), COrvandelDlg::kNotifyIconId);
    ASSERT_NE(icon, nullptr);
    emit icon->activated(QSystemTrayIcon::Context);
    const bool shown = WaitUntil([&] { return saved; });
    watch->stop();
    delete watch;
    ASSERT_TRUE(shown);
    EXPECT_EQ(items, (QStringList{QStringLiteral("スタンバイ"), QStringLiteral("休止")}));
}

TEST_F(MainWindowPicturesTest, TheCountdownAfterARecording) {
    WriteIni("RecEnd=1\r\n");
    COrvandelDlg& window = OpenWindow();
    CloseNotice();
    bool saved = false;
    auto* watch = new QTimer;
    watch->setInterval(10);
    QObject::connect(watch, &QTimer::timeout, [&] {
        timer_ui::CSleepWaitDlg* countdown = OpenCountdown();
        if (countdown == nullptr || saved) return;
        const auto* bar = countdown->Item<ui::ProgressBar>(timer_ui::CSleepWaitDlg::IDC_PROGRESS);
        if (bar->GetPos() > 11) return;
        EXPECT_EQ(countdown->GetOwnerHwnd(), window.GetSafeHwnd());
        ExpectTextsFit(*countdown);
        saved = SaveScreenshot(*countdown, QStringLiteral("timer_main_countdown"));
        countdown->SendMessage(ui::WM_COMMAND, ui::IDCANCEL, 0);
    });
    watch->start();
    window.PostMessage(timer_core::WM_RECORDING_ENDED);
    const bool shown = WaitUntil([&] { return saved; }, 30000);
    watch->stop();
    delete watch;
    EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace timer_ui_test
