#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>

#include "platform/window_messages.h"
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

    const QString path = QDir(OutputDir()).filePath(QStringLiteral("table_dialog.png"));
    ASSERT_TRUE(ui::RenderToPng(dialog, path));
    const QImage image(path);
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

TEST(DialogLayoutTest, EveryShownDialogSavesItselfOnceWhenAskedTo) {
    const QString dir =
        QDir(OutputDir())
            .filePath(
                QStringLiteral("auto-screenshots-%1").arg(QCoreApplication::applicationPid()));
    QDir(dir).removeRecursively();
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
    QDir(dir).removeRecursively();
}

TEST(DialogLayoutTest, WmPrintDrawsTheDialogAsItIsNowIntoThePictureFolder) {
    const QString dir =
        QDir(OutputDir())
            .filePath(
                QStringLiteral("print-screenshots-%1").arg(QCoreApplication::applicationPid()));
    QDir(dir).removeRecursively();
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
    QDir(dir).removeRecursively();
}

}  // namespace
}  // namespace ui_test
