#include "capture_plugin/program_text.h"

#include <cstdio>

#include "capture_plugin/program_time.h"
#include "platform/code_page.h"

namespace capture_plugin {

using platform::SYSTEMTIME;

std::uint32_t EventDurationSeconds(const broadcast::EpgEventRecord& event) {
    return event.durationHours * 3600u + event.durationMinutes * 60u + event.durationSeconds;
}

std::wstring BuildProgramDisplayText(const broadcast::EpgEventRecord& event,
                                     const SYSTEMTIME& start, const SYSTEMTIME& end) {
    std::wstring text;
    FormatProgramTimeRange(&text, start, end);
    for (const std::wstring* part : {&event.name, &event.text, &event.extendedText}) {
        text += L"\r\n\r\n";
        text += *part;
    }
    text += L"\r\n\r\n";
    return text;
}

namespace {

std::string Line(const char* format, int a, int b = 0) {
    char line[64];
    std::snprintf(line, sizeof line, format, a, b);
    return line;
}

}  // namespace

int BuildIepgText(std::string* out, const SYSTEMTIME& start, const SYSTEMTIME& end,
                  std::wstring_view title, std::wstring_view station) {
    if (out == nullptr) return 0;
    std::string text = "Content-type: application/x-tv-program-info; charset=Shift_JIS\r\n";
    text += "version: 1\r\n";
    text += "station: " + platform::WideToShiftJis(station) + "\r\n";
    text += Line("year: %d\r\n", start.wYear);
    text += Line("month: %d\r\n", start.wMonth);
    text += Line("date: %d\r\n", start.wDay);
    text += Line("start: %02d:%02d\r\n", start.wHour, start.wMinute);
    text += Line("end: %02d:%02d\r\n", end.wHour, end.wMinute);
    text += "program-title: " + platform::WideToShiftJis(title) + "\r\n";
    *out = std::move(text);
    return 1;
}

}  // namespace capture_plugin
