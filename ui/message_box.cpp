#include "ui/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include "platform/text_case.h"
#include "ui/answer_hook.h"
#include "ui/message_box_window.h"
#include "ui/qt_text.h"
#include "ui/screenshot.h"
#include "ui/window_registration.h"

namespace ui {
namespace {

AnswerHook<MessageBoxRequest, int>& Hook() {
    static AnswerHook<MessageBoxRequest, int> hook;
    return hook;
}

}  // namespace

int MessageBox(HWND owner, std::wstring_view text, std::wstring_view caption, UINT type) {
    if (Hook().Active()) {
        return Hook().Answer({owner, std::wstring(text), std::wstring(caption), type});
    }
    MessageBoxWindow box(text, caption, type, false);
    return box.DoModal(owner) == -1 ? 0 : IDOK;
}

int MessageBoxWithoutWindowServices(std::wstring_view text, std::wstring_view caption) {
    if (Hook().Active()) {
        return Hook().Answer({0, std::wstring(text), std::wstring(caption), MB_ICONERROR});
    }
    QString shown = ToQString(text);
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(QMessageBox::Critical, ToQString(caption), shown, QMessageBox::Ok);
    QTimer::singleShot(
        0, &box, [&box] { SaveAutomaticScreenshot(box, "ui_MessageBoxWithoutWindowServices"); });
    box.exec();
    return IDOK;
}

int CloseNonBlockingMessageBoxes(std::wstring_view caption) {
    int closed = 0;
    // Found by a property rather than by class, so boxes of another copy of this library in the
    // process (a plug-in) are found as well.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const QVariant boxCaption = widget->property("orvandelNonBlockingBox");
        if (!boxCaption.isValid() ||
            !platform::EqualsNoCase(ToWide(boxCaption.toString()), caption)) {
            continue;
        }
        if (auto* dialog = dynamic_cast<Dialog*>(widget); dialog != nullptr) {
            dialog->SendMessage(WM_CLOSE);
            ++closed;
        }
    }
    return closed;
}

HWND ShowMessageBoxNonBlocking(std::wstring_view text, std::wstring_view caption) {
    CloseNonBlockingMessageBoxes(caption);
    PostQuitToForeignWindowsTitled(caption);
    auto* box = new MessageBoxWindow(text, caption, MB_OK, true);
    if (!box->Create(0)) {
        delete box;
        return 0;
    }
    box->ShowWindow(SW_SHOW);
    return box->GetSafeHwnd();
}

std::wstring ApplicationTitle() {
    return ToWide(QCoreApplication::applicationName());
}

void SetMessageBoxAnswer(std::function<int(const MessageBoxRequest&)> answer) {
    Hook().Set(std::move(answer));
}

}  // namespace ui
