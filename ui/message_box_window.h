// The window of a message box: the text, an icon when the type names one, and an OK button. A
// modal box ends with IDOK however it is closed; a non-blocking box owns itself and is deleted
// once closed (OK, Enter, Escape, the close box, or WM_QUIT / WM_CLOSE posted to it).
#pragma once

#include <string>
#include <string_view>

#include "ui/dialog.h"

namespace ui {

class MessageBoxWindow : public Dialog {
  public:
    MessageBoxWindow(std::wstring_view text, std::wstring_view caption, UINT type,
                     bool nonBlocking);

    const std::wstring& Text() const { return text_; }
    bool IsNonBlocking() const { return nonBlocking_; }
    // Closes the box: ends the modal run, or destroys a non-blocking box and deletes it later.
    void Finish();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  protected:
    void OnOK() override { Finish(); }
    void OnCancel() override { Finish(); }

  private:
    void AddIcon(UINT type);

    std::wstring text_;
    bool nonBlocking_;
    bool finished_ = false;
};

}  // namespace ui
