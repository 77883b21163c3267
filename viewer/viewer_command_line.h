// The viewer's command line: "-n", "-c <channel value>", "-x" (record at once) with "-r
// <minutes>", "-f <file>", "-d <n>" and "-e" (error log), and "-o <device index>".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace viewer {

struct ViewerCommandLine {
    bool noVideo = false;                  // -n: the stand-in shows no picture anyway
    std::optional<std::uint32_t> channel;  // -c
    bool record = false;                   // -x
    std::optional<int> minutes;            // -r, with -x; none: until stopped
    std::wstring file;                     // -f, with -x; empty: a name of the viewer's
    std::optional<int> d;                  // -d, with -x; accepted, no effect
    bool errorLog = false;                 // -e, with -x
    int device = 0;                        // -o
};

// The arguments after the program name. nullopt with a message for a malformed line: an unknown
// argument, an option given twice or without its value, a value that is no number in range, or a
// recording option without -x.
std::optional<ViewerCommandLine> ParseViewerCommandLine(const std::vector<std::wstring>& args,
                                                        std::wstring* error);

inline constexpr const wchar_t* kViewerUsage =
    L"usage: FriioView [-n] [-c channel] [-x [-r minutes] [-f file] [-d n] [-e]] [-o device]";

}  // namespace viewer
