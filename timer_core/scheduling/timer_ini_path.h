// The timer's ini file: the executable's folder and base name with the extension ".ini"
// ("Orvandel.ini" beside "Orvandel"). The manager and the dialogs that edit its sections use it
// unless a test gives them another file.
#pragma once

#include <string>

namespace timer_core {

std::wstring TimerIniPathBesideExecutable();

}  // namespace timer_core
