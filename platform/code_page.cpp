#include "platform/code_page.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace platform {
namespace {

constexpr char16_t kUnicodeDefault = 0x30FB;  // what Windows puts for undecodable input
constexpr char kDefaultChar = '?';

bool IsLeadByte(std::uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsTrailByte(std::uint8_t b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// Single bytes that Windows maps although the standard tables leave them out.
struct WindowsExtra {
    std::uint8_t byte;
    char16_t wide;
};
constexpr WindowsExtra kWindowsExtras[] = {
    {0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3}};

// One iconv descriptor used only while the tables are built.
class Iconv {
  public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts the whole input; returns the output bytes, or nothing when any part fails.
    std::size_t Convert(const void* in, std::size_t inLen, void* out, std::size_t outLen) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = static_cast<char*>(const_cast<void*>(in));
        char* outPtr = static_cast<char*>(out);
        std::size_t outLeft = outLen;
        if (iconv(cd_, &inPtr, &inLen, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return 0;
        if (inLen != 0) return 0;
        return outLen - outLeft;
    }

  private:
    iconv_t cd_;
};

class Tables {
  public:
    Tables() : pairs_(0x10000, 0), encode_(0x10000, 0) {
        BuildDecode();
        BuildEncode();
    }

    // The wide character of a single byte that is not a lead byte.
    char16_t Single(std::uint8_t b) const { return single_[b]; }
    // The wide character of a lead/trail pair; 0 when the pair is unassigned.
    char16_t Pair(std::uint8_t lead, std::uint8_t trail) const {
        return pairs_[(static_cast<unsigned>(lead) << 8) | trail];
    }
    // The code page 932 form of a BMP character: a byte below 0x100, a lead/trail pair above;
    // 0 when there is none (U+0000 itself maps to 0 as well).
    std::uint16_t Encode(char32_t c) const { return c < 0x10000 ? encode_[c] : 0; }

  private:
    static char32_t DecodeBytes(Iconv& cv, const std::uint8_t* bytes, std::size_t n) {
        char32_t out[2] = {};
        if (cv.Convert(bytes, n, out, sizeof out) != sizeof(char32_t)) return 0;
        return out[0];
    }

    void BuildDecode() {
        Iconv cv("UTF-32LE", "CP932");
        for (unsigned b = 0; b < 0x100; ++b) {
            const std::uint8_t byte = static_cast<std::uint8_t>(b);
            single_[b] = kUnicodeDefault;
            if (IsLeadByte(byte)) continue;
            const char32_t c = cv.ok() ? DecodeBytes(cv, &byte, 1) : 0;
            if (c != 0 && c < 0x10000) single_[b] = static_cast<char16_t>(c);
        }
        single_[0] = 0;
        for (const auto& extra : kWindowsExtras)
            single_[extra.byte] = extra.wide;
        if (!cv.ok()) return;
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsLeadByte(static_cast<std::uint8_t>(lead))) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (!IsTrailByte(static_cast<std::uint8_t>(trail))) continue;
                const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(lead),
                                               static_cast<std::uint8_t>(trail)};
                const char32_t c = DecodeBytes(cv, bytes, 2);
                if (c != 0 && c < 0x10000) pairs_[(lead << 8) | trail] = static_cast<char16_t>(c);
            }
        }
    }

    void BuildEncode() {
        Iconv cv("CP932", "UTF-32LE");
        if (cv.ok()) {
            for (char32_t c = 1; c < 0x10000; ++c) {
                if (c >= 0xD800 && c <= 0xDFFF) continue;
                std::uint8_t out[4] = {};
                const std::size_t n = cv.Convert(&c, sizeof c, out, sizeof out);
                if (n == 1) encode_[c] = out[0];
                if (n == 2) encode_[c] = static_cast<std::uint16_t>((out[0] << 8) | out[1]);
            }
        }
        for (const auto& extra : kWindowsExtras)
            encode_[extra.wide] = extra.byte;
    }

    std::array<char16_t, 0x100> single_{};
    std::vector<char16_t> pairs_;
    std::vector<std::uint16_t> encode_;
};

const Tables& GetTables() {
    static const Tables tables;
    return tables;
}

bool IsSupported(UINT codePage) {
    return codePage == CP_ACP || codePage == kCodePage932;
}

// Decodes bytes[0..len) and hands each wide character to sink.
template <typename Sink>
void Decode932(const std::uint8_t* bytes, std::size_t len, Sink&& sink) {
    const Tables& tables = GetTables();
    std::size_t i = 0;
    while (i < len) {
        const std::uint8_t b = bytes[i];
        if (!IsLeadByte(b)) {
            sink(tables.Single(b));
            ++i;
        } else if (i + 1 < len && IsTrailByte(bytes[i + 1])) {
            const char16_t c = tables.Pair(b, bytes[i + 1]);
            sink(c != 0 ? c : kUnicodeDefault);
            i += 2;
        } else {
            sink(kUnicodeDefault);
            ++i;
        }
    }
}

// Encodes wide[0..len) and hands each output byte to sink; returns whether a default was used.
template <typename Sink>
bool Encode932(const wchar_t* wide, std::size_t len, std::string_view defaultChar, Sink&& sink) {
    const Tables& tables = GetTables();
    bool usedDefault = false;
    for (std::size_t i = 0; i < len; ++i) {
        const char32_t c = static_cast<char32_t>(wide[i]);
        const std::uint16_t code = tables.Encode(c);
        if (code == 0 && c != 0) {
            usedDefault = true;
            for (char d : defaultChar)
                sink(d);
        } else if (code >= 0x100) {
            sink(static_cast<char>(code >> 8));
            sink(static_cast<char>(code & 0xFF));
        } else {
            sink(static_cast<char>(code));
        }
    }
    return usedDefault;
}

// The input length of a Windows conversion call: -1 means up to and including the zero.
template <typename Char>
bool InputLength(const Char* in, int len, std::size_t* out) {
    if (in == nullptr || len == 0 || len < -1) return false;
    if (len > 0) {
        *out = static_cast<std::size_t>(len);
    } else {
        std::size_t n = 0;
        while (in[n] != 0)
            ++n;
        *out = n + 1;
    }
    return true;
}

// Counts, or writes into out[0..capacity), the values a conversion produces. Returns the count,
// or 0 when the buffer is too small.
template <typename Out, typename Convert>
int Produce(Out* out, int capacity, Convert&& convert) {
    std::size_t count = 0;
    bool overflow = false;
    convert([&](Out v) {
        if (capacity > 0) {
            if (count >= static_cast<std::size_t>(capacity)) {
                overflow = true;
                return;
            }
            out[count] = v;
        }
        ++count;
    });
    if (overflow || count > 0x7FFFFFFF) return 0;
    return static_cast<int>(count);
}

std::string_view DefaultCharOf(const char* defaultChar) {
    if (defaultChar == nullptr || defaultChar[0] == 0) return std::string_view(&kDefaultChar, 1);
    const bool pair = IsLeadByte(static_cast<std::uint8_t>(defaultChar[0])) && defaultChar[1] != 0;
    return std::string_view(defaultChar, pair ? 2 : 1);
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD /*flags*/, const char* multiByte, int multiByteLen,
                        wchar_t* wide, int wideLen) {
    std::size_t len = 0;
    if (!IsSupported(codePage) || wideLen < 0 || !InputLength(multiByte, multiByteLen, &len)) {
        return 0;
    }
    if (wideLen > 0 && wide == nullptr) return 0;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(multiByte);
    return Produce<wchar_t>(wide, wideLen, [&](auto&& sink) {
        Decode932(bytes, len, [&](char16_t c) { sink(static_cast<wchar_t>(c)); });
    });
}

int WideCharToMultiByte(UINT codePage, DWORD /*flags*/, const wchar_t* wide, int wideLen,
                        char* multiByte, int multiByteLen, const char* defaultChar,
                        BOOL* usedDefaultChar) {
    std::size_t len = 0;
    if (!IsSupported(codePage) || multiByteLen < 0 || !InputLength(wide, wideLen, &len)) return 0;
    if (multiByteLen > 0 && multiByte == nullptr) return 0;
    bool used = false;
    const int n = Produce<char>(multiByte, multiByteLen, [&](auto&& sink) {
        used = Encode932(wide, len, DefaultCharOf(defaultChar), sink);
    });
    if (usedDefaultChar != nullptr) *usedDefaultChar = used ? TRUE : FALSE;
    return n;
}

std::wstring ShiftJisToWide(std::string_view shiftJis) {
    std::wstring out;
    out.reserve(shiftJis.size());
    Decode932(reinterpret_cast<const std::uint8_t*>(shiftJis.data()), shiftJis.size(),
              [&](char16_t c) { out.push_back(static_cast<wchar_t>(c)); });
    return out;
}

std::string WideToShiftJis(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size() * 2);
    Encode932(wide.data(), wide.size(), DefaultCharOf(nullptr), [&](char b) { out.push_back(b); });
    return out;
}

}  // namespace platform
