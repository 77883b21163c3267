// An EPG store and automatic-reservation conditions for the tests of the automatic-reservation
// dialogs: two TV services and a radio service of one invented network, a few programmes, and
// helpers that write AutoSearch.txt.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "broadcast/epg_store.h"
#include "timer_core/epg/auto_search_condition.h"

namespace timer_ui_test {

inline constexpr std::uint16_t kTsid = 0x7FE0;
inline constexpr std::uint16_t kMinatoSid = 0x0400;  // みなと総合
inline constexpr std::uint16_t kSakuraSid = 0x0401;  // さくらテレビ
inline constexpr std::uint16_t kRadioSid = 0x0480;   // みなとラジオ (type 0x02)

int MinatoKey();
int SakuraKey();
int RadioKey();

// The services and, on Wednesday 2026-12-09: 星空ニュース 19:00-19:30 (news, みなと総合),
// 深夜の旅 23:30-00:30 (documentary, みなと総合); on Thursday: 星空ドラマ 21:00-21:54 (drama,
// さくらテレビ); 波の音 on the radio service.
void FillStore(broadcast::EpgStore& store);

// Any genre, every day, the whole day, priority 2, follow 1, the two TV services.
timer_core::AutoSearchCondition Condition(const std::wstring& andWords,
                                          std::vector<int> serviceKeys = {});

// Replaces AutoSearch.txt of the current Documents folder with the conditions.
void SaveConditions(const std::vector<timer_core::AutoSearchCondition>& conditions);
std::vector<timer_core::AutoSearchCondition> LoadConditions();

}  // namespace timer_ui_test
