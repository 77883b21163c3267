// Byte layouts of the shared-memory records. Both sides copy them whole; integers are
// little-endian and window handles 32 bits wide.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/system_time.h"
#include "platform/win_types.h"

namespace shared {

static_assert(std::endian::native == std::endian::little,
              "the shared-memory layouts are little-endian");

// The plug-in's programme event record (EVENT object). SYSTEMTIME fields leave wDayOfWeek unset
// and wMilliseconds 0.
struct PluginEventInfo {
    std::int32_t status = 0;  // capture status last published (as in the Status object)
    platform::HWND pluginWindow = 0;
    platform::HWND viewerWindow = 0;
    std::uint32_t channel = 0;
    std::uint16_t serviceId = 0;
    std::uint16_t eventId = 0;
    platform::SYSTEMTIME start;
    std::int32_t durationMinutes = 0;  // hours x 60 + minutes
    std::int32_t durationSeconds = 0;
    std::uint16_t nextEventId = 0;
    platform::SYSTEMTIME nextStart;
    std::uint16_t padding = 0;  // neither set nor read
    std::int32_t nextDurationMinutes = 0;
    std::int32_t nextDurationSeconds = 0;
};
static_assert(sizeof(PluginEventInfo) == 72);
static_assert(offsetof(PluginEventInfo, start) == 20);
static_assert(offsetof(PluginEventInfo, durationMinutes) == 36);
static_assert(offsetof(PluginEventInfo, nextEventId) == 44);
static_assert(offsetof(PluginEventInfo, nextStart) == 46);
static_assert(offsetof(PluginEventInfo, nextDurationMinutes) == 64);

inline constexpr std::size_t kRecordFileNameChars = 512;

// The timer's recording request to one plug-in (REC object).
struct RecordRequest {
    // UTF-16LE file name without folder, zero-filled and terminated (at most 510 characters).
    char16_t fileName[kRecordFileNameChars] = {};
    std::uint32_t channel = 0;
    std::uint16_t serviceId = 0;
    std::uint16_t eventId = 0;
    platform::SYSTEMTIME start;
    std::uint32_t minutes = 0;
    std::uint32_t noErrLog = 0;  // 1 = no recording error log
    std::int32_t marginSeconds = 0;
};
static_assert(sizeof(RecordRequest) == 1060);
static_assert(offsetof(RecordRequest, channel) == 1024);
static_assert(offsetof(RecordRequest, serviceId) == 1028);
static_assert(offsetof(RecordRequest, eventId) == 1030);
static_assert(offsetof(RecordRequest, start) == 1032);
static_assert(offsetof(RecordRequest, minutes) == 1048);
static_assert(offsetof(RecordRequest, noErrLog) == 1052);
static_assert(offsetof(RecordRequest, marginSeconds) == 1056);

// The file name field as wide text: SetRecordFileName zero-fills the field and stores the name
// as UTF-16 code units, at most `maxUnits` of them (never more than 511, so the field stays
// terminated; a surrogate pair is not split). RecordFileName reads up to the first zero, or the
// whole field when a foreign writer left it unterminated; broken surrogates read as U+FFFD.
void SetRecordFileName(RecordRequest& request, std::wstring_view name,
                       std::size_t maxUnits = kRecordFileNameChars - 1);
std::wstring RecordFileName(const RecordRequest& request);

}  // namespace shared
