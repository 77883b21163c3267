// Pictures of dialogs for tests and reviews. RenderToPng draws any widget (shown or not) into a
// PNG file. With ORVANDEL_SCREENSHOT_DIR=<folder> set, every Dialog saves itself once, when it is
// first shown, as <folder>/<class name>.png (<class name>-2.png and so on for later instances of
// the same class in one process).
#pragma once

#include <QString>
#include <QWidget>

namespace ui {

bool RenderToPng(QWidget& widget, const QString& path);

// The folder named by ORVANDEL_SCREENSHOT_DIR, empty when unset.
QString ScreenshotDirectory();

// Saves `widget` into the screenshot folder under a name made from `name`; false when no folder
// is set or the file cannot be written.
bool SaveAutomaticScreenshot(QWidget& widget, const QString& name);

}  // namespace ui
