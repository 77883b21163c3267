// The error log a command-line recording writes beside its file when "-e" is given:
// "<recording>.err", Shift-JIS text of CRLF lines, one when the recording starts, one whenever
// the error count or the scrambled-packet count changed or the card state is not OK (checked
// every 15 s of clock time), one when writing the recording failed, and one when it stops.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace viewer {

// What the log's name adds to the recording's.
inline constexpr std::wstring_view kErrorLogSuffix = L".err";

struct ReceptionCounts {
    std::int32_t errors = 0;
    std::uint64_t scrambled = 0;
    std::int32_t cardState = 0;
    std::uint64_t packets = 0;
};

class RecordingErrorLog {
  public:
    explicit RecordingErrorLog(std::wstring recordingPath);

    void Started(std::uint32_t channel, std::uint16_t service, const ReceptionCounts& counts);
    // Every second; writes at most one line per 15 s.
    void Update(const ReceptionCounts& counts);
    // "Write Error:<Windows error>", the line before Stopped's when the recording ended that way.
    void WriteFailed(std::uint32_t error, const ReceptionCounts& counts);
    void Stopped(const ReceptionCounts& counts);

  private:
    void Append(const std::string& text);
    static std::string CountsText(const ReceptionCounts& counts);

    std::wstring path_;
    ReceptionCounts logged_;
    std::uint64_t lastCheckTick_ = 0;
};

}  // namespace viewer
