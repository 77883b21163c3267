#include "ui/screenshot.h"

#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryFile>
#include <cstdlib>

namespace ui {
namespace {

// Far more pictures of one name than any run takes; a bound keeps a folder that refuses every
// name from holding the caller forever.
constexpr int kMaxNumber = 100000;

QString NumberedName(const QString& name, int number) {
    return number == 1 ? name + QStringLiteral(".png")
                       : QStringLiteral("%1-%2.png").arg(name).arg(number);
}

bool DrawInto(QWidget& widget, QFile& file) {
    widget.ensurePolished();
    const QPixmap picture = widget.grab();
    return !picture.isNull() && picture.save(&file, "PNG") && file.flush();
}

// Renaming never replaces an existing file, so of two processes claiming one name only one gets
// it; the other goes on to the next number.
bool ClaimFirstFreeName(const QString& drawn, const QDir& folder, const QString& name) {
    for (int number = 1; number <= kMaxNumber; ++number) {
        const QString path = folder.filePath(NumberedName(name, number));
        if (QFile::rename(drawn, path)) return true;
        if (!QFile::exists(path)) return false;  // refused for another reason than the name
    }
    return false;
}

}  // namespace

bool RenderToPng(QWidget& widget, const QString& path) {
    widget.ensurePolished();
    const QPixmap picture = widget.grab();
    return !picture.isNull() && picture.save(path, "PNG");
}

QString ScreenshotDirectory() {
    const char* dir = std::getenv("ORVANDEL_SCREENSHOT_DIR");
    return dir != nullptr ? QString::fromLocal8Bit(dir) : QString();
}

bool SaveNewPicture(QWidget& widget, const QString& folder, const QString& name) {
    const QDir dir(folder);
    if (!QDir().mkpath(folder)) return false;
    // Drawn completely under a hidden name first: a reader never sees half a picture.
    QTemporaryFile file(dir.filePath(QStringLiteral(".%1-XXXXXX.part").arg(name)));
    if (!file.open() || !DrawInto(widget, file)) return false;
    file.close();
    // Readable as a picture saved directly would be, not private as a temporary file is.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    if (!ClaimFirstFreeName(file.fileName(), dir, name)) return false;
    file.setAutoRemove(false);  // its name now belongs to the picture
    return true;
}

bool SaveAutomaticScreenshot(QWidget& widget, const QString& name) {
    const QString folder = ScreenshotDirectory();
    return !folder.isEmpty() && SaveNewPicture(widget, folder, name);
}

}  // namespace ui
