// Conditions for the AutoSearch.txt tests and for the helper program that saves them from
// another process.
#pragma once

#include <string>

#include "timer_core/epg/auto_search_file.h"

namespace auto_search_samples {

inline timer_core::AutoSearchCondition Condition(const std::wstring& andWords, int priority) {
    timer_core::AutoSearchCondition c;
    c.andWords = andWords;
    c.genre = -1;
    c.startHour = 19;
    c.endHour = 23;
    c.endMinute = 30;
    c.weekdays = {1, 0, 1, 0, 1, 0, 0};
    c.serviceKeys = {0x7FE00400, 1024};
    c.priority = priority;
    c.follow = 1;
    return c;
}

// Two different lists of 400 conditions (version 0 and 1), long enough that a save takes a
// while.
inline void FillVersion(timer_core::AutoSearchFile& file, int version) {
    file.conditions.clear();
    for (int i = 0; i < 400; ++i) {
        file.conditions[i] = version == 0 ? Condition(L"旧" + std::to_wstring(i), 1)
                                          : Condition(L"新しい条件" + std::to_wstring(i), 2);
    }
}

}  // namespace auto_search_samples
