#include "broadcast/epg_store.h"

namespace broadcast {

void EpgStore::Clear() {
    schedules.clear();
}

int EpgStore::PutService(const ServiceRecord* service) {
    if (service == nullptr) return 0;
    const std::uint32_t key = ServiceKey(service->transportStreamId, service->serviceId);
    services.erase(key);
    services.emplace(key, std::make_unique<ServiceRecord>(*service));
    return 1;
}

void EpgStore::ClearServices() {
    services.clear();
}

void EpgStore::ClearPresentFollowing() {
    presentFollowing.clear();
}

}  // namespace broadcast
