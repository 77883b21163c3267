// Pictures of dialogs for tests and reviews. RenderToPng draws any widget (shown or not) into a
// PNG file. With ORVANDEL_SCREENSHOT_DIR=<folder> set, every Dialog saves itself once, when it is
// first shown, as <folder>/<class name>.png; a later picture of the same name, from this process
// or another one saving into the same folder, becomes <class name>-2.png and so on: a picture
// never replaces another.
#pragma once

#include <QString>
#include <QWidget>

namespace ui {

bool RenderToPng(QWidget& widget, const QString& path);

// The folder named by ORVANDEL_SCREENSHOT_DIR, empty when unset.
QString ScreenshotDirectory();

// Saves `widget` into `folder` (created when missing) as <name>.png, or as <name>-<n>.png with
// the lowest n from 2 on whose file does not exist yet; the file appears complete. False when
// the picture cannot be written.
bool SaveNewPicture(QWidget& widget, const QString& folder, const QString& name);

// SaveNewPicture into the screenshot folder; false when no folder is set.
bool SaveAutomaticScreenshot(QWidget& widget, const QString& name);

}  // namespace ui
