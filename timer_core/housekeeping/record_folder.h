// Makes room in the viewer's recording folder before recordings start, by deleting the oldest
// recordings ("<start><tuner>-<title>.ts") until an estimate of what the coming recordings need
// is free. The scheduler's free-space step uses one RecordFolder per call: SetPath, Scan,
// EnsureFreeSpace.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace timer_core {

class RecordFolder {
  public:
    static constexpr std::int64_t kBytesPerMinute = 157'286'400;  // 150 MiB
    static constexpr std::int64_t kReserveBytes = 524'288'000;    // 500 MiB
    static constexpr int kMaxMinutes = 1440;

    // An empty path changes nothing. The free space is asked of the folder itself: the folder
    // stands for the drive it lies on.
    void SetPath(std::wstring_view folder);

    // Lists the folder's "*-*.ts" files (extension in any case, folders skipped) by name. 1 when
    // the search found entries, 0 with an empty path or none.
    int Scan();

    // minutes x 150 MiB + 500 MiB must be free on the folder's file system; deletes recordings,
    // smallest name first, until it is. Files another process holds open (the recording in
    // progress) are never deleted. 1 when enough is free, 0 when not, for more than 1440
    // minutes, without a path or when the free space cannot be queried.
    int EnsureFreeSpace(int minutes);

    // Name without folder -> full path, in ordinal name order (names that start with the start
    // time come oldest first).
    const std::map<std::wstring, std::wstring>& recordings() const { return recordings_; }

  private:
    std::wstring path_;
    std::wstring root_;
    std::map<std::wstring, std::wstring> recordings_;
};

}  // namespace timer_core
