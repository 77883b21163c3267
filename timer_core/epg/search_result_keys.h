// The keys a search result map holds, as one bit per service_id and event_id: a run of many
// conditions into one map asks for every hit whether its key is there already, and a look into the
// map costs a walk over its nodes, while a bit costs a load. Valid while nothing but Insert
// changes the map's keys.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "timer_core/epg/epg_search.h"

namespace timer_core {

class SearchResultKeys {
  public:
    // The keys of the map as it is ("%04X%04X" of service_id and event_id; other keys can equal
    // no key of a hit and are left out).
    explicit SearchResultKeys(const SearchResultMap& results);

    bool Contains(std::uint16_t serviceId, std::uint16_t eventId);
    void Insert(std::uint16_t serviceId, std::uint16_t eventId);

  private:
    // The bits of the service's event_ids, made on first use.
    std::vector<std::uint64_t>& Service(std::uint16_t serviceId);

    std::unordered_map<std::uint16_t, std::vector<std::uint64_t>> services_;
    std::uint16_t lastServiceId_ = 0;
    std::vector<std::uint64_t>* last_ = nullptr;
};

}  // namespace timer_core
