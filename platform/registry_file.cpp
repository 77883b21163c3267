#include "platform/registry_file.h"

#include <cstdio>
#include <optional>
#include <utility>

#include "platform/text_case.h"
#include "platform/utf16.h"
#include "platform/utf8.h"

namespace platform {
namespace {

constexpr std::string_view kHexDigits = "0123456789abcdef";

bool NeedsEscape(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == '%' || c == '"' || c == ']';
}

std::string Escape(std::wstring_view text) {
    std::string out;
    for (const char ch : WideToUtf8(text)) {
        const auto c = static_cast<unsigned char>(ch);
        if (NeedsEscape(c)) {
            out += '%';
            out += kHexDigits[c >> 4];
            out += kHexDigits[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::wstring Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int hi = text[i] == '%' && i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        const int lo = hi >= 0 ? HexValue(text[i + 2]) : -1;
        if (lo >= 0) {
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return Utf8ToWide(out);
}

std::string HexBytes(std::string_view data) {
    std::string out;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (i > 0) out += ',';
        out += kHexDigits[c >> 4];
        out += kHexDigits[c & 0xF];
    }
    return out;
}

std::optional<std::string> ParseHexBytes(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 3) {
        const int hi = HexValue(text[i]);
        const int lo = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
        const bool separated = i + 2 >= text.size() || text[i + 2] == ',';
        if (hi < 0 || lo < 0 || !separated) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
    }
    return out;
}

// The text of a REG_SZ value when its bytes are exactly that text and one terminating zero.
std::optional<std::wstring> PlainText(const std::string& data) {
    if (data.size() < 2 || data.size() % 2 != 0) return std::nullopt;
    std::wstring text = Utf16LeToWide(std::string_view(data).substr(0, data.size() - 2));
    if (text.find(L'\0') != std::wstring::npos) return std::nullopt;
    if (WideToUtf16Le(text) + std::string(2, '\0') != data) return std::nullopt;
    return text;
}

std::string DataText(const RegistryValue& v) {
    if (v.type == REG_SZ) {
        if (const auto text = PlainText(v.data)) return "sz:\"" + Escape(*text) + "\"";
    }
    if (v.type == REG_DWORD && v.data.size() == 4) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", DwordFromBytes(v.data));
        return buf;
    }
    if (v.type == REG_BINARY) return "hex:" + HexBytes(v.data);
    return "hex(" + std::to_string(v.type) + "):" + HexBytes(v.data);
}

std::optional<RegistryValue> ParseDword(std::string_view text) {
    if (text.size() != 8) return std::nullopt;
    DWORD d = 0;
    for (const char c : text) {
        if (HexValue(c) < 0) return std::nullopt;
        d = d * 16 + static_cast<DWORD>(HexValue(c));
    }
    return RegistryValue{{}, REG_DWORD, DwordBytes(d)};
}

std::optional<RegistryValue> ParseTypedHex(std::string_view text) {
    const std::size_t close = text.find("):");
    if (close == std::string_view::npos || close == 0 || close > 10) return std::nullopt;
    DWORD type = 0;
    for (const char c : text.substr(0, close)) {
        if (c < '0' || c > '9') return std::nullopt;
        type = type * 10 + static_cast<DWORD>(c - '0');
    }
    const auto bytes = ParseHexBytes(text.substr(close + 2));
    if (!bytes) return std::nullopt;
    return RegistryValue{{}, type, *bytes};
}

// The part after "=" of a value line.
std::optional<RegistryValue> ParseData(std::string_view text) {
    if (text.starts_with("sz:\"") && text.size() >= 5 && text.back() == '"') {
        const std::wstring s = Unescape(text.substr(4, text.size() - 5));
        return RegistryValue{{}, REG_SZ, WideToUtf16Le(s) + std::string(2, '\0')};
    }
    if (text.starts_with("dword:")) return ParseDword(text.substr(6));
    if (text.starts_with("hex:")) {
        const auto bytes = ParseHexBytes(text.substr(4));
        if (bytes) return RegistryValue{{}, REG_BINARY, *bytes};
        return std::nullopt;
    }
    if (text.starts_with("hex(")) return ParseTypedHex(text.substr(4));
    return std::nullopt;
}

std::optional<RegistryValue> ParseValueLine(std::string_view line) {
    const std::size_t close = line.find('"', 1);
    if (close == std::string_view::npos || close + 1 >= line.size() || line[close + 1] != '=') {
        return std::nullopt;
    }
    auto value = ParseData(line.substr(close + 2));
    if (value) value->name = Unescape(line.substr(1, close - 1));
    return value;
}

}  // namespace

std::string DwordBytes(DWORD value) {
    std::string data;
    for (int i = 0; i < 4; ++i)
        data += static_cast<char>((value >> (8 * i)) & 0xFF);
    return data;
}

DWORD DwordFromBytes(std::string_view fourBytes) {
    DWORD d = 0;
    for (std::size_t i = fourBytes.size(); i-- > 0;)
        d = (d << 8) | static_cast<unsigned char>(fourBytes[i]);
    return d;
}

std::wstring RegistryData::NormalizePath(std::wstring_view path) {
    std::wstring out;
    for (const wchar_t c : path) {
        if (c == L'\\' && (out.empty() || out.back() == L'\\')) continue;
        out.push_back(c);
    }
    if (!out.empty() && out.back() == L'\\') out.pop_back();
    return out;
}

RegistryData RegistryData::Parse(std::string_view text) {
    RegistryData data;
    std::wstring current;
    bool inKey = false;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t close = line.rfind(']');
        if (line.starts_with("[") && close != std::string_view::npos) {
            current = NormalizePath(Unescape(line.substr(1, close - 1)));
            inKey = true;
            data.CreateKey(current);
        } else if (inKey && line.starts_with("\"")) {
            if (auto value = ParseValueLine(line)) data.SetValue(current, std::move(*value));
        }
    }
    return data;
}

std::string RegistryData::Serialize() const {
    std::string out;
    for (const RegistryKeyData& key : keys_) {
        out += "[" + Escape(key.path) + "]\n";
        for (const RegistryValue& v : key.values)
            out += "\"" + Escape(v.name) + "\"=" + DataText(v) + "\n";
    }
    return out;
}

const RegistryKeyData* RegistryData::FindKey(std::wstring_view path) const {
    const std::wstring wanted = NormalizePath(path);
    for (const RegistryKeyData& key : keys_) {
        if (EqualsNoCase(key.path, wanted)) return &key;
    }
    return nullptr;
}

RegistryKeyData* RegistryData::FindKey(std::wstring_view path) {
    return const_cast<RegistryKeyData*>(std::as_const(*this).FindKey(path));
}

bool RegistryData::KeyExists(std::wstring_view path) const {
    const std::wstring wanted = NormalizePath(path);
    if (wanted.empty()) return true;  // the root of the user's registry always exists
    for (const RegistryKeyData& key : keys_) {
        if (EqualsNoCase(key.path, wanted)) return true;
        const bool below =
            key.path.size() > wanted.size() && key.path[wanted.size()] == L'\\' &&
            EqualsNoCase(std::wstring_view(key.path).substr(0, wanted.size()), wanted);
        if (below) return true;
    }
    return false;
}

const RegistryValue* RegistryData::FindValue(std::wstring_view path, std::wstring_view name) const {
    const RegistryKeyData* key = FindKey(path);
    if (key == nullptr) return nullptr;
    for (const RegistryValue& v : key->values) {
        if (EqualsNoCase(v.name, name)) return &v;
    }
    return nullptr;
}

void RegistryData::CreateKey(std::wstring_view path) {
    const std::wstring normal = NormalizePath(path);
    if (FindKey(normal) != nullptr) return;
    keys_.push_back(RegistryKeyData{normal, {}});
}

void RegistryData::SetValue(std::wstring_view path, RegistryValue value) {
    CreateKey(path);
    RegistryKeyData* key = FindKey(path);
    for (RegistryValue& v : key->values) {
        if (EqualsNoCase(v.name, value.name)) {
            v.type = value.type;
            v.data = std::move(value.data);
            return;
        }
    }
    key->values.push_back(std::move(value));
}

bool RegistryData::DeleteValue(std::wstring_view path, std::wstring_view name) {
    RegistryKeyData* key = FindKey(path);
    if (key == nullptr) return false;
    return std::erase_if(key->values,
                         [&](const RegistryValue& v) { return EqualsNoCase(v.name, name); }) > 0;
}

}  // namespace platform
