// The timer program's application object. InitInstance does all the program's work: a program
// without a usable runtime folder says why and ends, the iEPG file of the command line becomes a
// reservation, a second instance hands over to the running
// one (raises its window and has it re-read Program.txt) and ends, the first start without a
// settings file shows a notice, and the main window runs until it is closed.
#pragma once

#include <string>
#include <string_view>

#include "platform/named_mutex.h"
#include "ui/win_constants.h"

namespace timer_ui {

class COrvandelApp {
  public:
    // commandTail: what follows the program name on the command line; iniPath: the settings
    // file the main window and the scheduler read.
    COrvandelApp(std::wstring commandTail, std::wstring iniPath);

    // Always FALSE: the program ends when it returns.
    ui::BOOL InitInstance();

    // The command-line text without its double quotes: the path of an iEPG file, or empty.
    static std::wstring IepgPathOf(std::wstring_view commandTail);

    // Adds the file's programme to Program.txt in the Documents folder (ID 0); a box says why
    // when it cannot.
    static void AddCommandLineReservation(const std::wstring& iepgPath);

  private:
    // Named objects, messages and windows live in the runtime folder: without one the program
    // cannot run, and a box says why. True when there is one.
    static bool RuntimeFolderUsable();
    // True when another instance runs; it has then been raised and asked to reload.
    bool HandOverToRunningInstance();
    void FirstStartNotice();

    std::wstring commandTail_;
    std::wstring iniPath_;
    // Held for the life of the process: its holder is the running instance.
    platform::NamedMutex instanceMutex_;
};

}  // namespace timer_ui
