// What a capture context remembers of the present/following sections it has stored, so that it
// can pass over a repeat that would change nothing. Broadcasters send the present/following
// sub-tables every few seconds, mostly unchanged, and storing one decodes every text of its
// events afresh; a collected EPG data file holds hundreds of such repeats per service.
//
// A section is such a repeat when it is byte for byte the section last stored for its slot
// (service, table_id, section_number), and every one of its events still holds the record that
// storing it made: no other section has written that event since, and nothing else has replaced
// or removed it in the store. Storing it again would then rebuild exactly those records.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "broadcast/eit_section.h"
#include "broadcast/epg_records.h"

namespace broadcast {

class PresentFollowingRepeats {
  public:
    // Whether storing the section into the holder (the one of its service) would change nothing.
    bool Unchanged(std::uint8_t tableId, const EitSection& eit, const EventMapHolder& holder) const;

    // Notes that the section has just been stored into the holder.
    void Stored(std::uint8_t tableId, const EitSection& eit, const EventMapHolder& holder);

    void Clear();

  private:
    struct StoredSection {
        std::vector<std::uint8_t> bytes;
        std::uint64_t storing = 0;
    };
    struct EventWriter {
        std::uint64_t storing = 0;
        const EpgEventRecord* record = nullptr;
    };

    std::uint64_t storings_ = 0;
    std::map<std::uint64_t, StoredSection> sections_;  // by service key, table_id, section_number
    std::map<std::uint64_t, EventWriter> writers_;     // by service key and event_id
};

}  // namespace broadcast
