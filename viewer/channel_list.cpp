#include "viewer/channel_list.h"

#include "platform/code_page.h"
#include "platform/text_case.h"
#include "platform/utf16.h"
#include "platform/whole_file.h"

namespace viewer {
namespace {

std::uint32_t LeadingNumber(std::wstring_view text, int base) {
    std::uint32_t value = 0;
    for (wchar_t c : text) {
        int digit = -1;
        if (c >= L'0' && c <= L'9') digit = c - L'0';
        if (base == 16 && c >= L'a' && c <= L'f') digit = c - L'a' + 10;
        if (base == 16 && c >= L'A' && c <= L'F') digit = c - L'A' + 10;
        if (digit < 0) break;
        value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::wstring DecodeIni(const std::string& bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        return platform::Utf16LeToWide(std::string_view(bytes).substr(2));
    }
    return platform::ShiftJisToWide(bytes);
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t' || text.back() == L'\r'))
        text.remove_suffix(1);
    return text;
}

}  // namespace

std::uint32_t ChannelValueOfKey(std::wstring_view key) {
    const std::size_t comma = key.find(L',');
    if (comma == std::wstring_view::npos) return LeadingNumber(key, 10);
    return (LeadingNumber(key.substr(0, comma), 10) << 16) |
           (LeadingNumber(key.substr(comma + 1), 16) & 0xFFFF);
}

std::vector<ChannelEntry> LoadChannelList(const std::wstring& path, std::wstring_view section) {
    std::vector<ChannelEntry> entries;
    std::string bytes;
    if (!platform::ReadWholeFile(path, &bytes)) return entries;
    const std::wstring text = DecodeIni(bytes);
    bool inSection = false;
    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t end = text.find(L'\n', from);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring_view line = Trim(std::wstring_view(text).substr(from, end - from));
        from = end + 1;
        if (line.empty() || line[0] == L';' || line[0] == L'#') continue;
        if (line.front() == L'[' && line.back() == L']') {
            inSection = platform::EqualsNoCase(line.substr(1, line.size() - 2), section);
            continue;
        }
        const std::size_t equals = line.find(L'=');
        if (!inSection || equals == std::wstring_view::npos) continue;
        entries.push_back({ChannelValueOfKey(Trim(line.substr(0, equals))),
                           std::wstring(Trim(line.substr(equals + 1)))});
    }
    return entries;
}

}  // namespace viewer
