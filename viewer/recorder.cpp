#include "viewer/recorder.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/last_error.h"

namespace viewer {
namespace {

constexpr std::size_t kPacketSize = 188;

std::uint64_t CountScrambled(const std::uint8_t* data, std::size_t size) {
    std::uint64_t n = 0;
    for (std::size_t i = 0; i + kPacketSize <= size; i += kPacketSize)
        n += (data[i + 3] & 0xC0) != 0 ? 1 : 0;
    return n;
}

}  // namespace

bool Recorder::Start(const std::wstring& path, std::optional<std::int64_t> plannedSeconds) {
    std::lock_guard lock(mutex_);
    if (recording_) return false;
    file_ = platform::CreateFileW(path, platform::GENERIC_WRITE, platform::FILE_SHARE_READ,
                                  platform::CREATE_ALWAYS);
    if (!file_.IsValid()) return false;
    path_ = path;
    limited_ = plannedSeconds.has_value();
    const std::int64_t planned = std::clamp<std::int64_t>(plannedSeconds.value_or(0), 0,
                                                          std::numeric_limits<std::int32_t>::max());
    planned_ = static_cast<std::int32_t>(planned);
    startTick_ = platform::GetTickCount64();
    bytes_ = 0;
    wroteSinceCheck_ = false;
    packets_ = 0;
    scrambled_ = 0;
    writeError_ = 0;
    recording_ = true;
    return true;
}

void Recorder::Write(const std::uint8_t* data, std::size_t size) {
    std::lock_guard lock(mutex_);
    if (!recording_) return;
    const std::size_t whole = size / kPacketSize * kPacketSize;
    if (!file_.WriteAll(std::string_view(reinterpret_cast<const char*>(data), whole))) {
        const std::wstring report = KeepWholePacketsLocked(data, platform::GetLastError());
        CloseLocked();
        platform::OutputDebugStringW(report);
        return;
    }
    bytes_ += whole;
    wroteSinceCheck_ = true;
    CountLocked(data, whole / kPacketSize);
    if (DueLocked()) CloseLocked();
}

// After a failed write the file may end inside a packet: what part of the chunk did reach the
// file is kept as far as its packets are whole, and the rest is cut off. Returns the report.
std::wstring Recorder::KeepWholePacketsLocked(const std::uint8_t* data, platform::DWORD error) {
    const std::uint64_t reached = file_.SetPointer(0, platform::FILE_CURRENT).value_or(bytes_);
    const std::uint64_t kept = reached / kPacketSize * kPacketSize;
    const bool cut = file_.SetPointer(static_cast<std::int64_t>(kept), platform::FILE_BEGIN) &&
                     file_.SetEndOfFile();
    if (kept > bytes_) CountLocked(data, static_cast<std::size_t>((kept - bytes_) / kPacketSize));
    bytes_ = kept;
    writeError_ = error != 0 ? error : platform::ERROR_DISK_FULL;
    return L"FriioView: cannot write the recording " + path_ + L" (error " +
           std::to_wstring(writeError_.load()) + L"); it ends after " + std::to_wstring(packets_) +
           L" whole packets" + (cut ? L"" : L", but a part of a packet could not be cut off");
}

void Recorder::CountLocked(const std::uint8_t* data, std::size_t packets) {
    packets_ += packets;
    scrambled_ += CountScrambled(data, packets * kPacketSize);
}

void Recorder::Adjust(std::int32_t seconds) {
    std::lock_guard lock(mutex_);
    if (!recording_) return;
    const std::int64_t planned = std::int64_t{planned_} + seconds;
    planned_ = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(planned, 0, std::numeric_limits<std::int32_t>::max()));
    limited_ = true;
}

bool Recorder::StopIfDue() {
    std::lock_guard lock(mutex_);
    const bool flowing = std::exchange(wroteSinceCheck_, false);
    if (!recording_ || !DueLocked() || flowing) return false;
    CloseLocked();
    return true;
}

bool Recorder::Stop() {
    std::lock_guard lock(mutex_);
    if (!recording_) return false;
    CloseLocked();
    return true;
}

std::int64_t Recorder::ElapsedSeconds() const {
    std::lock_guard lock(mutex_);
    if (!recording_) return 0;
    return static_cast<std::int64_t>((platform::GetTickCount64() - startTick_) / 1000);
}

std::wstring Recorder::Path() const {
    std::lock_guard lock(mutex_);
    return path_;
}

bool Recorder::DueLocked() const {
    return limited_ &&
           platform::GetTickCount64() - startTick_ >= static_cast<std::uint64_t>(planned_) * 1000;
}

void Recorder::CloseLocked() {
    file_.Flush();
    file_.Close();
    recording_ = false;
}

}  // namespace viewer
