// The extended text that the capture contexts build from a synthetic event's items, for the
// tests and benchmarks that compare with or stand in for a decoded store.
#pragma once

#include <string>

#include "broadcast_sim/event_description.h"

namespace test_support {

inline std::wstring ExpectedExtendedText(const broadcast_sim::EventDescription& e) {
    std::wstring text;
    for (const broadcast_sim::ExtendedItem& item : e.extended_items) {
        if (!item.description.empty()) {
            if (!text.empty()) text += L"\r\n";
            text += item.description + L"\r\n";
        }
        text += item.text;
    }
    return text;
}

}  // namespace test_support
