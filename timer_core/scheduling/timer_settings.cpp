#include "timer_core/scheduling/timer_settings.h"

#include "platform/private_profile.h"
#include "shared/text_lines.h"

namespace timer_core {
namespace {

constexpr const wchar_t* kSection = L"SET";
constexpr platform::DWORD kTextBuffer = 512;

std::wstring ReadText(const wchar_t* key, const wchar_t* fallback, const std::wstring& iniPath) {
    wchar_t buffer[kTextBuffer];
    platform::GetPrivateProfileStringW(kSection, key, fallback, buffer, kTextBuffer,
                                       iniPath.c_str());
    return buffer;
}

std::int32_t ReadInt(const wchar_t* key, int fallback, const std::wstring& iniPath) {
    return static_cast<std::int32_t>(
        platform::GetPrivateProfileIntW(kSection, key, fallback, iniPath.c_str()));
}

}  // namespace

int TimerSettings::StartSeconds() const {
    return shared::LeadingDecimal(StartSec);
}

int TimerSettings::EndSeconds() const {
    return shared::LeadingDecimal(EndSec);
}

TimerSettings ReadTimerSettings(const std::wstring& iniPath) {
    TimerSettings settings;
    settings.FriioViewPath = ReadText(L"FriioViewPath", L"", iniPath);
    settings.EpgViewPath = ReadText(L"EpgViewPath", L"", iniPath);
    settings.StartSec = ReadText(L"StartSec", L"15", iniPath);
    settings.EndSec = ReadText(L"EndSec", L"1", iniPath);
    settings.TunerCount = ReadText(L"TunerCount", L"1", iniPath);
    settings.TunerCount2 = ReadText(L"TunerCount2", L"0", iniPath);
    settings.RecEnd = ReadInt(L"RecEnd", 0, iniPath);
    settings.AutoDel = ReadInt(L"AutoDel", 0, iniPath);
    settings.RecPriority = ReadInt(L"RecPriority", 0, iniPath);
    settings.NoErrLog = ReadInt(L"NoErrLog", 0, iniPath);
    settings.NoInfoLog = ReadInt(L"NoInfoLog", 1, iniPath);
    settings.NameManual = ReadInt(L"NameManual", 0, iniPath);
    settings.tunerCount1 = shared::LeadingDecimal(settings.TunerCount);
    settings.tunerCount2 = shared::LeadingDecimal(settings.TunerCount2);
    return settings;
}

}  // namespace timer_core
