// iEPG files as the timer reads them from its command line or a drop: any bytes read without a
// fault, an empty file reads as nothing, and a description that is accepted has a network class
// and fields that stay within one line and hold no zero character.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input_file.h"
#include "platform/code_page.h"
#include "timer_core/epg/iepg_reader.h"

namespace {

bool OneLine(const std::wstring& field) {
    return field.find(L'\0') == std::wstring::npos && field.find(L"\r\n") == std::wstring::npos;
}

// The same bytes as lines split at every LF, straight into the line parser.
void ParseAsLines(const std::uint8_t* data, std::size_t size) {
    const std::wstring text =
        platform::ShiftJisToWide(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<std::wstring> lines;
    std::size_t begin = 0;
    for (std::size_t end; (end = text.find(L'\n', begin)) != std::wstring::npos; begin = end + 1)
        lines.push_back(text.substr(begin, end - begin));
    lines.push_back(text.substr(begin));
    timer_core::IepgRecord record;
    if (timer_core::ParseIepgVer2(&record, lines) == 1 &&
        (record.networkClass < 1 || record.networkClass > 3)) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    timer_core::IepgRecord record;
    const int read = timer_core::ReadIepgFile(&record, WriteFuzzInput("program.tvpid", data, size));
    if (size == 0 && read != 1) __builtin_trap();
    if (read == 1 && size > 0) {
        if (record.networkClass < 1 || record.networkClass > 3) __builtin_trap();
        if (!OneLine(record.title) || !OneLine(record.stationName)) __builtin_trap();
    }
    ParseAsLines(data, size);
    return 0;
}
