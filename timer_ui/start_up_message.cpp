#include "timer_ui/start_up_message.h"

#include "ui/message_box.h"

namespace timer_ui {

void ShowStartUpMessage(std::wstring_view text) {
    ui::MessageBox(0, text, L"", ui::MB_OK);
}

}  // namespace timer_ui
