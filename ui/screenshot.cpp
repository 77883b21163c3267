#include "ui/screenshot.h"

#include <QDir>
#include <QHash>
#include <QPixmap>
#include <cstdlib>

namespace ui {

bool RenderToPng(QWidget& widget, const QString& path) {
    widget.ensurePolished();
    const QPixmap picture = widget.grab();
    return !picture.isNull() && picture.save(path, "PNG");
}

QString ScreenshotDirectory() {
    const char* dir = std::getenv("ORVANDEL_SCREENSHOT_DIR");
    return dir != nullptr ? QString::fromLocal8Bit(dir) : QString();
}

bool SaveAutomaticScreenshot(QWidget& widget, const QString& name) {
    const QString dir = ScreenshotDirectory();
    if (dir.isEmpty()) return false;
    static QHash<QString, int> taken;
    const int n = ++taken[name];
    const QString file = n == 1 ? name : QStringLiteral("%1-%2").arg(name).arg(n);
    QDir().mkpath(dir);
    return RenderToPng(widget, QDir(dir).filePath(file + QStringLiteral(".png")));
}

}  // namespace ui
