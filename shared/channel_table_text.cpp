#include "shared/channel_table_text.h"

#include "platform/atomic_file_writer.h"
#include "platform/whole_file.h"

namespace shared {

bool ReadChannelTable(std::wstring_view path, std::string* bytes) {
    return !path.empty() && platform::ReadWholeFile(path, bytes);
}

std::wstring OneLineName(std::wstring_view name, std::wstring_view breaks) {
    std::wstring result(name);
    for (wchar_t& c : result) {
        if (breaks.find(c) != breaks.npos) c = L' ';
    }
    return result;
}

int WriteChannelTable(std::wstring_view path, const std::string& bytes) {
    return platform::WriteFileAtomically(path, bytes) ? 1 : 0;
}

}  // namespace shared
