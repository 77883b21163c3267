// A dialog of the timer, the plug-in or the viewer: a QDialog that is also a platform window. Its
// controls come from the template table given to the constructor; its bindings (UpdateData) and
// handlers (by control id and notification code) are tables the derived class sets in its
// constructor. Once it has a window handle (DoModal or Create) it is registered with the platform
// under its caption, and every message posted or sent to it, WM_TIMER included, reaches WindowProc
// on the GUI thread.
//
//   class CSleepWaitDlg : public ui::Dialog {
//     public:
//       CSleepWaitDlg() : ui::Dialog(kTemplate) {
//           SetDataMap({{1039, ui::Ddx::Position, &count_}});
//       }
//     protected:
//       BOOL OnInitDialog() override;
//       void OnTimer(UINT_PTR id) override;
//   };
//   int result = CSleepWaitDlg().DoModal(owner);  // IDOK, IDCANCEL or the EndDialog value
//
// Qt events become the messages the dialogs handle: a control click is WM_COMMAND, list-view
// clicks are WM_NOTIFY, the close box is WM_SYSCOMMAND SC_CLOSE, resizing and minimising are
// WM_SIZE, a drop of files is WM_DROPFILES, and key presses pass PreTranslateMessage first.
//
// Everything here runs on the GUI thread; other threads reach a dialog through the platform's
// PostMessageW / SendMessageW / ShowWindow / SetForegroundWindow with its handle. A modeless
// dialog's owner calls DestroyWindow before deleting it (OnDestroy cannot run from ~Dialog).
#pragma once

#include <QDialog>
#include <QRect>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/window_messages.h"
#include "ui/control_spec.h"
#include "ui/data_exchange.h"
#include "ui/message_map.h"
#include "ui/win_constants.h"

namespace ui {

class Dialog : public QDialog, public platform::WindowTarget {
  public:
    explicit Dialog(const DialogTemplate& dialogTemplate);
    ~Dialog() override;

    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // The dialog of a window handle in this process, or null.
    static Dialog* FromHandle(HWND hwnd);

    // --- running --------------------------------------------------------------------------
    // Runs the dialog modally (owned by `owner` when given) and returns IDOK, IDCANCEL or the
    // value given to EndDialog; -1 when the window could not be created. Posted messages and
    // timers of the thread keep arriving while it runs.
    int DoModal(HWND owner = 0);
    // Creates the window modelessly (hidden until ShowWindow), owned by `owner` when given.
    bool Create(HWND owner = 0);
    // Ends a modal run with `result`; hides a modeless dialog.
    void EndDialog(int result);
    // Sends WM_DESTROY (OnDestroy), unregisters the handle and hides the window.
    bool DestroyWindow();
    HWND GetSafeHwnd() const { return hwnd_; }
    HWND GetOwnerHwnd() const { return owner_; }

    // --- the window -----------------------------------------------------------------------
    // SW_ commands; returns whether the window was visible before.
    bool ShowWindow(int command);
    bool IsWindowVisible() const { return isVisible(); }
    bool IsIconic() const { return isMinimized(); }
    void SetForegroundWindow();
    void SetWindowText(std::wstring_view title);
    std::wstring GetWindowText() const;
    // The sizing border on or off; off fixes the current size.
    void SetResizable(bool resizable);
    bool IsResizable() const { return resizable_; }
    void SetClientSize(int width, int height);
    QRect GetClientRect() const { return rect(); }
    QRect GetWindowRect() const { return frameGeometry(); }
    // Moves the window's top-left corner (screen coordinates); size unchanged.
    void SetWindowPosition(int x, int y) { move(x, y); }
    // Removes the close command: the close box is gone and closing by the user is ignored.
    void RemoveCloseCommand();
    bool HasCloseCommand() const { return !closeRemoved_; }
    void DragAcceptFiles(bool accept) { setAcceptDrops(accept); }

    // --- controls -------------------------------------------------------------------------
    QWidget* GetDlgItem(int id) const;
    // The control as its class (ui::ListView, ui::ListBox, ui::ComboBox, ui::ProgressBar,
    // QLineEdit, QPlainTextEdit, QPushButton, ...), or null.
    template <class T>
    T* Item(int id) const {
        return dynamic_cast<T*>(GetDlgItem(id));
    }
    void SetDlgItemText(int id, std::wstring_view text);
    std::wstring GetDlgItemText(int id) const;
    void CheckDlgButton(int id, int checked);
    int IsDlgButtonChecked(int id) const;
    void ShowItem(int id, bool show);
    void EnableItem(int id, bool enable);
    void MoveItem(int id, int x, int y, int width, int height);
    void SetItemFont(int id, const QFont& font);
    void SetItemTextColor(int id, COLORREF color);

    // save: controls -> members; otherwise members -> controls. False when a binding does not
    // fit its control.
    bool UpdateData(bool saveAndValidate = true);

    // --- messages and timers --------------------------------------------------------------
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
    bool KillTimer(UINT_PTR id);
    // Calls this window's WindowProc at once (as SendMessage on its own thread does).
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // A modal box owned by this dialog; no caption means the application's title.
    int MessageBox(std::wstring_view text, std::optional<std::wstring_view> caption = std::nullopt,
                   UINT type = MB_OK);

    // Every message of the window; the base handles WM_COMMAND, WM_NOTIFY, WM_TIMER, WM_SIZE,
    // WM_SYSCOMMAND, WM_CLOSE, WM_DROPFILES and WM_DESTROY by calling the On... functions below,
    // and WM_PRINT by drawing the dialog into the picture folder as it is now (1 when written),
    // for a picture later than the one it leaves when first shown.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnShowRequest(int showCommand) override { ShowWindow(showCommand); }
    void OnForegroundRequest() override { SetForegroundWindow(); }

  protected:
    // After the controls exist, before the window shows; the base pushes the members into the
    // controls (UpdateData(false)) and returns TRUE.
    virtual BOOL OnInitDialog();
    // IDOK / IDCANCEL without a handler of their own: the base takes the data (OK only) and ends
    // the dialog.
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnDestroy() {}
    virtual void OnTimer(UINT_PTR /*id*/) {}
    virtual void OnSize(UINT /*type*/, int /*cx*/, int /*cy*/) {}
    // The base minimises, restores, and turns SC_CLOSE into WM_CLOSE (which for a dialog is the
    // Cancel command).
    virtual void OnSysCommand(WPARAM command, LPARAM lParam);
    virtual void OnDropFiles(const std::vector<std::wstring>& /*paths*/) {}
    // Sees WM_KEYDOWN of Enter and Escape before any control does. The base is the dialog
    // manager: Enter clicks the focused push button or sends IDOK, Escape sends IDCANCEL; it
    // returns true (handled). Returning false without calling the base leaves the key to the
    // control alone, so neither key presses a button nor closes the dialog.
    virtual bool PreTranslateMessage(MSG& msg);

    void SetDataMap(std::initializer_list<Binding> bindings) { bindings_ = bindings; }
    template <class D>
    void SetMessageMap(std::initializer_list<Handler<D>> handlers);

    // Qt's side.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void reject() override;
    void accept() override;

  private:
    bool CreateHandle(HWND owner, bool visible);
    void DestroyHandle();
    void ApplyWindowFlags();
    void ConnectControl(int id, QWidget* control);
    void SendCommand(int id, int code);
    void SendNotify(const Notification& notification);
    bool Dispatch(const Notification& notification);
    void DispatchCommand(int id, int code);
    bool IsTranslationTarget(QObject* watched) const;
    bool SavePicture();
    void TakeDuePicture();

    HWND hwnd_ = 0;
    HWND owner_ = 0;
    bool modal_ = false;
    bool ended_ = false;
    int result_ = IDCANCEL;
    bool resizable_ = false;
    bool minimizeBox_ = false;
    bool closeRemoved_ = false;
    bool screenshotTaken_ = false;
    bool pictureDue_ = false;  // shown, its first picture not taken yet
    std::map<int, QWidget*> controls_;
    std::vector<Binding> bindings_;
    std::vector<HandlerEntry> handlers_;
};

template <class D>
void Dialog::SetMessageMap(std::initializer_list<Handler<D>> handlers) {
    static_assert(std::is_base_of_v<Dialog, D>, "handlers belong to a class derived from Dialog");
    handlers_.clear();
    for (const Handler<D>& handler : handlers) {
        D* self = static_cast<D*>(this);
        handlers_.push_back(
            {handler.id, handler.code, [self, fn = handler.function](const Notification& n) {
                 if (auto* plain = std::get_if<void (D::*)()>(&fn)) {
                     (self->**plain)();
                 } else {
                     (self->*std::get<void (D::*)(const Notification&)>(fn))(n);
                 }
             }});
    }
}

}  // namespace ui
