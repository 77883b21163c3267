#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <thread>

#include "platform/window_messages.h"
#include "tests/ui/table_dialog.h"
#include "tests/ui/ui_test_support.h"

namespace ui_test {
namespace {

// The table dialog with the main window's habits switched on one by one.
class HabitDialog : public TableDialog {
  public:
    bool filterKeys = false;  // Enter and Escape never reach the dialog manager
    bool hideWhenMinimised = false;
    bool refuseSysClose = false;  // WM_SYSCOMMAND SC_CLOSE stops in WindowProc
    std::vector<ui::WPARAM> filteredKeys;

    ui::LRESULT WindowProc(ui::UINT message, ui::WPARAM wParam, ui::LPARAM lParam) override {
        if (refuseSysClose && message == ui::WM_SYSCOMMAND && (wParam & 0xFFF0) == ui::SC_CLOSE) {
            messages.push_back({GetSafeHwnd(), message, wParam, lParam});
            return 1;
        }
        return TableDialog::WindowProc(message, wParam, lParam);
    }

  protected:
    bool PreTranslateMessage(ui::MSG& msg) override {
        if (filterKeys && msg.message == ui::WM_KEYDOWN &&
            (msg.wParam == ui::VK_RETURN || msg.wParam == ui::VK_ESCAPE)) {
            filteredKeys.push_back(msg.wParam);
            return false;
        }
        return TableDialog::PreTranslateMessage(msg);
    }

    void OnSize(ui::UINT type, int, int) override {
        if (hideWhenMinimised && type == ui::SIZE_MINIMIZED) ShowWindow(ui::SW_HIDE);
    }
};

void PressKey(QWidget* target, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

int RunModalWithKey(HabitDialog& dialog, int focusId, Qt::Key key) {
    QTimer::singleShot(0, &dialog, [&dialog, focusId, key] {
        QWidget* focus = dialog.GetDlgItem(focusId);
        focus->setFocus();
        PressKey(focus, key);
        if (dialog.isVisible()) dialog.EndDialog(7);
    });
    return dialog.DoModal();
}

TEST(WindowBehaviourTest, EnterIsOkAndEscapeIsCancelForAnOrdinaryDialog) {
    HabitDialog enter;
    EXPECT_EQ(RunModalWithKey(enter, kEdit, Qt::Key_Return), ui::IDOK);
    HabitDialog escape;
    EXPECT_EQ(RunModalWithKey(escape, kEdit, Qt::Key_Escape), ui::IDCANCEL);
    // Enter on a focused push button presses that button instead.
    HabitDialog button;
    EXPECT_EQ(RunModalWithKey(button, kButton, Qt::Key_Enter), 7);
    EXPECT_EQ(button.events, std::vector<std::string>{"button"});
}

TEST(WindowBehaviourTest, EnterAndEscapeDoNotCloseAFilteredDialog) {
    for (int focus : {int(kEdit), int(kMultiEdit), int(kButton), int(ui::IDOK), int(kListView)}) {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            HabitDialog dialog;
            dialog.filterKeys = true;
            EXPECT_EQ(RunModalWithKey(dialog, focus, key), 7) << focus << " " << key;
            EXPECT_EQ(dialog.filteredKeys.size(), 1u);
            EXPECT_TRUE(dialog.events.empty());
        }
    }
}

TEST(WindowBehaviourTest, DroppedFilesArriveInDropOrderWhenAccepted) {
    HabitDialog dialog;
    ASSERT_TRUE(dialog.Create());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/b/番組.tvpi")),
                  QUrl::fromLocalFile(QStringLiteral("/tmp/a.tvpi")),
                  QUrl(QStringLiteral("https://example.invalid/x.tvpi")),
                  QUrl::fromLocalFile(QStringLiteral("/tmp/c d.tvpi"))});
    const auto drop = [&] {
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&dialog, &enter);
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &event);
    };
    drop();
    EXPECT_TRUE(dialog.dropped.empty());
    dialog.DragAcceptFiles(true);
    drop();
    EXPECT_EQ(dialog.dropped,
              (std::vector<std::wstring>{L"/tmp/b/番組.tvpi", L"/tmp/a.tvpi", L"/tmp/c d.tvpi"}));
    dialog.DestroyWindow();
}

TEST(WindowBehaviourTest, TheCloseBoxIsSysCloseUnlessTheCommandIsRemoved) {
    HabitDialog ordinary;
    ASSERT_TRUE(ordinary.Create());
    ordinary.ShowWindow(ui::SW_SHOW);
    ordinary.close();
    EXPECT_FALSE(ordinary.isVisible());  // SC_CLOSE -> WM_CLOSE -> Cancel
    EXPECT_TRUE(std::any_of(ordinary.messages.begin(), ordinary.messages.end(), [](auto& m) {
        return m.message == ui::WM_SYSCOMMAND && m.wParam == ui::SC_CLOSE;
    }));

    HabitDialog refusing;
    refusing.refuseSysClose = true;
    ASSERT_TRUE(refusing.Create());
    refusing.ShowWindow(ui::SW_SHOW);
    refusing.close();
    EXPECT_TRUE(refusing.isVisible());

    HabitDialog noClose;
    ASSERT_TRUE(noClose.Create());
    noClose.RemoveCloseCommand();
    noClose.ShowWindow(ui::SW_SHOW);
    EXPECT_FALSE(noClose.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    noClose.close();
    EXPECT_TRUE(noClose.isVisible());
    EXPECT_FALSE(std::any_of(noClose.messages.begin(), noClose.messages.end(),
                             [](auto& m) { return m.message == ui::WM_SYSCOMMAND; }));
    for (HabitDialog* d : {&ordinary, &refusing, &noClose})
        d->DestroyWindow();
}

TEST(WindowBehaviourTest, MinimiseAndRestoreSendSizeNotifications) {
    HabitDialog dialog;
    dialog.hideWhenMinimised = true;
    ASSERT_TRUE(dialog.Create());
    dialog.ShowWindow(ui::SW_SHOW);
    dialog.messages.clear();
    dialog.ShowWindow(ui::SW_MINIMIZE);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(platform::IsWindowVisible(dialog.GetSafeHwnd()));
    ASSERT_FALSE(dialog.messages.empty());
    EXPECT_EQ(dialog.messages.front().message, ui::WM_SIZE);
    EXPECT_EQ(dialog.messages.front().wParam, ui::SIZE_MINIMIZED);

    dialog.messages.clear();
    dialog.ShowWindow(ui::SW_RESTORE);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.IsIconic());
    EXPECT_TRUE(platform::IsWindowVisible(dialog.GetSafeHwnd()));
    const auto size = std::find_if(dialog.messages.begin(), dialog.messages.end(),
                                   [](auto& m) { return m.message == ui::WM_SIZE; });
    ASSERT_NE(size, dialog.messages.end());
    EXPECT_EQ(size->wParam, ui::SIZE_RESTORED);
    EXPECT_EQ(ui::LOWORD(static_cast<std::uintptr_t>(size->lParam)), kTableWidth);
    EXPECT_EQ(ui::HIWORD(static_cast<std::uintptr_t>(size->lParam)), kTableHeight);
    dialog.DestroyWindow();
}

TEST(WindowBehaviourTest, TheSizingBorderComesAndGoesAndTheClientSizeIsKept) {
    HabitDialog dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_FALSE(dialog.IsResizable());
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    dialog.SetResizable(true);
    dialog.SetClientSize(365, 468);
    dialog.ShowWindow(ui::SW_SHOW);
    EXPECT_EQ(dialog.GetClientRect(), QRect(0, 0, 365, 468));
    EXPECT_NE(dialog.minimumSize(), dialog.maximumSize());
    dialog.messages.clear();
    dialog.resize(300, 100);
    ASSERT_FALSE(dialog.messages.empty());
    EXPECT_EQ(dialog.messages.back().message, ui::WM_SIZE);
    EXPECT_EQ(dialog.messages.back().lParam, ui::MAKELPARAM(300, 100));
    dialog.SetResizable(false);
    EXPECT_EQ(dialog.GetClientRect(), QRect(0, 0, 300, 100));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    dialog.DestroyWindow();
}

TEST(WindowBehaviourTest, TheRegistryKnowsTitleOwnerAndVisibilityAndCarriesRequests) {
    HabitDialog owner;
    ASSERT_TRUE(owner.Create());
    owner.ShowWindow(ui::SW_SHOW);
    HabitDialog owned;
    ASSERT_TRUE(owned.Create(owner.GetSafeHwnd()));
    const ui::HWND hwnd = owned.GetSafeHwnd();
    EXPECT_EQ(platform::GetWindow(hwnd, platform::GW_OWNER), owner.GetSafeHwnd());
    ASSERT_NE(owned.windowHandle(), nullptr);
    EXPECT_EQ(owned.windowHandle()->transientParent(), owner.windowHandle());
    EXPECT_FALSE(platform::IsWindowVisible(hwnd));
    EXPECT_EQ(ui::Dialog::FromHandle(hwnd), &owned);

    owned.SetWindowText(L"Quorvantel");
    EXPECT_EQ(platform::FindWindowW(nullptr, L"Quorvantel"), hwnd);
    EXPECT_EQ(owned.GetWindowText(), L"Quorvantel");

    // Show requests of other threads are carried out on the GUI thread.
    std::thread([hwnd] { platform::ShowWindow(hwnd, ui::SW_SHOW); }).join();
    ASSERT_TRUE(WaitUntil([&] { return owned.isVisible(); }));
    EXPECT_TRUE(platform::IsWindowVisible(hwnd));
    std::thread([hwnd] { platform::ShowWindow(hwnd, ui::SW_HIDE); }).join();
    ASSERT_TRUE(WaitUntil([&] { return !owned.isVisible(); }));
    EXPECT_FALSE(platform::IsWindowVisible(hwnd));

    EXPECT_TRUE(owned.DestroyWindow());
    EXPECT_FALSE(platform::IsWindow(hwnd));
    EXPECT_EQ(ui::Dialog::FromHandle(hwnd), nullptr);
    owner.DestroyWindow();
}

}  // namespace
}  // namespace ui_test
