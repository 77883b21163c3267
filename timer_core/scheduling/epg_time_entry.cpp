#include "timer_core/scheduling/epg_time_entry.h"

#include <cwchar>

#include "platform/private_profile.h"
#include "shared/text_lines.h"

namespace timer_core {
namespace {

constexpr const wchar_t* kSection = L"Orvandel";
constexpr platform::DWORD kTextBuffer = 512;

bool IsTimeOfDay(const EpgTimeEntry& entry) {
    return entry.hour >= 0 && entry.hour < 24 && entry.minute >= 0 && entry.minute < 60;
}

}  // namespace

int ParseEpgTimeEntry(std::wstring_view line, EpgTimeEntry* entry) {
    const std::size_t first = line.find(L',');
    if (first == line.npos) return 0;
    const std::size_t second = line.find(L',', first + 1);
    if (second == line.npos) return 0;
    entry->hour = shared::LeadingDecimal(line.substr(0, first));
    entry->minute = shared::LeadingDecimal(line.substr(first + 1, second - first - 1));
    entry->enabled = shared::LeadingDecimal(line.substr(second + 1));
    return 1;
}

std::wstring EpgTimeKey(int hour, int minute) {
    wchar_t key[32];
    std::swprintf(key, 32, L"%02d%02d", hour, minute);
    return key;
}

bool ReadEpgTimes(const std::wstring& iniPath, std::map<std::wstring, EpgTimeEntry>* times) {
    times->clear();
    for (const auto& [n, value] :
         platform::GetPrivateProfileCountedValues(kSection, kTextBuffer, iniPath.c_str())) {
        EpgTimeEntry entry;
        if (!ParseEpgTimeEntry(value, &entry) || !IsTimeOfDay(entry)) continue;
        times->insert_or_assign(EpgTimeKey(entry.hour, entry.minute), entry);
    }
    bool anyEnabled = false;
    for (const auto& [key, entry] : *times)
        anyEnabled = anyEnabled || entry.enabled != 0;
    return anyEnabled;
}

}  // namespace timer_core
