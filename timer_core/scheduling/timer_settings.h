// The timer's settings of section "SET" of its ini file, as the manager holds them.
#pragma once

#include <cstdint>
#include <string>

namespace timer_core {

struct TimerSettings {
    std::wstring FriioViewPath;  // the viewer FriioView
    std::wstring EpgViewPath;    // the user's EPG viewer
    // Texts holding numbers, converted with the runtime's decimal rule at every use.
    std::wstring StartSec;  // seconds before the start at which recording begins
    std::wstring EndSec;    // seconds after the end at which recording stops
    std::wstring TunerCount;
    std::wstring TunerCount2;
    std::int32_t RecEnd = 0;       // after a recording: 0 nothing, 1 standby, 2 hibernate
    std::int32_t AutoDel = 0;      // 1 = delete old recordings for space
    std::int32_t RecPriority = 0;  // 1 = at equal priority the later programme wins an overlap
    std::int32_t NameManual = 0;   // 1 = recordings are named after the programme title
    std::int32_t NoErrLog = 0;     // 1 = the plug-in writes no error log
    std::int32_t NoInfoLog = 1;    // 0 = ask the plug-in for the programme text file
    // The number values of TunerCount and TunerCount2: tuners of group 1 (terrestrial) and of
    // group 2 (BS/CS).
    std::int32_t tunerCount1 = 1;
    std::int32_t tunerCount2 = 0;

    int StartSeconds() const;
    int EndSeconds() const;
    // The tuner count of group 1 or 2.
    std::int32_t TunerCountOf(int group) const { return group == 1 ? tunerCount1 : tunerCount2; }
};

// Every key of section "SET" of the ini file; a missing file or key gives its default.
TimerSettings ReadTimerSettings(const std::wstring& iniPath);

}  // namespace timer_core
