#include "capture_plugin/recording_error_log.h"

#include <array>
#include <cinttypes>
#include <cstdio>

#include "platform/file_handle.h"

namespace capture_plugin {

std::string_view CardStateText(std::int32_t cardState) {
    static constexpr std::array<std::string_view, 7> kTexts = {"DTV_CARD_OK\r\n",
                                                               "DTV_CARD_NOREADER\r\n",
                                                               "DTV_CARD_NOCARD\r\n",
                                                               "DTV_CARD_REINSERTCARD\r\n",
                                                               "DTV_CARD_ERROR\r\n",
                                                               "DTV_CARD_GENERAL_ERROR\r\n",
                                                               "DTV_CARD_NOTINITIALIZED\r\n"};
    if (cardState < 0 || cardState >= static_cast<std::int32_t>(kTexts.size())) return {};
    return kTexts[static_cast<std::size_t>(cardState)];
}

std::string FormatErrorLogLine(const platform::SYSTEMTIME& now, std::int32_t errorCount,
                               std::int64_t scrambleCount, std::int32_t cardState) {
    char line[128];
    std::snprintf(line, sizeof line,
                  "%04d/%02d/%02d %02d:%02d:%02d Errors:%d Scramble:%" PRId64 " Card:", now.wYear,
                  now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, errorCount,
                  scrambleCount);
    return std::string(line) + std::string(CardStateText(cardState));
}

RecordingErrorLog::Result RecordingErrorLog::Append(std::wstring_view path, const Tick& tick) {
    Result result;
    std::int64_t scrambleCount = tick.scrambleCount;
    platform::FileHandle file =
        platform::CreateFileW(path, platform::GENERIC_READ | platform::GENERIC_WRITE,
                              platform::FILE_SHARE_READ, platform::OPEN_ALWAYS);
    if (file.IsValid()) {
        const bool empty = file.Size().value_or(0) == 0;
        if (empty) {
            result.newLog = true;
            scrambleCount = 0;
            lastScrambleCount_ = 0;
        }
        if (empty || tick.errorCount != lastErrorCount_ || tick.cardState != 0 ||
            scrambleCount != lastScrambleCount_) {
            file.SetPointer(0, platform::FILE_END);
            result.lineWritten = file.WriteAll(
                FormatErrorLogLine(tick.now, tick.errorCount, scrambleCount, tick.cardState));
        }
        file.Close();
    }
    lastErrorCount_ = tick.errorCount;
    lastScrambleCount_ = scrambleCount;
    return result;
}

}  // namespace capture_plugin
