#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>

#include "platform/window_messages.h"
#include "tests/support/fresh_folder.h"
#include "tests/support/review_picture.h"
#include "tests/support/scoped_environment.h"
#include "tests/ui/table_dialog.h"
#include "tests/ui/ui_test_support.h"
#include "ui/screenshot.h"

namespace ui_test {
namespace {

TEST(DialogLayoutTest, TableControlsStandAtTheirPixelPositionsAndRenderJapanese) {
    TableDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.ShowWindow(ui::SW_SHOW);
    ASSERT_TRUE(WaitUntil([&] { return dialog.isVisible(); }));

    EXPECT_EQ(dialog.GetClientRect(), QRect(0, 0, kTableWidth, kTableHeight));
    for (const ui::ControlSpec& spec : TableControls()) {
        QWidget* control = dialog.GetDlgItem(spec.id);
        ASSERT_NE(control, nullptr) << spec.id;
        EXPECT_EQ(control->geometry(), QRect(spec.x, spec.y, spec.width, spec.height)) << spec.id;
        EXPECT_TRUE(control->isVisible()) << spec.id;
    }

    // The dialog font has the Japanese glyphs it needs, whatever face the table asked for.
    const QFont font = dialog.GetDlgItem(kStatic)->font();
    EXPECT_TRUE(QFontMetrics(font).inFontUcs4(U'番'));
    EXPECT_TRUE(QFontMetrics(font).inFontUcs4(U'ｂ'));
    EXPECT_EQ(QFontInfo(font).pixelSize(), 12);

    EXPECT_TRUE(test_support::SaveReviewPicture(dialog, ui::ScreenshotDirectory(),
                                                QStringLiteral("table_dialog")));
    const QImage image = dialog.grab().toImage();
    EXPECT_EQ(image.size(), QSize(kTableWidth, kTableHeight) * image.devicePixelRatio());

    // Text is drawn: the static's area holds dark pixels.
    int dark = 0;
    for (int y = 11; y < 25; ++y) {
        for (int x = 11; x < 95; ++x)
            dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    }
    EXPECT_GT(dark, 20);
    dialog.DestroyWindow();
}

TEST(DialogLayoutTest, ControlsMoveHideAndTakeFontAndColour) {
    TableDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.MoveItem(kEdit, 1, 19, 298, 80);
    EXPECT_EQ(dialog.GetDlgItem(kEdit)->geometry(), QRect(1, 19, 298, 80));
    dialog.ShowItem(kToggle, false);
    dialog.EnableItem(kButton, false);
    dialog.ShowWindow(ui::SW_SHOW);
    EXPECT_FALSE(dialog.GetDlgItem(kToggle)->isVisible());
    EXPECT_FALSE(dialog.GetDlgItem(kButton)->isEnabled());
    dialog.ShowItem(kToggle, true);
    EXPECT_TRUE(dialog.GetDlgItem(kToggle)->isVisible());

    QFont big = dialog.font();
    big.setPixelSize(20);
    dialog.SetItemFont(kMultiEdit, big);
    EXPECT_EQ(QFontInfo(dialog.GetDlgItem(kMultiEdit)->font()).pixelSize(), 20);
    dialog.SetItemTextColor(kMultiEdit, ui::RGB(255, 0, 0));
    EXPECT_EQ(dialog.GetDlgItem(kMultiEdit)->palette().color(QPalette::Text), QColor(255, 0, 0));
    dialog.DestroyWindow();
}

// A fresh folder of the test program's own for pictures.
QString PictureFolder(const std::string& name) {
    return QString::fromStdString(test_support::FreshFolder(name).string());
}

TEST(DialogLayoutTest, EveryShownDialogSavesItselfOnceWhenAskedTo) {
    const QString dir = PictureFolder("auto-pictures");
    {
        test_support::ScopedEnvironment env;
        env.Set("ORVANDEL_SCREENSHOT_DIR", dir.toStdString());
        TableDialog first;
        TableDialog second;
        ASSERT_TRUE(first.Create());
        ASSERT_TRUE(second.Create());
        first.ShowWindow(ui::SW_SHOW);
        second.ShowWindow(ui::SW_SHOW);
        first.ShowWindow(ui::SW_HIDE);
        first.ShowWindow(ui::SW_SHOW);
        EXPECT_TRUE(WaitUntil([&] { return QDir(dir).entryList(QDir::Files).size() == 2; }));
        first.DestroyWindow();
        second.DestroyWindow();
    }
    EXPECT_EQ(QDir(dir).entryList(QDir::Files),
              QStringList({"ui_test_TableDialog-2.png", "ui_test_TableDialog.png"}));
}

TEST(DialogLayoutTest, PicturesNeverReplaceOnesAlreadyThere) {
    // Left by another process saving into the same folder: its numbers counted on their own.
    const QString dir = PictureFolder("shared-pictures");
    QFile other(QDir(dir).filePath("ui_test_TableDialog.png"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("the other process's picture");
    other.close();
    test_support::ScopedEnvironment env;
    env.Set("ORVANDEL_SCREENSHOT_DIR", dir.toStdString());
    TableDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.ShowWindow(ui::SW_SHOW);
    const QString mine = QDir(dir).filePath("ui_test_TableDialog-2.png");
    EXPECT_TRUE(WaitUntil([&] { return QFile::exists(mine); }));
    EXPECT_EQ(dialog.SendMessage(ui::WM_PRINT), 1);
    dialog.DestroyWindow();
    EXPECT_EQ(QDir(dir).entryList(QDir::Files),
              QStringList({"ui_test_TableDialog-2.png", "ui_test_TableDialog-3.png",
                           "ui_test_TableDialog.png"}));
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    EXPECT_EQ(other.readAll(), "the other process's picture");
    EXPECT_FALSE(QImage(mine).isNull());
}

TEST(DialogLayoutTest, ADialogGoneBeforeItsThreadIdledStillLeavesItsPicture) {
    // A notice shown over a long piece of work and hidden after it, the event loop not run.
    const QString dir = PictureFolder("busy-pictures");
    test_support::ScopedEnvironment env;
    env.Set("ORVANDEL_SCREENSHOT_DIR", dir.toStdString());
    TableDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.ShowWindow(ui::SW_SHOW);
    dialog.DestroyWindow();
    const QImage picture(QDir(dir).filePath("ui_test_TableDialog.png"));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(kTableWidth, kTableHeight) * picture.devicePixelRatio());
    // Once: the look-after-showing that was due finds nothing left to do.
    QCoreApplication::processEvents();
    EXPECT_EQ(QDir(dir).entryList(QDir::Files).size(), 1);
}

TEST(DialogLayoutTest, WmPrintDrawsTheDialogAsItIsNowIntoThePictureFolder) {
    const QString dir = PictureFolder("printed-pictures");
    TableDialog dialog;
    ASSERT_TRUE(dialog.Create());
    // Without a picture folder there is nowhere to draw.
    EXPECT_EQ(dialog.SendMessage(ui::WM_PRINT), 0);
    {
        test_support::ScopedEnvironment env;
        env.Set("ORVANDEL_SCREENSHOT_DIR", dir.toStdString());
        EXPECT_EQ(dialog.SendMessage(ui::WM_PRINT), 1);
    }
    dialog.DestroyWindow();
    const QStringList pictures = QDir(dir).entryList(QDir::Files);
    ASSERT_EQ(pictures.size(), 1);
    EXPECT_TRUE(pictures[0].startsWith("ui_test_TableDialog"));
}

}  // namespace
}  // namespace ui_test
