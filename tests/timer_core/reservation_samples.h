// Reservations of invented programmes for the reservation-store tests and their helper program.
#pragma once

#include <cstdint>
#include <string>

#include "broadcast_sim/time_builder.h"
#include "platform/code_page.h"
#include "platform/system_time.h"
#include "timer_core/reservations/reserve_entry.h"
#include "timer_core/reservations/reserve_list.h"

namespace reservation_samples {

// A local wall time (the shared builder of the synthetic broadcasts makes the same record).
inline platform::SYSTEMTIME At(int year, int month, int day, int hour, int minute) {
    return broadcast_sim::JstTime(year, month, day, hour, minute);
}

inline timer_core::ReserveEntry Entry(const std::wstring& title, const platform::SYSTEMTIME& start,
                                      std::uint16_t eventId, std::uint32_t minutes = 30) {
    timer_core::ReserveEntry entry;
    entry.title = title;
    entry.start = start;
    entry.durationMinutes = minutes;
    entry.channelName = L"みなと総合";
    entry.channelValue = 27;
    entry.serviceId = 0x0400;
    entry.eventId = eventId;
    entry.priority = 2;
    return entry;
}

// The n-th reservation a second program instance hands over (unnumbered, in 2090).
inline timer_core::ReserveEntry HandedOver(int n) {
    timer_core::ReserveEntry entry = Entry(L"持ち込み番組" + std::to_wstring(n),
                                           At(2090, 1 + n / 500 % 12, 1 + n % 28, n % 24, 0),
                                           static_cast<std::uint16_t>(0x2000 + n));
    entry.channelName = L"さくらテレビ";
    entry.channelValue = 0x4010;
    entry.serviceId = 0x0410;
    return entry;
}

// One of two versions of a long reservation list (all numbered), for saves that are cut short.
inline void FillVersion(timer_core::ReserveList& store, int version) {
    store.Clear();
    for (int n = 0; n < 2000; ++n) {
        const timer_core::ReserveEntry entry =
            Entry(L"版" + std::to_wstring(version) + L"の番組" + std::to_wstring(n),
                  At(2090, 1 + n / 28 % 12, 1 + n % 28, n % 24, 0), static_cast<std::uint16_t>(n));
        store.Add(&entry, 0);
    }
}

inline std::string Sjis(std::wstring_view text) {
    return platform::WideToShiftJis(text);
}

}  // namespace reservation_samples
