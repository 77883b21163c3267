// The list of search hits that the automatic-reservation list and the condition editor show the
// same way: three columns ("日時", "放送局", "タイトル"), one row per hit in map order with its
// position in the map as item data, and the programme information of a row on double click.
#pragma once

#include <string>

#include "broadcast/epg_store.h"
#include "platform/system_time.h"
#include "timer_core/epg/epg_search.h"
#include "ui/list_view.h"

namespace timer_ui {

// The "日時" text: "2026/12/09(水) 23:30～00:30"; the weekday is worked out from the start's
// date (its wDayOfWeek is not used), the end's date is not shown.
std::wstring FormatResultTimeRange(const platform::SYSTEMTIME& start,
                                   const platform::SYSTEMTIME& end);

// Full-row select and the three columns.
void PrepareSearchResultList(ui::ListView& list);

// Appends the hit's row; item data = `position`.
void AddSearchResultRow(ui::ListView& list, int position, const timer_core::SearchResultEntry& hit);

// Deletes every row and adds one per hit in map order.
void FillSearchResultList(ui::ListView& list, const timer_core::SearchResultMap& results);

// The hit at the position in the row's item data; null for a row the list does not have or a
// position past the end of the map.
const timer_core::SearchResultEntry* HitOfRow(const ui::ListView& list, int row,
                                              const timer_core::SearchResultMap& results);

// Runs the programme information dialog of the hit modally, owned by `owner`.
void ShowHitProgramInfo(ui::HWND owner, const broadcast::EpgStore* store,
                        const timer_core::SearchResultEntry& hit);

}  // namespace timer_ui
