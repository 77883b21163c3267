// The channels a search can take and their defaults: the TV services of the timer's EPG store
// (service types 0x01 and 0xA5), or the store's schedules when it holds no service records; and
// section "CH" of the timer's ini file, one key per service key in decimal, 1 when the channel
// is searched by default (the settings dialog writes it, the condition editor reads it).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "broadcast/epg_store.h"
#include "timer_core/epg/auto_search_condition.h"
#include "timer_ui/search_channel_row.h"
#include "ui/list_box.h"

namespace timer_ui {

bool IsSearchedServiceType(std::uint8_t serviceType);

// The default of a service key: 1 searched, 0 not; a missing key is 1, any other number than 0
// counts as 1.
int ReadChannelDefault(const std::wstring& iniPath, int serviceKey);
void WriteChannelDefault(const std::wstring& iniPath, int serviceKey, int checked);

// A row per TV service in ascending key order, named after the service; without service
// records a row per schedule named "0x%04X" after its service_id. Each row is checked as its
// default says.
std::vector<SearchChannelRow> SearchChannelRows(const broadcast::EpgStore& store,
                                                const std::wstring& iniPath);

// A check list's rows and back: text = name, item data = service key, check = checked.
void AppendChannelRows(ui::ListBox& list, const std::vector<SearchChannelRow>& rows);
std::vector<SearchChannelRow> ChannelRowsOf(const ui::ListBox& list);

// The condition's services as the automatic-reservation list shows them: for each key in the
// condition's order the TV service's name and a blank, or, when the store has no service
// records, "0x%04X " of the key when it has a schedule for it; keys the store does not know add
// nothing. Empty without a store.
std::wstring ConditionServiceText(const broadcast::EpgStore* store,
                                  const timer_core::AutoSearchCondition& condition);

}  // namespace timer_ui
