#include "capture_plugin/channel_table_merge.h"

#include <vector>

#include "platform/locked_file_update.h"
#include "shared/ch_set2_file.h"
#include "shared/ch_set_file.h"

namespace capture_plugin {
namespace {

std::vector<const broadcast::ServiceRecord*> TvServicesOf(const broadcast::EpgStore& store,
                                                          int transportStreamId) {
    std::vector<const broadcast::ServiceRecord*> services;
    for (const auto& [key, service] : store.services) {
        if (service->serviceType != 0x01 && service->serviceType != 0xA5) continue;
        if (service->transportStreamId != transportStreamId) continue;
        services.push_back(service.get());
    }
    return services;
}

// Read, change and replace the table under the file's lock: the viewers of both tuner kinds
// collect at the same time, and neither may lose what the other merged.
template <class Table, class Change>
void UpdateTable(std::wstring_view path, const Change& change) {
    platform::UpdateFileLocked(path, [&](std::string_view current) -> std::optional<std::string> {
        Table table;
        table.Parse(current);
        change(table);
        return table.Bytes();
    });
}

}  // namespace

void MergeChannelTables(const broadcast::EpgStore& store, int transportStreamId,
                        std::uint32_t channel, std::wstring_view chSetPath,
                        std::wstring_view chSet2Path) {
    const auto services = TvServicesOf(store, transportStreamId);
    const int value = static_cast<int>(channel);
    UpdateTable<shared::ChSetFile>(chSetPath, [&](shared::ChSetFile& table) {
        for (const broadcast::ServiceRecord* service : services)
            table.Set(service->serviceName, value);
    });
    UpdateTable<shared::ChSet2File>(chSet2Path, [&](shared::ChSet2File& table) {
        for (const broadcast::ServiceRecord* service : services) {
            table.Set(
                {value, service->transportStreamId, service->serviceId, service->serviceName});
        }
    });
}

}  // namespace capture_plugin
