// Dialog: the Qt events of the window turned into the messages the dialogs handle.
#include <cxxabi.h>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "ui/dialog.h"
#include "ui/screenshot.h"

namespace ui {
namespace {

// The virtual key of the keys the dialog manager handles; 0 for the others.
WPARAM VirtualKey(const QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        default:
            return 0;
    }
}

bool IsDialogKey(const QEvent* event) {
    return event->type() == QEvent::KeyPress &&
           VirtualKey(static_cast<const QKeyEvent*>(event)) != 0;
}

QString ClassName(const Dialog& dialog) {
    const char* mangled = typeid(dialog).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    QString result = QString::fromLatin1(status == 0 && name ? name.get() : mangled);
    result.remove(QLatin1String("(anonymous namespace)::"));
    result.replace(QLatin1String("::"), QLatin1String("_"));
    return result;
}

std::vector<std::wstring> LocalPaths(const QMimeData* data) {
    std::vector<std::wstring> paths;
    if (data == nullptr) return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdWString());
    }
    return paths;
}

}  // namespace

bool Dialog::IsTranslationTarget(QObject* watched) const {
    // A key goes to the focus widget and, when ignored, up to its parents: translate it once,
    // where it arrives first.
    QWidget* focus = focusWidget();
    return watched == (focus != nullptr ? focus : this);
}

bool Dialog::eventFilter(QObject* watched, QEvent* event) {
    if (IsDialogKey(event) && IsTranslationTarget(watched)) {
        MSG msg{hwnd_, WM_KEYDOWN, VirtualKey(static_cast<QKeyEvent*>(event)), 0};
        if (PreTranslateMessage(msg)) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Dialog::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape were the dialog manager's in PreTranslateMessage; what reaches the dialog
    // now was left to the controls on purpose and ends here.
    if (VirtualKey(event) != 0) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Dialog::closeEvent(QCloseEvent* event) {
    // Closing is the dialog's own decision (EndDialog, DestroyWindow); the close box only asks.
    event->ignore();
    if (closeRemoved_ || hwnd_ == 0) return;
    WindowProc(WM_SYSCOMMAND, SC_CLOSE, 0);
}

void Dialog::reject() {
    DispatchCommand(IDCANCEL, BN_CLICKED);
}

void Dialog::accept() {
    DispatchCommand(IDOK, BN_CLICKED);
}

void Dialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (hwnd_ != 0) platform::SetWindowVisibleState(hwnd_, true);
    if (!screenshotTaken_ && !ScreenshotDirectory().isEmpty()) {
        screenshotTaken_ = true;
        pictureDue_ = true;
        // After the show has settled (pending resizes and layouts done).
        QTimer::singleShot(0, this, [this] { TakeDuePicture(); });
    }
}

void Dialog::TakeDuePicture() {
    if (!pictureDue_) return;
    pictureDue_ = false;
    SaveAutomaticScreenshot(*this, ClassName(*this));
}

bool Dialog::SavePicture() {
    return SaveAutomaticScreenshot(*this, ClassName(*this));
}

void Dialog::hideEvent(QHideEvent* event) {
    // A window shown and hidden again while its thread was busy (a notice over a long load)
    // never saw the event loop: its picture is taken now, while it still shows what it showed.
    TakeDuePicture();
    QDialog::hideEvent(event);
    if (hwnd_ != 0) platform::SetWindowVisibleState(hwnd_, false);
}

void Dialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (hwnd_ == 0 || isMinimized()) return;
    const WPARAM kind = isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED;
    WindowProc(WM_SIZE, kind, MAKELPARAM(static_cast<WORD>(width()), static_cast<WORD>(height())));
}

void Dialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || hwnd_ == 0) return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const bool wasMinimized = (change->oldState() & Qt::WindowMinimized) != 0;
    if (isMinimized() && !wasMinimized) {
        WindowProc(WM_SIZE, SIZE_MINIMIZED, 0);
    } else if (!isMinimized() && wasMinimized) {
        WindowProc(WM_SIZE, isMaximized() ? SIZE_MAXIMIZED : SIZE_RESTORED,
                   MAKELPARAM(static_cast<WORD>(width()), static_cast<WORD>(height())));
    }
}

void Dialog::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalPaths(event->mimeData()).empty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void Dialog::dropEvent(QDropEvent* event) {
    const std::vector<std::wstring> paths = LocalPaths(event->mimeData());
    if (paths.empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    WindowProc(WM_DROPFILES, reinterpret_cast<WPARAM>(&paths), 0);
}

}  // namespace ui
