// The plug-in's reader of the viewer's channel lists (channels.ini, bscs.ini): every section with
// every key line in file order, duplicates included. Unlike the private-profile functions it
// keeps the whole file, so a section can be walked key by key. Files are Shift-JIS, or UTF-16LE
// when they begin with the byte-order mark.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shared {

struct IniSection {
    std::wstring name;
    std::vector<std::pair<std::wstring, std::wstring>> pairs;  // (key, value) in file order
};

class IniFile {
  public:
    // 1 when the file was read and parsed; 0 for an empty path, a file that cannot be opened or
    // an empty file. The map is emptied first (except for an empty path).
    int Load(std::wstring_view path);

    // Split a key line at its first "=" and append (key, value) to the list: 1 when appended, 0
    // for an empty line or one without "=". Key and value keep their blanks.
    static int AddKeyValueW(std::wstring_view line,
                            std::vector<std::pair<std::wstring, std::wstring>>& list);
    // The same for a Shift-JIS line; key and value are converted to wide text one by one.
    static int AddKeyValueSjis(std::string_view line,
                               std::vector<std::pair<std::wstring, std::wstring>>& list);

    // The section of that exact name (case-sensitive), or null.
    const IniSection* FindSection(std::wstring_view name) const;

    const std::map<std::wstring, IniSection, std::less<>>& sections() const { return sections_; }

  private:
    void ParseWide(std::wstring_view text);
    void ParseShiftJis(std::string_view text);
    // The current section after the line, when the line is a section header.
    IniSection* SectionOfHeader(std::wstring_view line);

    std::map<std::wstring, IniSection, std::less<>> sections_;
};

}  // namespace shared
