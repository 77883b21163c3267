#include "ui/message_box_window.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStyle>
#include <algorithm>
#include <array>

#include "ui/log_font.h"
#include "ui/qt_text.h"

namespace ui {
namespace {

constexpr int kMargin = 16;
constexpr int kIconSize = 32;
constexpr int kMaxTextWidth = 480;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kTextId = 0xFFFF;

// The template of one box, laid out for its text; lives for the constructor's full expression.
class BoxLayout {
  public:
    BoxLayout(std::wstring_view text, std::wstring_view caption, bool icon) {
        QString shown = ToQString(text);
        shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text_ = ToWide(shown);
        const QFontMetrics metrics(DefaultDialogFont());
        const QRect bounds =
            metrics.boundingRect(QRect(0, 0, kMaxTextWidth, 100000), Qt::TextWordWrap, shown);
        const int textX = kMargin + (icon ? kIconSize + kMargin : 0);
        const int textWidth = bounds.width() + 4;
        const int textHeight = std::max(bounds.height() + 2, icon ? kIconSize : 0);
        const int width = std::max(textX + textWidth + kMargin, kButtonWidth + 2 * kMargin + 80);
        const int height = kMargin + textHeight + kMargin + kButtonHeight + kMargin / 2 + 4;
        controls_[0] = {kTextId, ControlKind::Static, text_, textX, kMargin, textWidth, textHeight};
        controls_[1] = {IDOK,
                        ControlKind::PushButton,
                        L"OK",
                        (width - kButtonWidth) / 2,
                        height - kButtonHeight - kMargin / 2 - 4,
                        kButtonWidth,
                        kButtonHeight};
        template_ = DialogTemplate{caption, width, height, 0, controls_};
    }

    const DialogTemplate& Template() const { return template_; }

  private:
    std::wstring text_;
    std::array<ControlSpec, 2> controls_;
    DialogTemplate template_;
};

QStyle::StandardPixmap IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONERROR:
            return QStyle::SP_MessageBoxCritical;
        case MB_ICONWARNING:
            return QStyle::SP_MessageBoxWarning;
        default:
            return QStyle::SP_MessageBoxInformation;
    }
}

}  // namespace

MessageBoxWindow::MessageBoxWindow(std::wstring_view text, std::wstring_view caption, UINT type,
                                   bool nonBlocking)
    : Dialog(BoxLayout(text, caption, (type & MB_ICONMASK) != 0).Template()),
      text_(text),
      nonBlocking_(nonBlocking) {
    if ((type & MB_ICONMASK) != 0) AddIcon(type);
    if (nonBlocking_) setProperty("orvandelNonBlockingBox", windowTitle());
}

void MessageBoxWindow::AddIcon(UINT type) {
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(IconOf(type)).pixmap(kIconSize, kIconSize));
    icon->setGeometry(kMargin, kMargin, kIconSize, kIconSize);
}

void MessageBoxWindow::Finish() {
    if (finished_) return;
    finished_ = true;
    if (!nonBlocking_) {
        EndDialog(IDOK);
        return;
    }
    DestroyWindow();
    deleteLater();
}

LRESULT MessageBoxWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUIT || message == WM_CLOSE) {
        Finish();
        return 0;
    }
    return Dialog::WindowProc(message, wParam, lParam);
}

}  // namespace ui
