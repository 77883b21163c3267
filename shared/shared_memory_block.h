// The handles of the shared-memory objects one side publishes. Every write replaces its object:
// the slot's previous handle is closed first, then the object is created afresh. When a reader
// still holds the old object at that moment, the name already exists: nothing is written (0), and
// the old value is gone once the reader lets go. A handle in the block keeps its object alive.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/named_file_mapping.h"
#include "shared/shared_memory_layouts.h"

namespace shared {

class SharedMemoryBlock {
  public:
    enum Slot : std::size_t {
        kNowDataSlot = 0,
        kNextDataSlot = 1,
        kPostTimerHwndSlot = 2,
        // 3 and 4 are not used.
        kEventSlot = 5,
        kRecSlot = 6,
        kPostHwndSlot = 7,
        kStatusSlot = 8,
        kFriioIdSlot = 9,
        kTimeSlot = 10,
        kSlotCount = 11,
    };

    SharedMemoryBlock() = default;
    SharedMemoryBlock(const SharedMemoryBlock&) = delete;
    SharedMemoryBlock& operator=(const SharedMemoryBlock&) = delete;
    ~SharedMemoryBlock() { CloseAll(); }

    // Each returns 1 when the object was written, else 0.
    int WriteNowData(const char* text, std::size_t length);
    int WriteNextData(const char* text, std::size_t length);
    int WritePostTimerHwnd(platform::HWND hwnd);
    int WriteEvent(const PluginEventInfo& info, platform::DWORD pid);
    int WriteRec(const RecordRequest& request, platform::DWORD pid);
    int WritePostHwnd(platform::HWND hwnd, platform::DWORD pid);
    int WriteStatus(std::int32_t status, platform::DWORD pid);
    int WriteTunerId(std::int32_t tunerKind, platform::DWORD pid);
    int WriteTime(std::int32_t offsetSeconds, platform::DWORD pid);

    // Closes every open handle of the block.
    void CloseAll();

    bool HasHandle(Slot slot) const { return handles_[slot].Valid(); }

  private:
    int WriteText(Slot slot, std::string_view name, const char* text, std::size_t length);
    int Publish(Slot slot, std::string_view name, std::size_t size,
                std::span<const std::uint8_t> bytes);

    std::array<platform::NamedFileMapping, kSlotCount> handles_;
};

}  // namespace shared
