#include "timer_core/recording/record_request.h"

#include <algorithm>
#include <cwchar>

#include "shared/sanitize_file_name.h"
#include "timer_core/scheduling/timer_manager.h"

namespace timer_core {
namespace {

// What the plug-in takes off the margin (its own allowance for the viewer's start).
constexpr std::int64_t kPlugInMarginAllowance = 5;

constexpr std::wstring_view kRecordingExtension = L".ts";

std::size_t Utf16Units(wchar_t c) {
    return static_cast<std::uint32_t>(c) > 0xFFFF ? 2 : 1;
}

// The request's name field holds 511 UTF-16 units. A longer name loses the end of its title,
// never its extension: a recording without ".ts" escapes the housekeeping and the players.
std::wstring FitRequestFileName(const std::wstring& name) {
    constexpr std::size_t kRoom = shared::kRecordFileNameChars - 1;
    std::size_t units = 0;
    for (const wchar_t c : name)
        units += Utf16Units(c);
    if (units <= kRoom) return name;
    const std::wstring_view title =
        std::wstring_view(name).substr(0, name.size() - kRecordingExtension.size());
    std::size_t kept = 0;
    units = 0;
    for (; kept < title.size(); ++kept) {
        units += Utf16Units(title[kept]);
        if (units > kRoom - kRecordingExtension.size()) break;
    }
    return std::wstring(title.substr(0, kept)) + std::wstring(kRecordingExtension);
}

// What both requests share: name, channel, programme and start.
shared::RecordRequest RequestFor(const ReserveEntry& entry, int nameManual, int deviceIndex) {
    shared::RecordRequest request;
    shared::SetRecordFileName(
        request, FitRequestFileName(RecordingFileName(entry, nameManual, deviceIndex)));
    request.channel = static_cast<std::uint32_t>(entry.channelValue);
    request.serviceId = entry.serviceId;
    request.eventId = entry.eventId;
    request.start = platform::SYSTEMTIME{};
    request.start.wYear = entry.start.wYear;
    request.start.wMonth = entry.start.wMonth;
    request.start.wDay = entry.start.wDay;
    request.start.wHour = entry.start.wHour;
    request.start.wMinute = entry.start.wMinute;
    request.start.wSecond = entry.start.wSecond;
    return request;
}

}  // namespace

std::wstring RecordingFileName(const ReserveEntry& entry, int nameManual, int deviceIndex) {
    std::wstring name;
    if (nameManual == 1) {
        name = entry.title + std::wstring(kRecordingExtension);
    } else {
        wchar_t prefix[48];
        std::swprintf(prefix, 48, L"%04d%02d%02d%02d%02d%d-", entry.start.wYear, entry.start.wMonth,
                      entry.start.wDay, entry.start.wHour, entry.start.wMinute, deviceIndex);
        name = prefix + entry.title + std::wstring(kRecordingExtension);
    }
    shared::SanitizeFileName(name);
    return name;
}

void BuildRecordRequest(const ReserveEntry* entry, shared::RecordRequest* out,
                        const TimerManager& manager, int deviceIndex) {
    if (entry == nullptr || out == nullptr) return;
    const TimerSettings settings = manager.Settings();
    const std::uint32_t noErrLog = out->noErrLog;
    *out = RequestFor(*entry, settings.NameManual, deviceIndex);
    out->noErrLog = noErrLog;
    out->minutes = entry->durationMinutes + (entry->durationSeconds != 0 ? 1 : 0);
    out->marginSeconds = settings.StartSeconds() + settings.EndSeconds() + kStartLeadSeconds;
}

std::int32_t FollowMarginSeconds(std::int64_t leadSeconds, int endSec) {
    const std::int64_t margin = leadSeconds + endSec + kPlugInMarginAllowance;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(margin, 0, 24 * 3600));
}

shared::RecordRequest BuildFinalMinuteRequest(const ReserveEntry& entry,
                                              const TimerSettings& settings, int deviceIndex) {
    shared::RecordRequest request = RequestFor(entry, settings.NameManual, deviceIndex);
    request.minutes = entry.durationMinutes;
    request.noErrLog = static_cast<std::uint32_t>(settings.NoErrLog);
    request.marginSeconds = settings.StartSeconds() + kStartLeadSeconds;
    return request;
}

}  // namespace timer_core
