#include "broadcast/file_si_capture.h"

#include <algorithm>

#include "broadcast/si_tables.h"

namespace broadcast {
namespace {

// 0x50, 0x58, 0x60 and 0x68: the table that starts today's part of a class.
bool IsFirstTableOfClass(std::uint32_t tableId) {
    return (tableId & 0x0F) == 0 || (tableId & 0x0F) == 8;
}

// `skip` segments of the first table lie before the broadcast hour's segment.
bool TableComplete(const EitTableRecord& table, std::size_t skip) {
    const std::size_t announced = static_cast<std::size_t>(table.lastSectionNumber) + 1;
    const std::size_t received = table.segments.size();
    return announced == received ||
           (IsFirstTableOfClass(table.tableId) && announced == (received + skip) % 256);
}

}  // namespace

void FileSiCapture::Clear() {
    ClearTracking();
    transportStreamId = 0;
    broadcastTime = 0;
}

int FileSiCapture::OnPat() {
    for (const auto& section : PatSections()) {
        if (section && section->pat && !section->pat->entries.empty()) {
            transportStreamId = section->pat->transport_stream_id;
        }
    }
    return 1;
}

// A file may begin before its first TDT/TOT: the hour is 0 then, and every table must be whole.
int FileSiCapture::OnEit() {
    DispatchEitSections();
    if (scheduleCollectionOff == 1) return kScheduleIncomplete;
    const std::size_t skip = broadcastHour / 3;
    return ScheduleVerdict([skip](const EitTableMap& tables) {
        return std::all_of(tables.begin(), tables.end(), [skip](const auto& entry) {
            return TableComplete(*entry.second, skip);
        });
    });
}

}  // namespace broadcast
