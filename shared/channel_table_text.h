// What ChSet.txt and ChSet2.txt have in common: reading the file, keeping a name on one line,
// and replacing the file whole.
#pragma once

#include <string>
#include <string_view>

namespace shared {

// False when the path is empty or the file cannot be read.
bool ReadChannelTable(std::wstring_view path, std::string* bytes);

// The name with every character of `breaks` replaced by a blank.
std::wstring OneLineName(std::wstring_view name, std::wstring_view breaks);

// Empties the table and parses the file into it: 0 when the file cannot be read, else 1.
template <class Table>
int LoadChannelTable(std::wstring_view path, Table& table) {
    std::string bytes;
    const bool read = ReadChannelTable(path, &bytes);
    table.Parse(read ? bytes : std::string());
    return read ? 1 : 0;
}

// Replaces the file whole; 0 when it cannot be written.
int WriteChannelTable(std::wstring_view path, const std::string& bytes);

}  // namespace shared
