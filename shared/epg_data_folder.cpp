#include "shared/epg_data_folder.h"

#include "platform/paths.h"

namespace shared {

std::wstring EpgDataFolder(std::wstring_view documentsFolder) {
    return platform::JoinPath(platform::JoinPath(documentsFolder, L"Orvandel"), L"EpgData");
}

}  // namespace shared
