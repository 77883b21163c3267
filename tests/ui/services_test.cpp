#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QPixmap>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <limits>

#include "tests/support/fresh_folder.h"
#include "tests/ui/table_dialog.h"
#include "tests/ui/ui_test_support.h"
#include "ui/log_font.h"
#include "ui/notify_icon.h"
#include "ui/pickers.h"
#include "ui/popup_menu.h"

namespace ui_test {
namespace {

const ui::PopupMenu kTrayMenu({{1001, L"スタンバイ"}, {1002, L"休止"}});

// Chooses the menu item with `text` once the popup is open, as a user does with the keyboard.
void ChooseWhenOpen(const QString& text) {
    QTimer::singleShot(0, [text] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            if (action->text() == text) menu->setActiveAction(action);
        }
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(menu, &enter);
    });
}

TEST(PopupMenuTest, TheChosenItemReturnsItsIdOrArrivesAsACommand) {
    TableDialog owner;
    ASSERT_TRUE(owner.Create());
    ChooseWhenOpen(QStringLiteral("休止"));
    EXPECT_EQ(kTrayMenu.TrackPopupMenu(ui::TPM_RETURNCMD | ui::TPM_RIGHTBUTTON, 50, 50,
                                       owner.GetSafeHwnd()),
              1002);

    // Without TPM_RETURNCMD the choice is posted to the owner as WM_COMMAND.
    ChooseWhenOpen(QStringLiteral("スタンバイ"));
    EXPECT_NE(kTrayMenu.TrackPopupMenu(ui::TPM_RIGHTBUTTON, 50, 50, owner.GetSafeHwnd()), 0);
    ASSERT_TRUE(WaitUntil([&] {
        return std::any_of(owner.messages.begin(), owner.messages.end(), [](const ui::MSG& m) {
            return m.message == ui::WM_COMMAND && ui::LOWORD(m.wParam) == 1001;
        });
    }));

    // Dismissed: nothing chosen, nothing posted.
    QTimer::singleShot(0, [] { QApplication::activePopupWidget()->close(); });
    EXPECT_EQ(kTrayMenu.TrackPopupMenu(ui::TPM_RETURNCMD, 50, 50, owner.GetSafeHwnd()), 0);

    ui::SetPopupMenuAnswer(
        [](const ui::PopupMenuRequest& request) { return request.items.at(1).id; });
    EXPECT_EQ(kTrayMenu.TrackPopupMenu(ui::TPM_RETURNCMD, 0, 0, owner.GetSafeHwnd()), 1002);
    ui::SetPopupMenuAnswer(nullptr);
    owner.DestroyWindow();
}

TEST(NotifyIconTest, ClicksArriveAsTheCallbackMessageWithTheMouseMessage) {
    TableDialog owner;
    ASSERT_TRUE(owner.Create());
    constexpr ui::UINT kTrayNotify = 0x465;
    ui::NOTIFYICONDATAW data;
    data.hWnd = owner.GetSafeHwnd();
    data.uID = 100;
    data.uFlags = ui::NIF_MESSAGE | ui::NIF_ICON | ui::NIF_TIP;
    data.uCallbackMessage = kTrayNotify;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::darkBlue);
    data.hIcon = QIcon(pixmap);
    data.szTip = L"次の予約 " + std::wstring(200, L'あ');
    ASSERT_TRUE(ui::Shell_NotifyIconW(ui::NIM_ADD, data));
    EXPECT_FALSE(ui::Shell_NotifyIconW(ui::NIM_ADD, data));
    QSystemTrayIcon* icon = ui::FindNotifyIcon(data.hWnd, 100);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->toolTip().size(), 127);

    data.uFlags = ui::NIF_TIP;
    data.szTip = L"次の予約 なし";
    ASSERT_TRUE(ui::Shell_NotifyIconW(ui::NIM_MODIFY, data));
    EXPECT_EQ(icon->toolTip(), QStringLiteral("次の予約 なし"));

    emit icon->activated(QSystemTrayIcon::Trigger);
    emit icon->activated(QSystemTrayIcon::Context);
    std::vector<ui::MSG> clicks;
    ASSERT_TRUE(WaitUntil([&] {
        clicks.clear();
        for (const ui::MSG& m : owner.messages) {
            if (m.message == kTrayNotify) clicks.push_back(m);
        }
        return clicks.size() == 2;
    }));
    EXPECT_EQ(clicks[0].wParam, 100u);
    EXPECT_EQ(ui::LOWORD(static_cast<std::uintptr_t>(clicks[0].lParam)), ui::WM_LBUTTONDOWN);
    EXPECT_EQ(ui::LOWORD(static_cast<std::uintptr_t>(clicks[1].lParam)), ui::WM_RBUTTONDOWN);

    ASSERT_TRUE(ui::Shell_NotifyIconW(ui::NIM_DELETE, data));
    EXPECT_EQ(ui::FindNotifyIcon(data.hWnd, 100), nullptr);
    EXPECT_FALSE(ui::Shell_NotifyIconW(ui::NIM_MODIFY, data));
    owner.DestroyWindow();
}

TEST(FontTest, AMissingFaceFallsBackToAJapaneseFontAndKeepsItsName) {
    ui::LOGFONTW stored;  // "-12,0,0,0,400" "0,0,0,128" "0,0,0,50" "MS UI Gothic"
    stored.lfHeight = -12;
    stored.lfWeight = 400;
    stored.lfCharSet = ui::SHIFTJIS_CHARSET;
    stored.lfPitchAndFamily = 50;
    ui::SetFaceName(stored, L"MS UI Gothic");
    const QFont font = ui::FontFromLogFont(stored);
    EXPECT_EQ(QFontInfo(font).family(), ui::JapaneseFallbackFamily());
    EXPECT_TRUE(QFontMetrics(font).inFontUcs4(U'録'));
    EXPECT_EQ(QFontInfo(font).pixelSize(), 12);

    const ui::LOGFONTW back = ui::LogFontFromFont(font, stored);
    EXPECT_EQ(std::wstring(back.lfFaceName), L"MS UI Gothic");
    EXPECT_EQ(back.lfHeight, -12);
    EXPECT_EQ(back.lfWeight, 400);
    EXPECT_EQ(back.lfCharSet, ui::SHIFTJIS_CHARSET);
    EXPECT_EQ(back.lfPitchAndFamily, 50);

    ui::LOGFONTW bold = stored;
    bold.lfWeight = ui::FW_BOLD;
    bold.lfItalic = 1;
    bold.lfUnderline = 1;
    bold.lfStrikeOut = 1;
    bold.lfHeight = 20;  // a cell height
    const QFont boldFont = ui::FontFromLogFont(bold);
    EXPECT_TRUE(boldFont.bold());
    EXPECT_TRUE(boldFont.italic());
    EXPECT_TRUE(boldFont.underline());
    EXPECT_TRUE(boldFont.strikeOut());
    const QFontMetrics metrics(boldFont);
    EXPECT_NEAR(metrics.ascent() + metrics.descent(), 20, 2);

    // A face name longer than a LOGFONT holds is cut to 31 characters.
    ui::SetFaceName(bold, std::wstring(40, L'x'));
    EXPECT_EQ(std::wstring(bold.lfFaceName).size(), 31u);
}

// A hand-edited ini can hold any 32-bit number; the font stays drawable and nothing overflows.
TEST(FontTest, HeightsAndWeightsOutOfRangeAreClamped) {
    const struct {
        ui::LONG height;
        ui::LONG weight;
        int pixels;
    } cases[] = {
        {std::numeric_limits<ui::LONG>::min(), std::numeric_limits<ui::LONG>::min(), 2048},
        {std::numeric_limits<ui::LONG>::max(), std::numeric_limits<ui::LONG>::max(), 2048},
        {-5000, 400, 2048},
        {-1, -1, 1},
    };
    for (const auto& c : cases) {
        ui::LOGFONTW stored;
        stored.lfHeight = c.height;
        stored.lfWeight = c.weight;
        const QFont font = ui::FontFromLogFont(stored);
        EXPECT_EQ(font.pixelSize(), c.pixels) << c.height;
        EXPECT_GE(font.weight(), 1) << c.weight;
        EXPECT_LE(font.weight(), 1000) << c.weight;
    }
}

TEST(FontTest, ColoursMapBothWays) {
    EXPECT_EQ(ui::RGB(1, 2, 3), 0x030201u);
    EXPECT_EQ(ui::ColorFromColorRef(ui::RGB(255, 128, 0)), QColor(255, 128, 0));
    EXPECT_EQ(ui::ColorRefFromColor(QColor(0, 64, 255)), ui::RGB(0, 64, 255));
}

TEST(PickersTest, TestsAnswerEveryPicker) {
    std::vector<std::wstring> asked;
    ui::SetFolderPickerAnswer([&](const ui::FolderPickerRequest& request) {
        asked.push_back(request.title);
        return std::optional<std::wstring>(L"/home/user/EPG");
    });
    ui::SetOpenFileAnswer([&](const ui::OpenFileRequest& request) {
        asked.push_back(request.filters.at(0).description);
        return std::optional<std::wstring>();
    });
    ui::SetFontPickerAnswer([&](const ui::FontPickerRequest& request) {
        ui::FontChoice choice = request.initial;
        choice.font.lfWeight = ui::FW_BOLD;
        choice.color = ui::RGB(255, 0, 0);
        return std::optional<ui::FontChoice>(choice);
    });
    EXPECT_EQ(ui::BrowseForFolder(0, L"EPGデータを保存するフォルダを選択してください"),
              L"/home/user/EPG");
    EXPECT_FALSE(
        ui::GetOpenFileName(0, {{L"exe files (*.exe)", L"*.exe"}, {L"All files (*.*)", L"*.*"}})
            .has_value());
    const auto font = ui::ChooseFont(0, ui::FontChoice{});
    ASSERT_TRUE(font.has_value());
    EXPECT_EQ(font->font.lfWeight, ui::FW_BOLD);
    EXPECT_EQ(font->color, ui::RGB(255, 0, 0));
    EXPECT_EQ(asked, (std::vector<std::wstring>{L"EPGデータを保存するフォルダを選択してください",
                                                L"exe files (*.exe)"}));
    ui::SetFolderPickerAnswer(nullptr);
    ui::SetOpenFileAnswer(nullptr);
    ui::SetFontPickerAnswer(nullptr);
}

// The names the open-file picker lists now, sorted, one line.
std::string ListedNames(const QFileDialog& picker) {
    const auto* view = picker.findChild<QListView*>(QStringLiteral("listView"));
    QStringList names;
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
        names << view->model()->index(row, 0, view->rootIndex()).data().toString();
    names.sort();
    return names.join(QStringLiteral(", ")).toStdString();
}

// Selects the listed file `name` as a click on it does.
void ClickName(const QFileDialog& picker, const QString& name) {
    auto* view = picker.findChild<QListView*>(QStringLiteral("listView"));
    const QModelIndexList found = view->model()->match(
        view->model()->index(0, 0, view->rootIndex()), Qt::DisplayRole, name, 1, Qt::MatchExactly);
    if (!found.isEmpty()) view->setCurrentIndex(found.front());
}

// Chooses the picker's next filter as a user does with the keyboard.
void ChooseNextFilter(const QFileDialog& picker) {
    auto* filters = picker.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(filters, &down);
}

TEST(PickersTest, TheProgramFilterListsProgramsThatHaveNoExtension) {
    // Only FriioView may be run (README has a script's first line but no execute permission).
    const std::filesystem::path folder = test_support::FreshFolder("programs");
    for (const char* name : {"FriioView", "Viewer.EXE", "notes.txt", "README"})
        std::ofstream(folder / name) << "#!/bin/sh\n";
    std::filesystem::permissions(folder / "FriioView", std::filesystem::perms::owner_all |
                                                           std::filesystem::perms::group_read |
                                                           std::filesystem::perms::group_exec);
    std::filesystem::create_directory(folder / "plugins");
    const std::string programs = "FriioView, Viewer.EXE, plugins";
    const std::string everything = "FriioView, README, Viewer.EXE, notes.txt, plugins";
    std::string listedAsPrograms;
    std::string listedAsAll;
    QTimer::singleShot(0, [&] {
        auto* picker = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(picker, nullptr);
        picker->setDirectory(QString::fromStdString(folder.string()));
        WaitUntil([&] { return ListedNames(*picker) == programs; });
        listedAsPrograms = ListedNames(*picker);
        ChooseNextFilter(*picker);
        EXPECT_EQ(picker->selectedNameFilter(), QStringLiteral("All files (*.*)"));
        WaitUntil([&] { return ListedNames(*picker) == everything; });
        listedAsAll = ListedNames(*picker);
        ClickName(*picker, QStringLiteral("FriioView"));
        static_cast<QDialog*>(picker)->accept();
        if (picker->isVisible()) picker->reject();  // nothing to accept
    });
    const auto chosen =
        ui::GetOpenFileName(0, {{L"exe files (*.exe)", L"*.exe"}, {L"All files (*.*)", L"*.*"}});
    EXPECT_EQ(listedAsPrograms, programs);
    EXPECT_EQ(listedAsAll, everything);
    EXPECT_EQ(chosen, (folder / "FriioView").wstring());
}

TEST(PickersTest, TheFontDialogOffersEffectsAndColourAndReturnsTheChoice) {
    ui::FontChoice initial;
    initial.font.lfHeight = -12;
    initial.font.lfCharSet = ui::SHIFTJIS_CHARSET;
    ui::SetFaceName(initial.font, L"MS UI Gothic");
    initial.color = ui::RGB(0, 0, 128);
    QTimer::singleShot(0, [] {
        QWidget* picker = QApplication::activeModalWidget();
        ASSERT_NE(picker, nullptr);
        auto* colours = picker->findChild<QComboBox*>(QStringLiteral("colour"));
        ASSERT_NE(colours, nullptr);
        EXPECT_EQ(colours->currentText(), QStringLiteral("紺"));
        colours->setCurrentIndex(colours->findText(QStringLiteral("赤")));
        static_cast<QDialog*>(picker)->accept();
    });
    const auto chosen = ui::ChooseFont(0, initial);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->color, ui::RGB(255, 0, 0));
    EXPECT_EQ(chosen->font.lfCharSet, ui::SHIFTJIS_CHARSET);
    EXPECT_EQ(chosen->font.lfHeight, -12);
}

}  // namespace
}  // namespace ui_test
