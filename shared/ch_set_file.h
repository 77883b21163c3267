// ChSet.txt: which physical channel carries a service name. One line per name, "name=value" in
// Shift-JIS with CR LF, in ascending byte order of the name; rewritten whole on every save. The
// timer reads it with the same class.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace shared {

class ChSetFile {
  public:
    // Empties the map, then reads the file: 0 for an empty path or a file that cannot be read,
    // 1 otherwise. Comment lines (";") and lines without "=" are skipped; the first line of a
    // name wins.
    int Load(std::wstring_view path);

    // Splits a line at its first "=": the name before it, the integer at the start of the text
    // after it (0 when there is none). 0 for an empty line or one without "=".
    static int ParseLine(std::string_view line, std::string* name, int* value);

    // Inserts or overwrites the name's channel value. 0 for an empty name. The name is stored in
    // Shift-JIS ("?" for characters it lacks); line breaks in it become blanks so that it stays
    // one line of the file.
    int Set(std::wstring_view name, int channel);

    // Replaces the file whole with the map's lines; 0 when it cannot be written.
    int Save(std::wstring_view path) const;

    // The same on bytes: Parse empties the map and reads the lines; Bytes is what Save writes.
    void Parse(std::string_view bytes);
    std::string Bytes() const;

    const std::map<std::string, int>& entries() const { return entries_; }

  private:
    std::map<std::string, int> entries_;  // Shift-JIS name -> channel value, byte order
};

}  // namespace shared
