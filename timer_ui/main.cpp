// Orvandel, the recording timer: one main window with the reservations, run until the user
// closes it. An iEPG file named on the command line becomes a reservation; a second start hands
// that over to the running instance and ends.
#include <QApplication>
#include <string>

#include "platform/clock.h"
#include "platform/utf8.h"
#include "timer_core/scheduling/timer_ini_path.h"
#include "timer_ui/orvandel_app.h"

namespace {

// The command line after the program name, as one text (Qt has taken its own options out).
std::wstring CommandTail(int argc, char** argv) {
    std::wstring tail;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) tail += L' ';
        tail += platform::Utf8ToWide(argv[i]);
    }
    return tail;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    timer_ui::COrvandelApp app(CommandTail(argc, argv), timer_core::TimerIniPathBesideExecutable());
    app.InitInstance();
    // Ending the record threads and the windows costs real time, as starting does.
    platform::HoldClockUntilExit();
    return 0;
}
