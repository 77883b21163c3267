#include "shared/epg_data_folder.h"

#include "platform/paths.h"

namespace shared {

std::wstring TimerDataFolder(std::wstring_view documentsFolder) {
    return platform::JoinPath(documentsFolder, L"Orvandel");
}

std::wstring EpgDataFolder(std::wstring_view documentsFolder) {
    return platform::JoinPath(TimerDataFolder(documentsFolder), L"EpgData");
}

}  // namespace shared
