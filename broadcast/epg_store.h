// The in-memory programme guide: services, schedules and present/following events, each map
// keyed by service key and owning its records. The capture contexts decide what enters it; the
// store only keeps, replaces and frees. It has no lock: one thread at a time.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "broadcast/epg_records.h"

namespace broadcast {

class EpgStore {
  public:
    EpgStore() = default;
    ~EpgStore() = default;
    EpgStore(const EpgStore&) = delete;
    EpgStore& operator=(const EpgStore&) = delete;

    // Frees every schedule record with its tables, events and extended texts; services and
    // present/following stay.
    void Clear();

    // Stores a copy of the record under its service key, replacing any earlier one. Returns 1,
    // or 0 for a null argument.
    int PutService(const ServiceRecord* service);

    void ClearServices();
    void ClearPresentFollowing();

    std::map<std::uint32_t, std::unique_ptr<ServiceRecord>> services;
    std::map<std::uint32_t, std::unique_ptr<ServiceScheduleRecord>> schedules;
    std::map<std::uint32_t, std::unique_ptr<EventMapHolder>> presentFollowing;
};

}  // namespace broadcast
