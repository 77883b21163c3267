// Pictures the dialog tests make for review. A picture is always drawn, so that a test sees the
// widget render, but written only where the run asked for pictures (ORVANDEL_SCREENSHOT_DIR):
// never beside the test program, whose folder may be read-only.
#pragma once

#include <QDir>
#include <QString>
#include <QWidget>

#include "ui/screenshot.h"

namespace test_support {

// Draws `widget` and, when `folder` is not empty, writes it there as <name>.png (replacing the
// picture of an earlier run). False when nothing is drawn or the file cannot be written.
inline bool SaveReviewPicture(QWidget& widget, const QString& folder, const QString& name) {
    if (folder.isEmpty()) {
        widget.ensurePolished();
        return !widget.grab().isNull();
    }
    return QDir().mkpath(folder) &&
           ui::RenderToPng(widget, QDir(folder).filePath(name + QStringLiteral(".png")));
}

}  // namespace test_support
