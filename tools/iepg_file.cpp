#include "tools/iepg_file.h"

#include <cstdio>
#include <fstream>

#include "platform/code_page.h"
#include "timer_core/scheduling/reserve_time.h"

namespace tools {

std::string IepgFileText(const IepgProgramme& p) {
    const platform::SYSTEMTIME end = timer_core::LocalSystemTime(
        timer_core::LocalFileTime(p.start) +
        static_cast<std::uint64_t>(p.minutes) * timer_core::kFileTimePerMinute);
    wchar_t times[160];
    std::swprintf(times, std::size(times),
                  L"year: %d\r\nmonth: %d\r\ndate: %d\r\nstart: %02d:%02d\r\nend: %02d:%02d\r\n",
                  p.start.wYear, p.start.wMonth, p.start.wDay, p.start.wHour, p.start.wMinute,
                  end.wHour, end.wMinute);
    const std::wstring text =
        L"Content-type: application/x-tv-program-digital-info; charset=shift_jis\r\n"
        L"version: 2\r\nstation: " +
        p.station + L"\r\nstation-name: " + p.stationName + L"\r\n" + times + L"program-title: " +
        p.title + L"\r\nprogram-id: " + std::to_wstring(p.eventId) + L"\r\n\r\n";
    return platform::WideToShiftJis(text);
}

bool WriteIepgFile(const std::filesystem::path& path, const IepgProgramme& programme) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << IepgFileText(programme);
    return static_cast<bool>(out.flush());
}

}  // namespace tools
