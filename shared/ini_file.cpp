#include "shared/ini_file.h"

#include "platform/code_page.h"
#include "platform/utf16.h"
#include "platform/whole_file.h"
#include "shared/text_lines.h"

namespace shared {
namespace {

bool IsComment(std::wstring_view line) {
    return !line.empty() && (line.front() == L';' || line.front() == L'#');
}

bool IsSectionHeader(std::wstring_view line) {
    return line.find(L'[') != line.npos && line.find(L']') != line.npos &&
           line.find(L'=') == line.npos;
}

}  // namespace

int IniFile::Load(std::wstring_view path) {
    if (path.empty()) return 0;
    sections_.clear();
    std::string bytes;
    if (!platform::ReadWholeFile(path, &bytes) || bytes.empty()) return 0;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        ParseWide(platform::Utf16LeToWide(std::string_view(bytes).substr(2)));
    } else {
        ParseShiftJis(bytes);
    }
    return 1;
}

void IniFile::ParseWide(std::wstring_view text) {
    IniSection* current = nullptr;
    for (std::wstring_view line : SplitLines(text)) {
        if (IsComment(line)) continue;
        if (IniSection* header = SectionOfHeader(line)) {
            current = header;
        } else if (current != nullptr) {
            AddKeyValueW(line, current->pairs);
        }
    }
}

void IniFile::ParseShiftJis(std::string_view text) {
    IniSection* current = nullptr;
    for (std::string_view line : SplitLines(text)) {
        // Headers are recognised on the decoded text: a trail byte of a double-byte character
        // can equal "[" or "]".
        const std::wstring wide = platform::ShiftJisToWide(line);
        if (IsComment(wide)) continue;
        if (IniSection* header = SectionOfHeader(wide)) {
            current = header;
        } else if (current != nullptr) {
            AddKeyValueSjis(line, current->pairs);
        }
    }
}

IniSection* IniFile::SectionOfHeader(std::wstring_view line) {
    if (!IsSectionHeader(line)) return nullptr;
    std::wstring name;
    for (wchar_t c : line) {
        if (c != L'[' && c != L']') name.push_back(c);
    }
    auto [it, inserted] = sections_.try_emplace(name);
    if (inserted) it->second.name = name;
    return &it->second;
}

int IniFile::AddKeyValueW(std::wstring_view line,
                          std::vector<std::pair<std::wstring, std::wstring>>& list) {
    const std::size_t equals = line.find(L'=');
    if (line.empty() || equals == line.npos) return 0;
    list.emplace_back(std::wstring(line.substr(0, equals)), std::wstring(line.substr(equals + 1)));
    return 1;
}

int IniFile::AddKeyValueSjis(std::string_view line,
                             std::vector<std::pair<std::wstring, std::wstring>>& list) {
    // "=" is never the trail byte of a double-byte character, so the bytes can be split as they
    // are.
    const std::size_t equals = line.find('=');
    if (line.empty() || equals == line.npos) return 0;
    list.emplace_back(platform::ShiftJisToWide(line.substr(0, equals)),
                      platform::ShiftJisToWide(line.substr(equals + 1)));
    return 1;
}

const IniSection* IniFile::FindSection(std::wstring_view name) const {
    const auto it = sections_.find(name);
    return it == sections_.end() ? nullptr : &it->second;
}

}  // namespace shared
