#include "timer_core/recording/recording_file_check.h"

#include <algorithm>

#include "platform/file_name_length.h"
#include "platform/file_search.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "shared/friio_save_path.h"

namespace timer_core {
namespace {

// The bytes of the names the viewer and the plug-in keep room for beside a recording whose name
// is too long: none, "<name>.err" and "<name>.program.txt".
constexpr std::size_t kSideFileRooms[] = {0, 4, 12};

}  // namespace

void RecordingFileCheck::Begin(const std::wstring& name, bool throughPlugIn) {
    paths_.clear();
    path_.clear();
    std::wstring folder;
    shared::ReadFriioSavePath(&folder);
    if (folder.empty() && !throughPlugIn) folder = platform::GetDocumentsFolder();
    if (!folder.empty() && !name.empty()) {
        path_ = platform::JoinPath(folder, name);
        for (const std::size_t room : kSideFileRooms) {
            std::wstring path = platform::FitFileName(path_, room);
            if (std::find(paths_.begin(), paths_.end(), path) == paths_.end())
                paths_.push_back(std::move(path));
        }
    }
    before_ = Look();
}

bool RecordingFileCheck::HoldsRecording() const {
    if (paths_.empty()) return true;
    const std::optional<State> now = Look();
    if (!now || now->size == 0) return false;
    return !before_ || now->size != before_->size ||
           platform::FileTimeToU64(now->written) != platform::FileTimeToU64(before_->written);
}

std::optional<RecordingFileCheck::State> RecordingFileCheck::Look() const {
    for (const std::wstring& path : paths_) {
        const std::wstring name = path.substr(platform::FolderOf(path).size());
        for (const platform::FindData& found : platform::FindFiles(path)) {
            if (found.fileName == name && !found.IsDirectory())
                return State{found.size, found.lastWriteTime};
        }
    }
    return std::nullopt;
}

}  // namespace timer_core
