#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "platform/window_messages.h"
#include "tests/support/helper_process.h"
#include "tests/ui/table_dialog.h"
#include "tests/ui/ui_test_support.h"
#include "ui/message_box.h"
#include "ui/message_box_window.h"

namespace ui_test {
namespace {

const wchar_t kCaption[] = L"Orvandel メッセージ";

std::vector<ui::MessageBoxWindow*> OpenBoxes() {
    std::vector<ui::MessageBoxWindow*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = dynamic_cast<ui::MessageBoxWindow*>(widget);
        if (box != nullptr && box->IsNonBlocking() && box->GetSafeHwnd() != 0) {
            boxes.push_back(box);
        }
    }
    return boxes;
}

TEST(MessageBoxTest, ANewNonBlockingMessageReplacesTheOpenBox) {
    const ui::HWND first =
        ui::ShowMessageBoxNonBlocking(L"予約リストが見つかりませんでした", kCaption);
    const ui::HWND second =
        ui::ShowMessageBoxNonBlocking(L"削除するものにチェックを入れてください", kCaption);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    const auto boxes = OpenBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]->Text(), L"削除するものにチェックを入れてください");
    EXPECT_TRUE(boxes[0]->isVisible());
    EXPECT_FALSE(platform::IsWindow(first));
    // Found by its caption through the registry, visible, without owner.
    EXPECT_EQ(platform::FindWindowW(nullptr, kCaption), second);
    EXPECT_TRUE(platform::IsWindowVisible(second));
    EXPECT_EQ(platform::GetWindow(second, platform::GW_OWNER), 0u);

    EXPECT_TRUE(platform::SetForegroundWindow(second));
    EXPECT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == boxes[0]; }));

    // Closed from code: WM_QUIT posted to its window.
    ASSERT_TRUE(platform::PostMessageW(second, ui::WM_QUIT, 0, 0));
    EXPECT_TRUE(WaitUntil([] { return OpenBoxes().empty(); }));
    EXPECT_FALSE(platform::IsWindow(second));
}

TEST(MessageBoxTest, TheUserClosesANonBlockingBoxWithItsOkButton) {
    const ui::HWND hwnd = ui::ShowMessageBoxNonBlocking(L"内部エラー", kCaption);
    const auto boxes = OpenBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    boxes[0]->Item<QPushButton>(ui::IDOK)->click();
    EXPECT_TRUE(WaitUntil([] { return OpenBoxes().empty(); }));
    EXPECT_FALSE(platform::IsWindow(hwnd));
}

TEST(MessageBoxTest, ABoxOfAnotherProcessUnderTheSameCaptionIsToldToQuit) {
    test_support::HelperProcess helper(UI_TEST_HELPER, {"window", "Orvandel メッセージ"});
    const auto helperHwnd = helper.Expect("hwnd ");
    ASSERT_TRUE(helperHwnd.has_value());
    const ui::HWND hwnd = ui::ShowMessageBoxNonBlocking(L"新しいお知らせ", kCaption);
    EXPECT_TRUE(helper.Expect("quit").has_value());
    EXPECT_EQ(helper.Wait(), 0);
    EXPECT_EQ(platform::FindWindowW(nullptr, kCaption), hwnd);
    platform::PostMessageW(hwnd, ui::WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([] { return OpenBoxes().empty(); }));
}

TEST(MessageBoxTest, ModalBoxesAreAnsweredByTheHookOrClosedFromCode) {
    TableDialog owner;
    ASSERT_TRUE(owner.Create());
    std::vector<ui::MessageBoxRequest> asked;
    ui::SetMessageBoxAnswer([&](const ui::MessageBoxRequest& request) {
        asked.push_back(request);
        return ui::IDOK;
    });
    EXPECT_EQ(owner.MessageBox(L"項目を選択してください"), ui::IDOK);
    EXPECT_EQ(ui::MessageBox(0, L"Wrong SDK Version", L"Error", ui::MB_ICONERROR), ui::IDOK);
    ui::SetMessageBoxAnswer(nullptr);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].owner, owner.GetSafeHwnd());
    EXPECT_EQ(asked[0].caption, L"Orvandel");  // no caption: the application's title
    EXPECT_EQ(asked[1].type, ui::MB_ICONERROR);
    EXPECT_EQ(asked[1].caption, L"Error");

    // The real box is a window owned by the dialog, and the thread's messages go on meanwhile.
    ui::HWND boxOwner = 0;
    QTimer::singleShot(0, [&] {
        platform::PostMessageW(owner.GetSafeHwnd(), ui::WM_USER + 1, 0, 0);
        const ui::HWND box = platform::FindWindowW(nullptr, L"確認");
        boxOwner = platform::GetWindow(box, platform::GW_OWNER);
        platform::PostMessageW(box, ui::WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(owner.MessageBox(L"すでに登録されています", L"確認"), ui::IDOK);
    EXPECT_EQ(boxOwner, owner.GetSafeHwnd());
    EXPECT_EQ(std::count_if(owner.messages.begin(), owner.messages.end(),
                            [](const ui::MSG& m) { return m.message == ui::WM_USER + 1; }),
              1);
    owner.DestroyWindow();
}

}  // namespace
}  // namespace ui_test
