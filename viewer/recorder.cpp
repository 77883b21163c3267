#include "viewer/recorder.h"

#include <algorithm>
#include <limits>

#include "platform/clock.h"

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
    packets_ = 0;
    scrambled_ = 0;
    recording_ = true;
    return true;
}

void Recorder::Write(const std::uint8_t* data, std::size_t size) {
    std::lock_guard lock(mutex_);
    if (!recording_) return;
    file_.Write(data, static_cast<platform::DWORD>(size), nullptr);
    packets_ += size / kPacketSize;
    scrambled_ += CountScrambled(data, size);
    if (DueLocked()) CloseLocked();
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
    if (!recording_ || !DueLocked()) return false;
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
