// The text of the programme information dialog: the identifiers, start, length, genres, video,
// audio, name and descriptions of one schedule event of the timer's EPG store, with CR LF line
// ends, and the names of the component codes it shows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "broadcast/epg_store.h"

namespace timer_ui {

// Shown when the store has no schedule event of that service and event_id (or no store is given).
inline constexpr std::wstring_view kProgramInfoNotFound = L"番組情報が見つかりませでした";

std::wstring BuildProgramInfoText(const broadcast::EpgStore* store, std::uint16_t transportStreamId,
                                  std::uint16_t serviceId, std::uint16_t eventId);

// The names of a video component_type, an audio component_type and a sampling-rate code; empty
// for codes without a name.
std::wstring_view VideoComponentText(std::uint8_t componentType);
std::wstring_view AudioComponentText(std::uint8_t componentType);
std::wstring_view SamplingRateText(std::uint8_t samplingRate);

}  // namespace timer_ui
