#include "timer_ui/search_channels.h"

#include <cwchar>
#include <iterator>

#include "platform/private_profile.h"

namespace timer_ui {
namespace {

constexpr const wchar_t* kSection = L"CH";

std::wstring KeyName(int serviceKey) {
    return std::to_wstring(serviceKey);
}

std::wstring HexText(const wchar_t* format, unsigned value) {
    wchar_t text[16];
    std::swprintf(text, std::size(text), format, value);
    return text;
}

}  // namespace

bool IsSearchedServiceType(std::uint8_t serviceType) {
    return serviceType == 0x01 || serviceType == 0xA5;
}

int ReadChannelDefault(const std::wstring& iniPath, int serviceKey) {
    const auto value =
        platform::GetPrivateProfileIntW(kSection, KeyName(serviceKey).c_str(), 1, iniPath.c_str());
    return value != 0 ? 1 : 0;
}

void WriteChannelDefault(const std::wstring& iniPath, int serviceKey, int checked) {
    platform::WritePrivateProfileStringW(kSection, KeyName(serviceKey).c_str(),
                                         std::to_wstring(checked).c_str(), iniPath.c_str());
}

std::vector<SearchChannelRow> SearchChannelRows(const broadcast::EpgStore& store,
                                                const std::wstring& iniPath) {
    std::vector<SearchChannelRow> rows;
    if (!store.services.empty()) {
        for (const auto& [key, service] : store.services) {
            if (!service || !IsSearchedServiceType(service->serviceType)) continue;
            const int serviceKey = static_cast<int>(key);
            rows.push_back(
                {serviceKey, service->serviceName, ReadChannelDefault(iniPath, serviceKey)});
        }
        return rows;
    }
    for (const auto& [key, schedule] : store.schedules) {
        if (!schedule) continue;
        const int serviceKey = static_cast<int>(key);
        rows.push_back({serviceKey, HexText(L"0x%04X", schedule->serviceId),
                        ReadChannelDefault(iniPath, serviceKey)});
    }
    return rows;
}

void AppendChannelRows(ui::ListBox& list, const std::vector<SearchChannelRow>& rows) {
    for (const SearchChannelRow& row : rows) {
        const int index = list.AddString(row.name);
        list.SetItemData(index, row.serviceKey);
        list.SetCheck(index, row.checked);
    }
}

std::vector<SearchChannelRow> ChannelRowsOf(const ui::ListBox& list) {
    std::vector<SearchChannelRow> rows;
    for (int i = 0; i < list.GetCount(); ++i) {
        rows.push_back({static_cast<int>(list.GetItemData(i)), list.GetText(i),
                        list.GetCheck(i) == 1 ? 1 : 0});
    }
    return rows;
}

std::wstring ConditionServiceText(const broadcast::EpgStore* store,
                                  const timer_core::AutoSearchCondition& condition) {
    std::wstring text;
    if (store == nullptr) return text;
    for (int serviceKey : condition.serviceKeys) {
        const auto key = static_cast<std::uint32_t>(serviceKey);
        if (!store->services.empty()) {
            const auto service = store->services.find(key);
            if (service != store->services.end() && service->second &&
                IsSearchedServiceType(service->second->serviceType)) {
                text += service->second->serviceName + L" ";
            }
        } else if (store->schedules.contains(key)) {
            text += HexText(L"0x%04X ", key);
        }
    }
    return text;
}

}  // namespace timer_ui
