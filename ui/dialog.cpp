#include "ui/dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include "ui/control_factory.h"
#include "ui/control_text.h"
#include "ui/list_box.h"
#include "ui/list_view.h"
#include "ui/log_font.h"
#include "ui/message_box.h"
#include "ui/message_pump.h"
#include "ui/qt_text.h"
#include "ui/screenshot.h"

namespace ui {
namespace {

constexpr const char* kHandleProperty = "orvandelHwnd";

UINT CheckStateImage(int checked) {
    return INDEXTOSTATEIMAGEMASK(checked != 0 ? 2 : 1);
}

}  // namespace

Dialog::Dialog(const DialogTemplate& dialogTemplate) : QDialog(nullptr) {
    resizable_ = (dialogTemplate.style & dialog_style::Resizable) != 0;
    minimizeBox_ = (dialogTemplate.style & dialog_style::MinimizeBox) != 0;
    setFont(DefaultDialogFont());
    setWindowTitle(ToQString(dialogTemplate.caption));
    ApplyWindowFlags();
    SetClientSize(dialogTemplate.width, dialogTemplate.height);
    installEventFilter(this);
    for (const CreatedControl& control : CreateControls(dialogTemplate.controls, this)) {
        ConnectControl(control.id, control.widget);
    }
}

Dialog::~Dialog() {
    // The derived part is gone, so OnDestroy cannot run any more; only the handle is released.
    if (hwnd_ != 0) platform::DestroyWindowHandle(hwnd_);
}

Dialog* Dialog::FromHandle(HWND hwnd) {
    if (hwnd == 0) return nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->property(kHandleProperty).toUInt() == hwnd)
            return dynamic_cast<Dialog*>(widget);
    }
    return nullptr;
}

// --- running ------------------------------------------------------------------------------

int Dialog::DoModal(HWND owner) {
    if (hwnd_ != 0 || !CreateHandle(owner, true)) return -1;
    modal_ = true;
    ended_ = false;
    result_ = IDCANCEL;
    OnInitDialog();
    int result = result_;
    // Modal to its owner only, as Windows dialogs are: other windows (a non-blocking message
    // box, the windows of other dialogs) stay usable.
    setWindowModality(Qt::WindowModal);
    if (!ended_) result = exec();
    modal_ = false;
    DestroyHandle();
    return result;
}

bool Dialog::Create(HWND owner) {
    if (hwnd_ != 0 || !CreateHandle(owner, false)) return false;
    modal_ = false;
    ended_ = false;
    OnInitDialog();
    return true;
}

void Dialog::EndDialog(int result) {
    result_ = result;
    ended_ = true;
    if (modal_) {
        done(result);
    } else {
        hide();
    }
}

bool Dialog::DestroyWindow() {
    if (hwnd_ == 0) return false;
    if (modal_) done(result_);
    DestroyHandle();
    return true;
}

bool Dialog::CreateHandle(HWND owner, bool visible) {
    hwnd_ = platform::CreateWindowHandle(this, ToWide(windowTitle()), owner, visible);
    if (hwnd_ == 0) return false;
    owner_ = owner;
    setProperty(kHandleProperty, hwnd_);
    EnsureMessagePump();
    QWidget* ownerWidget = FromHandle(owner);
    if (ownerWidget != nullptr && ownerWidget != this) {
        winId();  // the native window exists from here on
        if (windowHandle() != nullptr && ownerWidget->windowHandle() != nullptr) {
            windowHandle()->setTransientParent(ownerWidget->windowHandle());
        }
    }
    return true;
}

void Dialog::DestroyHandle() {
    if (hwnd_ == 0) return;
    WindowProc(WM_DESTROY, 0, 0);
    platform::DestroyWindowHandle(hwnd_);
    hwnd_ = 0;
    owner_ = 0;
    setProperty(kHandleProperty, QVariant());
    hide();
}

// --- the window ---------------------------------------------------------------------------

bool Dialog::ShowWindow(int command) {
    const bool wasVisible = isVisible();
    switch (command) {
        case SW_HIDE:
            hide();
            break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
        case SW_SHOWMINNOACTIVE:
            // Shown first, minimised last, so that a WM_SIZE handler that hides a minimised
            // window has the last word.
            if (!wasVisible) show();
            setWindowState(windowState() | Qt::WindowMinimized);
            break;
        case SW_SHOWMAXIMIZED:
            showMaximized();
            break;
        case SW_SHOWNORMAL:
        case SW_RESTORE:
            setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
            show();
            if (command == SW_RESTORE) SetForegroundWindow();
            break;
        default:  // SW_SHOW, SW_SHOWNA, SW_SHOWNOACTIVATE
            show();
            break;
    }
    return wasVisible;
}

void Dialog::SetForegroundWindow() {
    raise();
    activateWindow();
}

void Dialog::SetWindowText(std::wstring_view title) {
    setWindowTitle(ToQString(title));
    if (hwnd_ != 0) platform::SetWindowTextW(hwnd_, title);
}

std::wstring Dialog::GetWindowText() const {
    return ToWide(windowTitle());
}

void Dialog::SetResizable(bool resizable) {
    resizable_ = resizable;
    SetClientSize(width(), height());
}

void Dialog::SetClientSize(int width, int height) {
    if (resizable_) {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(width, height);
    } else {
        setFixedSize(width, height);
    }
}

void Dialog::RemoveCloseCommand() {
    closeRemoved_ = true;
    ApplyWindowFlags();
}

void Dialog::ApplyWindowFlags() {
    const bool wasVisible = isVisible();
    Qt::WindowFlags flags =
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (minimizeBox_) flags |= Qt::WindowMinimizeButtonHint;
    if (!closeRemoved_) flags |= Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
    if (wasVisible) show();  // changing the flags hides a window
}

// --- controls -----------------------------------------------------------------------------

QWidget* Dialog::GetDlgItem(int id) const {
    const auto it = controls_.find(id);
    return it != controls_.end() ? it->second : nullptr;
}

void Dialog::SetDlgItemText(int id, std::wstring_view text) {
    SetControlText(GetDlgItem(id), text);
}

std::wstring Dialog::GetDlgItemText(int id) const {
    return GetControlText(GetDlgItem(id));
}

void Dialog::CheckDlgButton(int id, int checked) {
    SetButtonCheck(GetDlgItem(id), checked);
}

int Dialog::IsDlgButtonChecked(int id) const {
    return GetButtonCheck(GetDlgItem(id));
}

void Dialog::ShowItem(int id, bool show) {
    if (QWidget* control = GetDlgItem(id)) control->setVisible(show);
}

void Dialog::EnableItem(int id, bool enable) {
    if (QWidget* control = GetDlgItem(id)) control->setEnabled(enable);
}

void Dialog::MoveItem(int id, int x, int y, int width, int height) {
    if (QWidget* control = GetDlgItem(id)) control->setGeometry(x, y, width, height);
}

void Dialog::SetItemFont(int id, const QFont& font) {
    if (QWidget* control = GetDlgItem(id)) control->setFont(font);
}

void Dialog::SetItemTextColor(int id, COLORREF color) {
    SetControlTextColor(GetDlgItem(id), color);
}

bool Dialog::UpdateData(bool saveAndValidate) {
    bool ok = true;
    for (const Binding& binding : bindings_) {
        ok = ExchangeData(binding, GetDlgItem(binding.id), saveAndValidate) && ok;
    }
    return ok;
}

void Dialog::ConnectControl(int id, QWidget* control) {
    control->installEventFilter(this);
    if (id == IDC_STATIC) return;
    controls_[id] = control;
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        connect(button, &QAbstractButton::clicked, this,
                [this, id] { SendCommand(id, BN_CLICKED); });
    } else if (auto* view = dynamic_cast<ListView*>(control)) {
        view->SetNotify([this, id](int code, int row, int oldCheck, int newCheck) {
            Notification n{id, code, row, 0, 0};
            if (code == LVN_ITEMCHANGED) {
                n.oldState = CheckStateImage(oldCheck);
                n.newState = CheckStateImage(newCheck);
            }
            SendNotify(n);
        });
    } else if (auto* list = dynamic_cast<ListBox*>(control)) {
        list->SetNotify([this, id](int code, int) { SendCommand(id, code); });
    }
}

// --- messages and timers ------------------------------------------------------------------

UINT_PTR Dialog::SetTimer(UINT_PTR id, UINT elapseMs) {
    if (hwnd_ == 0) return 0;
    const UINT_PTR result = platform::SetTimer(hwnd_, id, elapseMs);
    RearmMessagePump();
    return result;
}

bool Dialog::KillTimer(UINT_PTR id) {
    if (hwnd_ == 0) return false;
    const bool killed = platform::KillTimer(hwnd_, id) != 0;
    RearmMessagePump();
    return killed;
}

LRESULT Dialog::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return WindowProc(message, wParam, lParam);
}

bool Dialog::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return hwnd_ != 0 && platform::PostMessageW(hwnd_, message, wParam, lParam) != 0;
}

int Dialog::MessageBox(std::wstring_view text, std::optional<std::wstring_view> caption,
                       UINT type) {
    const std::wstring title = caption ? std::wstring(*caption) : ApplicationTitle();
    return ui::MessageBox(hwnd_, text, title, type);
}

LRESULT Dialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            DispatchCommand(LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
            return 0;
        case WM_NOTIFY:
            if (lParam != 0) Dispatch(*reinterpret_cast<const Notification*>(lParam));
            return 0;
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_SIZE:
            OnSize(static_cast<UINT>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
                   HIWORD(static_cast<std::uintptr_t>(lParam)));
            return 0;
        case WM_SYSCOMMAND:
            OnSysCommand(wParam, lParam);
            return 0;
        case WM_CLOSE:
            // A dialog's close is its Cancel command.
            DispatchCommand(IDCANCEL, BN_CLICKED);
            return 0;
        case WM_DROPFILES:
            if (wParam != 0)
                OnDropFiles(*reinterpret_cast<const std::vector<std::wstring>*>(wParam));
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_PRINT:
            return SavePicture() ? 1 : 0;
        default:
            return 0;
    }
}

BOOL Dialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void Dialog::OnOK() {
    if (!UpdateData(true)) return;
    EndDialog(IDOK);
}

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void Dialog::OnSysCommand(WPARAM command, LPARAM /*lParam*/) {
    switch (command & 0xFFF0) {
        case SC_CLOSE:
            WindowProc(WM_CLOSE, 0, 0);
            break;
        case SC_MINIMIZE:
            ShowWindow(SW_MINIMIZE);
            break;
        case SC_RESTORE:
            ShowWindow(SW_RESTORE);
            break;
        default:
            break;
    }
}

bool Dialog::PreTranslateMessage(MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    if (msg.wParam == VK_RETURN) {
        auto* button = qobject_cast<QPushButton*>(focusWidget());
        if (button != nullptr && !button->isCheckable()) {
            button->click();
        } else {
            DispatchCommand(IDOK, BN_CLICKED);
        }
        return true;
    }
    if (msg.wParam == VK_ESCAPE) {
        DispatchCommand(IDCANCEL, BN_CLICKED);
        return true;
    }
    return false;
}

void Dialog::SendCommand(int id, int code) {
    WindowProc(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), static_cast<WORD>(code)), 0);
}

void Dialog::SendNotify(const Notification& notification) {
    WindowProc(WM_NOTIFY, static_cast<WPARAM>(notification.id),
               reinterpret_cast<LPARAM>(&notification));
}

bool Dialog::Dispatch(const Notification& notification) {
    bool handled = false;
    // A handler may rebuild the table (or end the dialog); walk a copy.
    const std::vector<HandlerEntry> handlers = handlers_;
    for (const HandlerEntry& entry : handlers) {
        if (entry.id != notification.id || entry.code != notification.code) continue;
        entry.call(notification);
        handled = true;
    }
    return handled;
}

void Dialog::DispatchCommand(int id, int code) {
    if (Dispatch(Notification{id, code})) return;
    if (code != BN_CLICKED) return;
    if (id == IDOK) OnOK();
    if (id == IDCANCEL) OnCancel();
}

}  // namespace ui
