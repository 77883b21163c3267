// AutoSearch.txt lines as the timer reads them: any bytes parse or are rejected without a fault,
// and a parsed condition is written as one line of nine columns that is not a comment and that
// parses back to a condition written the same way.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "shared/text_lines.h"
#include "timer_core/epg/auto_search_file.h"

namespace {

void CheckLine(std::string_view line) {
    timer_core::AutoSearchCondition condition;
    if (!timer_core::AutoSearchFile::ParseLine(line, &condition)) return;
    std::string written;
    if (timer_core::AutoSearchFile::FormatLine(&written, condition) != 1) __builtin_trap();
    if (written.size() < 2 || !written.ends_with("\r\n") || written.front() == ';')
        __builtin_trap();
    const std::string_view body(written.data(), written.size() - 2);
    if (body.find_first_of("\r\n") != body.npos) __builtin_trap();
    if (std::count(body.begin(), body.end(), '\t') != 8) __builtin_trap();
    timer_core::AutoSearchCondition again;
    if (!timer_core::AutoSearchFile::ParseLine(body, &again)) __builtin_trap();
    std::string rewritten;
    timer_core::AutoSearchFile::FormatLine(&rewritten, again);
    if (rewritten != written) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckLine(bytes);
    for (std::string_view line : shared::SplitLines(bytes))
        CheckLine(line);
    return 0;
}
