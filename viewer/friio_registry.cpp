#include "viewer/friio_registry.h"

#include "platform/registry.h"

namespace viewer {
namespace {

constexpr const wchar_t* kKey = L"Software\\Friio";

void PutInt(std::string& bytes, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<char>((u >> shift) & 0xFF));
}

std::int32_t GetInt(const std::string& bytes, std::size_t offset) {
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i)
        u = (u << 8) | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(u);
}

}  // namespace

std::wstring ReadFriioString(const wchar_t* name) {
    const auto key = platform::RegistryKey::Open(kKey);
    if (!key) return L"";
    return key->QueryString(name).value_or(L"");
}

bool WriteFriioString(const wchar_t* name, const std::wstring& value) {
    auto key = platform::RegistryKey::Create(kKey);
    return key && key->SetString(name, value);
}

std::optional<WindowRect> ReadWindowPos(const wchar_t* name) {
    const auto key = platform::RegistryKey::Open(kKey);
    if (!key) return std::nullopt;
    const auto value = key->QueryValue(name);
    if (!value || value->data.size() != 16) return std::nullopt;
    return WindowRect{GetInt(value->data, 0), GetInt(value->data, 4), GetInt(value->data, 8),
                      GetInt(value->data, 12)};
}

bool WriteWindowPos(const wchar_t* name, const WindowRect& rect) {
    std::string bytes;
    for (std::int32_t v : {rect.left, rect.top, rect.right, rect.bottom})
        PutInt(bytes, v);
    auto key = platform::RegistryKey::Create(kKey);
    return key && key->SetBinary(name, bytes);
}

}  // namespace viewer
