// One channel of a search: the condition editor lists these with check boxes, and the search-
// channel dialog shows the same rows in a taller list and hands them back edited.
#pragma once

#include <string>

namespace timer_ui {

struct SearchChannelRow {
    // (transport_stream_id << 16) | service_id, held as a signed 32-bit value as the search
    // conditions hold their services.
    int serviceKey = 0;
    std::wstring name;  // the text shown for the row
    int checked = 0;    // 1 checked, 0 unchecked

    bool operator==(const SearchChannelRow&) const = default;
};

}  // namespace timer_ui
