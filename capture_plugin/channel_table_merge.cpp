#include "capture_plugin/channel_table_merge.h"

#include "shared/ch_set2_file.h"
#include "shared/ch_set_file.h"

namespace capture_plugin {

void MergeChannelTables(const broadcast::EpgStore& store, int transportStreamId,
                        std::uint32_t channel, std::wstring_view chSetPath,
                        std::wstring_view chSet2Path) {
    shared::ChSetFile chSet;
    shared::ChSet2File chSet2;
    chSet.Load(chSetPath);
    chSet2.Load(chSet2Path);
    const int value = static_cast<int>(channel);
    for (const auto& [key, service] : store.services) {
        if (service->serviceType != 0x01 && service->serviceType != 0xA5) continue;
        if (service->transportStreamId != transportStreamId) continue;
        chSet.Set(service->serviceName, value);
        chSet2.Set({value, service->transportStreamId, service->serviceId, service->serviceName});
    }
    chSet.Save(chSetPath);
    chSet2.Save(chSet2Path);
}

}  // namespace capture_plugin
