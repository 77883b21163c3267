#include "platform/profile_text.h"

#include "platform/code_page.h"
#include "platform/text_case.h"
#include "platform/utf16.h"

namespace platform {
namespace {

constexpr std::string_view kUtf16Bom = "\xFF\xFE";
constexpr std::size_t npos = std::string::npos;

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r';
}

std::wstring_view Trim(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::wstring_view Unquoted(std::wstring_view v) {
    const bool quoted =
        v.size() >= 2 && v.front() == v.back() && (v.front() == L'"' || v.front() == L'\'');
    return quoted ? v.substr(1, v.size() - 2) : v;
}

// Where the line starting at `start` ends (one past its "\n"), and whether it has a line end.
std::size_t LineEnd(std::string_view body, std::size_t start, bool utf16, bool* terminated) {
    if (!utf16) {
        const std::size_t nl = body.find('\n', start);
        *terminated = nl != npos;
        return *terminated ? nl + 1 : body.size();
    }
    for (std::size_t i = start; i + 1 < body.size(); i += 2) {
        if (body[i] == '\n' && body[i + 1] == '\0') {
            *terminated = true;
            return i + 2;
        }
    }
    *terminated = false;
    return body.size();
}

}  // namespace

ProfileText::ProfileText(std::string_view bytes) {
    if (bytes.starts_with(kUtf16Bom)) {
        utf16_ = true;
        bom_ = std::string(kUtf16Bom);
        bytes.remove_prefix(kUtf16Bom.size());
    }
    SplitLines(bytes);
}

void ProfileText::SplitLines(std::string_view body) {
    for (std::size_t start = 0; start < body.size();) {
        bool terminated = false;
        const std::size_t end = LineEnd(body, start, utf16_, &terminated);
        std::string raw(body.substr(start, end - start));
        std::wstring text = Decode(raw);
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
            text.pop_back();
        lines_.push_back(Classify(std::move(raw), terminated, std::move(text)));
        start = end;
    }
}

ProfileText::Line ProfileText::Classify(std::string raw, bool terminated, std::wstring text) {
    Line line{std::move(raw), terminated, Kind::kBlank, {}, {}};
    const std::wstring_view t = Trim(text);
    if (t.empty()) return line;
    if (t.front() == L';') {
        line.kind = Kind::kComment;
    } else if (t.front() == L'[') {
        line.kind = Kind::kSection;
        const std::wstring_view inside = t.substr(1);
        line.name = Trim(inside.substr(0, inside.find(L']')));
    } else {
        line.kind = Kind::kKey;
        const std::size_t eq = t.find(L'=');
        line.name = Trim(t.substr(0, eq));
        if (eq != npos) line.value = Trim(t.substr(eq + 1));
    }
    return line;
}

std::wstring ProfileText::Decode(std::string_view raw) const {
    return utf16_ ? Utf16LeToWide(raw) : ShiftJisToWide(raw);
}

std::string ProfileText::Encode(std::wstring_view text) const {
    return utf16_ ? WideToUtf16Le(text) : WideToShiftJis(text);
}

ProfileText::Line ProfileText::MakeLine(std::wstring_view text, bool terminated) const {
    const std::wstring full = std::wstring(text) + (terminated ? L"\r\n" : L"");
    return Classify(Encode(full), terminated, std::wstring(text));
}

void ProfileText::EnsureTerminated(std::size_t index) {
    if (index >= lines_.size() || lines_[index].terminated) return;
    // A UTF-16 file cut after an odd byte gets that code unit completed, so that what follows
    // stays aligned.
    if (utf16_ && lines_[index].raw.size() % 2 != 0) lines_[index].raw.push_back('\0');
    lines_[index].raw += Encode(L"\r\n");
    lines_[index].terminated = true;
}

std::size_t ProfileText::FindSection(std::wstring_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::kSection && EqualsNoCase(lines_[i].name, section)) return i;
    }
    return npos;
}

std::size_t ProfileText::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::kSection)
        ++i;
    return i;
}

std::size_t ProfileText::FindKey(std::size_t header, std::wstring_view key) const {
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (lines_[i].kind == Kind::kKey && EqualsNoCase(lines_[i].name, key)) return i;
    }
    return npos;
}

std::optional<std::wstring> ProfileText::Find(std::wstring_view section,
                                              std::wstring_view key) const {
    const std::size_t header = FindSection(section);
    if (header == npos) return std::nullopt;
    const std::size_t k = FindKey(header, key);
    if (k == npos) return std::nullopt;
    return std::wstring(Unquoted(lines_[k].value));
}

std::vector<std::pair<std::wstring, std::wstring>> ProfileText::Keys(
    std::wstring_view section) const {
    std::vector<std::pair<std::wstring, std::wstring>> keys;
    const std::size_t header = FindSection(section);
    if (header == npos) return keys;
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (lines_[i].kind == Kind::kKey)
            keys.emplace_back(lines_[i].name, Unquoted(lines_[i].value));
    }
    return keys;
}

void ProfileText::Set(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    const std::wstring keyLine = std::wstring(key) + L"=" + std::wstring(value);
    const std::size_t header = FindSection(section);
    if (header == npos) {
        if (!lines_.empty()) EnsureTerminated(lines_.size() - 1);
        lines_.push_back(MakeLine(L"[" + std::wstring(section) + L"]"));
        lines_.push_back(MakeLine(keyLine));
        return;
    }
    if (const std::size_t k = FindKey(header, key); k != npos) {
        // The file's own spelling of the key stays.
        lines_[k] = MakeLine(lines_[k].name + L"=" + std::wstring(value), lines_[k].terminated);
        return;
    }
    std::size_t last = header;
    for (std::size_t i = header + 1; i < SectionEnd(header); ++i) {
        if (lines_[i].kind != Kind::kBlank) last = i;
    }
    EnsureTerminated(last);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last + 1), MakeLine(keyLine));
}

void ProfileText::DeleteKey(std::wstring_view section, std::wstring_view key) {
    const std::size_t header = FindSection(section);
    if (header == npos) return;
    if (const std::size_t k = FindKey(header, key); k != npos) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(k));
    }
}

void ProfileText::DeleteSection(std::wstring_view section) {
    const std::size_t header = FindSection(section);
    if (header == npos) return;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
}

std::string ProfileText::Bytes() const {
    std::string out = bom_;
    for (const Line& line : lines_)
        out += line.raw;
    return out;
}

}  // namespace platform
