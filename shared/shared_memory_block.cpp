#include "shared/shared_memory_block.h"

#include <algorithm>

#include "shared/shared_memory_names.h"

namespace shared {
namespace {

template <typename T>
std::span<const std::uint8_t> BytesOf(const T& value) {
    return {reinterpret_cast<const std::uint8_t*>(&value), sizeof value};
}

}  // namespace

int SharedMemoryBlock::Publish(Slot slot, std::string_view name, std::size_t size,
                               std::span<const std::uint8_t> bytes) {
    bool existed = false;
    handles_[slot] = platform::NamedFileMapping::Create(name, size, &existed);
    if (!handles_[slot].Valid()) return 0;
    if (existed) {
        // A reader still holds the previous object: this publication is skipped.
        handles_[slot].Close();
        return 0;
    }
    const platform::MappedView view = handles_[slot].Map(true);
    if (!view.Valid()) return 0;
    const auto target = view.Bytes();
    std::fill(target.begin(), target.end(), std::uint8_t{0});
    std::copy_n(bytes.begin(), std::min(bytes.size(), target.size()), target.begin());
    return 1;
}

int SharedMemoryBlock::WriteText(Slot slot, std::string_view name, const char* text,
                                 std::size_t length) {
    handles_[slot].Close();
    if (length > kProgramTextSize || (text == nullptr && length != 0)) return 0;
    return Publish(slot, name, kProgramTextSize,
                   {reinterpret_cast<const std::uint8_t*>(text), length});
}

int SharedMemoryBlock::WriteNowData(const char* text, std::size_t length) {
    return WriteText(kNowDataSlot, kNowDataName, text, length);
}

int SharedMemoryBlock::WriteNextData(const char* text, std::size_t length) {
    return WriteText(kNextDataSlot, kNextDataName, text, length);
}

int SharedMemoryBlock::WritePostTimerHwnd(platform::HWND hwnd) {
    handles_[kPostTimerHwndSlot].Close();
    if (hwnd == 0) return 0;
    return Publish(kPostTimerHwndSlot, kPostTimerHwndName, kHandleObjectSize, BytesOf(hwnd));
}

int SharedMemoryBlock::WriteEvent(const PluginEventInfo& info, platform::DWORD pid) {
    handles_[kEventSlot].Close();
    return Publish(kEventSlot, ObjectNameForProcess(kEventPrefix, pid), sizeof info, BytesOf(info));
}

int SharedMemoryBlock::WriteRec(const RecordRequest& request, platform::DWORD pid) {
    handles_[kRecSlot].Close();
    return Publish(kRecSlot, ObjectNameForProcess(kRecPrefix, pid), sizeof request,
                   BytesOf(request));
}

int SharedMemoryBlock::WritePostHwnd(platform::HWND hwnd, platform::DWORD pid) {
    handles_[kPostHwndSlot].Close();
    if (hwnd == 0) return 0;
    return Publish(kPostHwndSlot, ObjectNameForProcess(kPostHwndPrefix, pid), kHandleObjectSize,
                   BytesOf(hwnd));
}

int SharedMemoryBlock::WriteStatus(std::int32_t status, platform::DWORD pid) {
    handles_[kStatusSlot].Close();
    return Publish(kStatusSlot, ObjectNameForProcess(kStatusPrefix, pid), kInt32ObjectSize,
                   BytesOf(status));
}

int SharedMemoryBlock::WriteTunerId(std::int32_t tunerKind, platform::DWORD pid) {
    handles_[kFriioIdSlot].Close();
    return Publish(kFriioIdSlot, ObjectNameForProcess(kFriioIdPrefix, pid), kInt32ObjectSize,
                   BytesOf(tunerKind));
}

int SharedMemoryBlock::WriteTime(std::int32_t offsetSeconds, platform::DWORD pid) {
    handles_[kTimeSlot].Close();
    return Publish(kTimeSlot, ObjectNameForProcess(kTimePrefix, pid), kInt32ObjectSize,
                   BytesOf(offsetSeconds));
}

void SharedMemoryBlock::CloseAll() {
    for (auto& handle : handles_)
        handle.Close();
}

}  // namespace shared
