// The main window's notices: one box at a time under the caption, replaced by the next notice,
// left alone by an empty one, removed by Close and by the destructor.
#include "timer_ui/async_message_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <vector>

#include "platform/window_messages.h"
#include "tests/timer_ui/timer_ui_test_environment.h"
#include "ui/message_box.h"
#include "ui/message_box_window.h"

namespace timer_ui {
namespace {

using timer_ui_test::WaitUntil;

const std::wstring kCaption(AsyncMessageBox::kCaption);

// The boxes of this process that are open (closed ones may wait a moment to be deleted).
std::vector<ui::MessageBoxWindow*> OpenBoxes() {
    std::vector<ui::MessageBoxWindow*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = dynamic_cast<ui::MessageBoxWindow*>(widget);
        if (box != nullptr && box->GetSafeHwnd() != 0) boxes.push_back(box);
    }
    return boxes;
}

class AsyncMessageBoxTest : public timer_ui_test::DialogTest {};

TEST_F(AsyncMessageBoxTest, ANewNoticeReplacesTheOpenBoxAndAnEmptyOneChangesNothing) {
    AsyncMessageBox notices;
    notices.Show(L"予約リストが見つかりませんでした");
    notices.Show(L"録画が終了しました");
    auto boxes = OpenBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->Text(), L"録画が終了しました");
    EXPECT_EQ(boxes[0]->GetWindowText(), kCaption);
    EXPECT_TRUE(boxes[0]->isVisible());
    EXPECT_NE(boxes[0]->Item<QPushButton>(ui::IDOK), nullptr);
    // Found by its caption, the way the main window's start-up timer brings it to the front.
    const ui::HWND hwnd = platform::FindWindowW(nullptr, kCaption.c_str());
    EXPECT_EQ(hwnd, boxes[0]->GetSafeHwnd());
    EXPECT_EQ(platform::GetWindow(hwnd, platform::GW_OWNER), 0u);

    notices.Show(L"");
    boxes = OpenBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->GetSafeHwnd(), hwnd);
    EXPECT_EQ(boxes[0]->Text(), L"録画が終了しました");
    EXPECT_EQ(notices.Text(), L"録画が終了しました");

    notices.Close();
    EXPECT_TRUE(OpenBoxes().empty());
    EXPECT_EQ(platform::FindWindowW(nullptr, kCaption.c_str()), 0u);
    EXPECT_FALSE(platform::IsWindow(hwnd));
    notices.Close();  // nothing left to close
}

TEST_F(AsyncMessageBoxTest, TheDestructorRemovesTheOpenBox) {
    {
        AsyncMessageBox notices;
        notices.Show(L"EPGデータの取得に失敗しました");
        ASSERT_EQ(OpenBoxes().size(), 1u);
    }
    EXPECT_TRUE(OpenBoxes().empty());
    EXPECT_EQ(platform::FindWindowW(nullptr, kCaption.c_str()), 0u);
}

TEST_F(AsyncMessageBoxTest, ABoxTheUserClosedIsNotClosedAgainAndTheNextNoticeShows) {
    AsyncMessageBox notices;
    notices.Show(L"スタンバイに移行できませんでした");
    auto boxes = OpenBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    boxes[0]->Item<QPushButton>(ui::IDOK)->click();
    EXPECT_TRUE(OpenBoxes().empty());
    // Another box under the caption that this object did not open stays when it closes.
    const ui::HWND foreign = ui::ShowMessageBoxNonBlocking(L"別のお知らせ", kCaption);
    notices.Close();
    EXPECT_TRUE(platform::IsWindow(foreign));
    notices.Show(L"次の予約 なし");
    boxes = OpenBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->Text(), L"次の予約 なし");
    EXPECT_FALSE(platform::IsWindow(foreign));
}

}  // namespace
}  // namespace timer_ui
