#include "timer_ui/start_up_message.h"

#include "platform/clock.h"
#include "ui/message_box.h"

namespace timer_ui {

void ShowStartUpMessage(std::wstring_view text) {
    // The program now waits for its user: it has started as far as it will without them.
    platform::ReportProgramReady();
    ui::MessageBox(0, text, L"", ui::MB_OK);
}

}  // namespace timer_ui
