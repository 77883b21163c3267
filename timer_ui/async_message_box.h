// The main window's notices: a plain OK box without owner, captioned "Orvandel メッセージ", that
// does not hold up the caller, so the window's timers keep running while the user reads it. A new
// notice replaces the box still open (in this process or in another one, found by its caption).
// The box is modeless on the GUI thread; Show, Close and the destructor run there too.
#pragma once

#include <string>
#include <string_view>

#include "ui/win_constants.h"

namespace timer_ui {

class AsyncMessageBox {
  public:
    // The main window's start-up timer brings the box to the front by this title.
    static constexpr std::wstring_view kCaption = L"Orvandel メッセージ";

    AsyncMessageBox() = default;
    // Removes the box when one is open.
    ~AsyncMessageBox();
    AsyncMessageBox(const AsyncMessageBox&) = delete;
    AsyncMessageBox& operator=(const AsyncMessageBox&) = delete;

    // Shows `text` in place of the open box; an empty text leaves everything as it is.
    void Show(std::wstring_view text);
    // Removes the box this object opened, if the user has not closed it already.
    void Close();

    // The text of the last box shown.
    const std::wstring& Text() const { return text_; }

  private:
    std::wstring text_;
    ui::HWND box_ = 0;
};

}  // namespace timer_ui
