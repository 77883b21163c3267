// The error log beside a recording (<recording folder>/<request name>.err): every 15 seconds
// during a recording the window's timer appends a line when the host's error count or the
// scrambled-packet count changed since the last tick, or while the card state is not OK. A new,
// empty log gets a first line in any case.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/system_time.h"

namespace capture_plugin {

// "DTV_CARD_OK\r\n" ... "DTV_CARD_NOTINITIALIZED\r\n" for card states 0-6; empty otherwise.
std::string_view CardStateText(std::int32_t cardState);

// "2009/01/04 20:15:00 Errors:3 Scramble:12 Card:" followed by the card-state text.
std::string FormatErrorLogLine(const platform::SYSTEMTIME& now, std::int32_t errorCount,
                               std::int64_t scrambleCount, std::int32_t cardState);

class RecordingErrorLog {
  public:
    struct Tick {
        std::int32_t cardState = 0;
        std::int32_t errorCount = 0;     // the host's, read for this tick
        std::int64_t scrambleCount = 0;  // the worker's counter as read for this tick
        platform::SYSTEMTIME now;        // local time of the tick
    };
    struct Result {
        bool lineWritten = false;
        bool newLog = false;  // the log was empty: zero the scrambled-packet counter
    };

    // One tick with the log at `path`. A log that cannot be opened gets no line and no
    // adjustment; the last logged values are taken in every case.
    Result Append(std::wstring_view path, const Tick& tick);

    // 0x43D zeroes both, the host's file-name request only the scramble count.
    void ResetErrorCount() { lastErrorCount_ = 0; }
    void ResetScrambleCount() { lastScrambleCount_ = 0; }

    std::int32_t LastErrorCount() const { return lastErrorCount_; }
    std::int64_t LastScrambleCount() const { return lastScrambleCount_; }

  private:
    std::int32_t lastErrorCount_ = 0;
    std::int64_t lastScrambleCount_ = 0;
};

}  // namespace capture_plugin
