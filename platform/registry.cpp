#include "platform/registry.h"

#include <filesystem>

#include "platform/known_folders.h"
#include "platform/last_error.h"
#include "platform/locked_file_update.h"
#include "platform/paths.h"
#include "platform/utf16.h"
#include "platform/whole_file.h"

namespace platform {
namespace {

RegistryData LoadRegistry() {
    std::string bytes;
    ReadWholeFile(RegistryFilePath(), &bytes);
    return RegistryData::Parse(bytes);
}

// Applies a change to the registry file under its lock; the change returns false to write
// nothing.
template <typename Change>
bool ChangeRegistry(Change change) {
    const std::wstring path = RegistryFilePath();
    std::error_code ec;
    std::filesystem::create_directories(ToNativePath(FolderOf(path)), ec);
    bool changed = false;
    const BOOL ok =
        UpdateFileLocked(path, [&](std::string_view current) -> std::optional<std::string> {
            RegistryData data = RegistryData::Parse(current);
            changed = change(data);
            if (!changed) return std::nullopt;
            return data.Serialize();
        });
    return ok && changed;
}

}  // namespace

std::wstring RegistryFilePath() {
    return JoinPath(JoinPath(GetConfigFolder(), L"orvandel"), L"registry");
}

std::optional<RegistryKey> RegistryKey::Open(std::wstring_view path) {
    if (!LoadRegistry().KeyExists(path)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return std::nullopt;
    }
    return RegistryKey(RegistryData::NormalizePath(path));
}

std::optional<RegistryKey> RegistryKey::Create(std::wstring_view path) {
    const std::wstring normal = RegistryData::NormalizePath(path);
    if (LoadRegistry().KeyExists(normal)) return RegistryKey(normal);
    const bool created = ChangeRegistry([&](RegistryData& data) {
        if (data.KeyExists(normal)) return false;
        data.CreateKey(normal);
        return true;
    });
    if (!created && !LoadRegistry().KeyExists(normal)) return std::nullopt;
    return RegistryKey(normal);
}

std::optional<RegistryValue> RegistryKey::QueryValue(std::wstring_view name) const {
    const RegistryData data = LoadRegistry();
    const RegistryValue* value = data.FindValue(path_, name);
    if (value == nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return std::nullopt;
    }
    return *value;
}

std::optional<DWORD> RegistryKey::QuerySize(std::wstring_view name) const {
    const auto value = QueryValue(name);
    if (!value) return std::nullopt;
    return static_cast<DWORD>(value->data.size());
}

std::optional<std::wstring> RegistryKey::QueryString(std::wstring_view name) const {
    const auto value = QueryValue(name);
    if (!value || value->type != REG_SZ) return std::nullopt;
    std::wstring text = Utf16LeToWide(value->data);
    text.resize(std::min(text.size(), text.find(L'\0')));
    return text;
}

std::optional<DWORD> RegistryKey::QueryDword(std::wstring_view name) const {
    const auto value = QueryValue(name);
    if (!value || value->type != REG_DWORD || value->data.size() != 4) return std::nullopt;
    return DwordFromBytes(value->data);
}

bool RegistryKey::SetValue(std::wstring_view name, DWORD type, std::string_view data) {
    return ChangeRegistry([&](RegistryData& registry) {
        registry.SetValue(path_, RegistryValue{std::wstring(name), type, std::string(data)});
        return true;
    });
}

bool RegistryKey::SetString(std::wstring_view name, std::wstring_view text) {
    return SetValue(name, REG_SZ, WideToUtf16Le(text) + std::string(2, '\0'));
}

bool RegistryKey::SetBinary(std::wstring_view name, std::string_view bytes) {
    return SetValue(name, REG_BINARY, bytes);
}

bool RegistryKey::SetDword(std::wstring_view name, DWORD value) {
    return SetValue(name, REG_DWORD, DwordBytes(value));
}

bool RegistryKey::DeleteValue(std::wstring_view name) {
    return ChangeRegistry([&](RegistryData& data) { return data.DeleteValue(path_, name); });
}

}  // namespace platform
