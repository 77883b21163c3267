#include "timer_ui/async_message_box.h"

#include "ui/dialog.h"
#include "ui/message_box.h"

namespace timer_ui {

AsyncMessageBox::~AsyncMessageBox() {
    Close();
}

void AsyncMessageBox::Show(std::wstring_view text) {
    if (text.empty()) return;
    text_ = text;
    // The framework closes every box under the caption first, this object's own included.
    box_ = ui::ShowMessageBoxNonBlocking(text_, kCaption);
}

void AsyncMessageBox::Close() {
    if (box_ == 0) return;
    // A box the user closed is gone already; its handle no longer leads to a window.
    if (ui::Dialog* box = ui::Dialog::FromHandle(box_)) box->SendMessage(ui::WM_CLOSE);
    box_ = 0;
}

}  // namespace timer_ui
