#include "shared/friio_save_path.h"

#include "platform/registry.h"

namespace shared {

int ReadFriioSavePath(std::wstring* path) {
    const auto key = platform::RegistryKey::Open(L"Software\\Friio");
    if (!key) return 0;
    const auto size = key->QuerySize(L"SavePath");
    if (size && *size != 0) {
        if (auto value = key->QueryString(L"SavePath")) *path = std::move(*value);
    }
    return 1;
}

}  // namespace shared
