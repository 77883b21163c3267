#include "timer_ui/program_info_text.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <vector>

#include "timer_core/epg/search_tables.h"

namespace timer_ui {
namespace {

template <typename Code>
struct CodeName {
    Code code;
    std::wstring_view name;
};

template <typename Code, std::size_t N>
std::wstring_view NameOf(const std::array<CodeName<Code>, N>& table, Code code) {
    for (const CodeName<Code>& entry : table) {
        if (entry.code == code) return entry.name;
    }
    return {};
}

constexpr std::array<CodeName<std::uint8_t>, 9> kVideoNames = {{
    {0x01, L"映像480i(525i）、アスペクト比４：３"},
    {0x03, L"映像480i(525i）、アスペクト比１６：９　パンベクトルなし"},
    {0x04, L"映像480i(525i）、アスペクト比＞１６：９"},
    {0xA1, L"映像480p(525p）、アスペクト比４：３"},
    {0xA3, L"映像480p(525p）、アスペクト比１６：９　パンベクトルなし"},
    {0xA4, L"映像480p(525p）、アスペクト比＞１６：９"},
    {0xB1, L"映像1080i(1125i）、アスペクト比４：３"},
    {0xB3, L"映像1080i(1125i）、アスペクト比１６：９　パンベクトルなし"},
    {0xB4, L"映像1080i(1125i）、アスペクト比＞１６：９"},
}};

constexpr std::array<CodeName<std::uint8_t>, 6> kAudioNames = {{
    {0x01, L"1/0モード（シングルモノ）"},
    {0x02, L"1/0+1/0モード（デュアルモノ）"},
    {0x03, L"2/0モード（ステレオ）"},
    {0x07, L"3/1モード"},
    {0x08, L"3/2モード"},
    {0x09, L"3/2+LFEモード（5.1ch）"},
}};

constexpr std::array<CodeName<std::uint8_t>, 6> kSamplingRateNames = {{
    {1, L"16kHz"},
    {2, L"22.05kHz"},
    {3, L"24kHz"},
    {5, L"32kHz"},
    {6, L"44.1kHz"},
    {7, L"48kHz"},
}};

void AppendIdentifiers(std::wstring& text, const broadcast::EpgEventRecord& event) {
    wchar_t line[160];
    std::swprintf(line, std::size(line),
                  L"ServiceID : 0x%04X\r\ntransport_stream_id : 0x%04X\r\n"
                  L"OriginalNID : 0x%04X\r\nEventID : 0x%04X\r\n\r\n",
                  unsigned{event.serviceId}, unsigned{event.transportStreamId},
                  unsigned{event.originalNetworkId}, unsigned{event.eventId});
    text += line;
}

void AppendTimes(std::wstring& text, const broadcast::EpgEventRecord& event) {
    wchar_t line[160];
    std::swprintf(line, std::size(line),
                  L"開始日時 : %04d/%02d/%02d %02d:%02d:%02d\r\n総時間 : %02d:%02d:%02d\r\n\r\n",
                  int{event.startYear}, int{event.startMonth}, int{event.startDay},
                  int{event.startHour}, int{event.startMinute}, int{event.startSecond},
                  int{event.durationHours}, int{event.durationMinutes}, int{event.durationSeconds});
    text += line;
}

// Each major genre once, in the order of its first content entry.
void AppendGenres(std::wstring& text, const broadcast::EpgEventRecord& event) {
    text += L"ジャンル : ";
    std::vector<std::uint8_t> shown;
    for (const broadcast::EpgContentEntry& entry : event.contentEntries) {
        const std::uint8_t genre = entry.contentNibbleLevel1;
        if (genre >= timer_core::GenreNameTable.size()) continue;
        if (std::find(shown.begin(), shown.end(), genre) != shown.end()) continue;
        if (!shown.empty()) text += L"、";
        text += timer_core::GenreNameTable[genre];
        shown.push_back(genre);
    }
    text += L"\r\n\r\n";
}

void AppendComponents(std::wstring& text, const broadcast::EpgEventRecord& event) {
    text += L"映像 : ";
    text += VideoComponentText(event.componentType);
    text += L"\r\n";
    if (!event.componentText.empty()) text += event.componentText + L"\r\n";
    text += L"音声 : ";
    text += AudioComponentText(event.audioComponent.componentType);
    text += L"\r\n";
    if (!event.audioText.empty()) text += event.audioText + L"\r\n";
    text += L"サンプリングレート : ";
    text += SamplingRateText(event.audioComponent.samplingRate);
    text += L"\r\n\r\n";
}

void AppendDescriptions(std::wstring& text, const broadcast::EpgEventRecord& event,
                        const broadcast::ServiceScheduleRecord& schedule) {
    text += L"番組名 : " + event.name + L"\r\n\r\n";
    text += L"説明 : " + event.text + L"\r\n\r\n";
    text += L"詳細 : \r\n";
    if (const auto extended = schedule.extendedTexts.find(event.eventId);
        extended != schedule.extendedTexts.end()) {
        text += extended->second;
    }
    text += L"\r\n";
}

}  // namespace

std::wstring_view VideoComponentText(std::uint8_t componentType) {
    return NameOf(kVideoNames, componentType);
}

std::wstring_view AudioComponentText(std::uint8_t componentType) {
    return NameOf(kAudioNames, componentType);
}

std::wstring_view SamplingRateText(std::uint8_t samplingRate) {
    return NameOf(kSamplingRateNames, samplingRate);
}

std::wstring BuildProgramInfoText(const broadcast::EpgStore* store, std::uint16_t transportStreamId,
                                  std::uint16_t serviceId, std::uint16_t eventId) {
    if (store == nullptr) return std::wstring(kProgramInfoNotFound);
    const auto schedule =
        store->schedules.find(broadcast::ServiceKey(transportStreamId, serviceId));
    if (schedule == store->schedules.end() || !schedule->second) {
        return std::wstring(kProgramInfoNotFound);
    }
    const auto found = schedule->second->events.find(eventId);
    if (found == schedule->second->events.end() || !found->second) {
        return std::wstring(kProgramInfoNotFound);
    }
    const broadcast::EpgEventRecord& event = *found->second;
    std::wstring text;
    AppendIdentifiers(text, event);
    AppendTimes(text, event);
    AppendGenres(text, event);
    AppendComponents(text, event);
    AppendDescriptions(text, event, *schedule->second);
    return text;
}

}  // namespace timer_ui
