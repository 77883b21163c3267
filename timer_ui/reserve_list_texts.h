// What the main window shows of its reservations: the six column texts of a list row and the tip
// of the notification icon.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "timer_core/reservations/reserve_entry.h"

namespace timer_ui {

inline constexpr std::size_t kReserveColumns = 6;

// "日時" (start date, weekday and time, then the end's time; past midnight the end shows the next
// day's clock), "放送局", "番組名", "優先度", "追従" ("する"/"しない") and "結果".
std::array<std::wstring, kReserveColumns> ReserveRowTexts(const timer_core::ReserveEntry& entry);

// One row of the list: the texts, and the reservation's ID as the row's item data.
struct ReserveRow {
    std::int32_t id = 0;
    std::array<std::wstring, kReserveColumns> texts;
};

// "次の予約 2026/12/09(水) 21:00 <title>", or "次の予約 なし" without a next reservation. The
// text passes through code page 932, as the tip shows it (characters it lacks become "?"), and
// is cut to the tip's 127 characters.
std::wstring NextReserveTip(const timer_core::ReserveEntry* next);

}  // namespace timer_ui
