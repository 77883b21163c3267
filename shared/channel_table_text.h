// What ChSet.txt and ChSet2.txt have in common: reading the file's lines, keeping a name on one
// line, and replacing the file whole.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace shared {

// False when the path is empty or the file cannot be read; the lines otherwise.
bool ReadChannelTableLines(std::wstring_view path, std::string* bytes,
                           std::vector<std::string_view>* lines);

// The name with every character of `breaks` replaced by a blank.
std::wstring OneLineName(std::wstring_view name, std::wstring_view breaks);

// Replaces the file whole; 0 when it cannot be written.
int WriteChannelTable(std::wstring_view path, const std::string& bytes);

}  // namespace shared
