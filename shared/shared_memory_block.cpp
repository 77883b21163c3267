#include "shared/shared_memory_block.h"

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
    platform::NamedFileMapping& mapping = handles_[slot];
    if (mapping.Valid() && names_[slot] != name) mapping.Close();
    if (!mapping.Valid()) {
        bool existed = false;
        mapping = platform::NamedFileMapping::Create(name, size, &existed);
        if (!mapping.Valid()) return 0;
        if (existed && !mapping.CreatedByThisProcess()) {
            // Another process's object: this publication is skipped.
            mapping.Close();
            return 0;
        }
        names_[slot] = name;
    }
    return mapping.Write(bytes) ? 1 : 0;
}

int SharedMemoryBlock::WriteText(Slot slot, std::string_view name, const char* text,
                                 std::size_t length) {
    if (length > kProgramTextSize || (text == nullptr && length != 0)) {
        // The refused text takes the old one with it.
        handles_[slot].Close();
        return 0;
    }
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
    if (hwnd == 0) {
        handles_[kPostTimerHwndSlot].Close();
        return 0;
    }
    return Publish(kPostTimerHwndSlot, kPostTimerHwndName, kHandleObjectSize, BytesOf(hwnd));
}

int SharedMemoryBlock::WriteEvent(const PluginEventInfo& info, platform::DWORD pid) {
    return Publish(kEventSlot, ObjectNameForProcess(kEventPrefix, pid), sizeof info, BytesOf(info));
}

int SharedMemoryBlock::WriteRec(const RecordRequest& request, platform::DWORD pid) {
    return Publish(kRecSlot, ObjectNameForProcess(kRecPrefix, pid), sizeof request,
                   BytesOf(request));
}

int SharedMemoryBlock::WritePostHwnd(platform::HWND hwnd, platform::DWORD pid) {
    if (hwnd == 0) {
        handles_[kPostHwndSlot].Close();
        return 0;
    }
    return Publish(kPostHwndSlot, ObjectNameForProcess(kPostHwndPrefix, pid), kHandleObjectSize,
                   BytesOf(hwnd));
}

int SharedMemoryBlock::WriteStatus(std::int32_t status, platform::DWORD pid) {
    return Publish(kStatusSlot, ObjectNameForProcess(kStatusPrefix, pid), kInt32ObjectSize,
                   BytesOf(status));
}

int SharedMemoryBlock::WriteTunerId(std::int32_t tunerKind, platform::DWORD pid) {
    return Publish(kFriioIdSlot, ObjectNameForProcess(kFriioIdPrefix, pid), kInt32ObjectSize,
                   BytesOf(tunerKind));
}

int SharedMemoryBlock::WriteTime(std::int32_t offsetSeconds, platform::DWORD pid) {
    return Publish(kTimeSlot, ObjectNameForProcess(kTimePrefix, pid), kInt32ObjectSize,
                   BytesOf(offsetSeconds));
}

void SharedMemoryBlock::CloseAll() {
    for (auto& handle : handles_)
        handle.Close();
}

}  // namespace shared
