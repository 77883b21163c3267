// The text of a private-profile (ini) file as lines, for reading and for changing one key or one
// section while every other line stays byte for byte as it was.
//
// Encoding: UTF-16LE when the bytes begin with the byte-order mark FF FE, else code page 932;
// lines written back use the file's own encoding and CR LF. Names compare without regard to
// case; blanks around names and values are not part of them. Lines whose first non-blank
// character is ";" are comments. Within a section, a line without "=" is a key with an empty
// value. The first section of a name and the first key of a name in it count.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

class ProfileText {
  public:
    explicit ProfileText(std::string_view bytes);

    // The value as written after "=" with surrounding blanks removed (and one pair of matching
    // single or double quotes around it); nullopt when the section or key is missing.
    std::optional<std::wstring> Find(std::wstring_view section, std::wstring_view key) const;

    // Every key of the section with its value as Find gives it, in file order (a name that
    // occurs twice comes twice; Find takes the first); empty when the section is missing.
    std::vector<std::pair<std::wstring, std::wstring>> Keys(std::wstring_view section) const;

    // Replaces the key's line, or adds it after the last non-empty line of the section, adding
    // the section at the end of the file when it is missing.
    void Set(std::wstring_view section, std::wstring_view key, std::wstring_view value);
    void DeleteKey(std::wstring_view section, std::wstring_view key);
    void DeleteSection(std::wstring_view section);

    std::string Bytes() const;

  private:
    enum class Kind { kBlank, kComment, kSection, kKey };
    struct Line {
        std::string raw;  // the line's bytes, with its line end when it has one
        bool terminated = false;
        Kind kind = Kind::kBlank;
        std::wstring name;   // section or key name, trimmed
        std::wstring value;  // key value, trimmed
    };

    static Line Classify(std::string raw, bool terminated, std::wstring text);
    void SplitLines(std::string_view body);
    std::wstring Decode(std::string_view raw) const;
    std::string Encode(std::wstring_view text) const;
    Line MakeLine(std::wstring_view text, bool terminated = true) const;
    void EnsureTerminated(std::size_t index);

    // Index of the section's header, or npos; end: one past its last line.
    std::size_t FindSection(std::wstring_view section) const;
    std::size_t SectionEnd(std::size_t header) const;
    std::size_t FindKey(std::size_t header, std::wstring_view key) const;

    bool utf16_ = false;
    std::string bom_;
    std::vector<Line> lines_;
};

}  // namespace platform
