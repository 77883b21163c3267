// The handles of the shared-memory objects one side publishes. A handle in the block keeps its
// object alive. The first write of a slot creates its object; later writes rewrite that object in
// place, as one whole that readers never see half done, so a reader holding or polling the object
// never costs a write. An object of that name made by another process (a second timer instance
// finding the first one's PostTimerHwnd) is not written: 0, and the other process keeps it. One
// made by this process and still held by a reader after the slot was closed is written again.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
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
    std::array<std::string, kSlotCount> names_;  // of the object each open handle refers to
};

}  // namespace shared
