// The viewer's channel list: the section of channels.ini (terrestrial, the viewer's area) or of
// bscs.ini (BS/CS tuner) that the viewer itself uses, each entry checked or not for collection.
#include <cstdio>

#include "capture_plugin/capture_texts.h"
#include "capture_plugin/plugin_ini.h"
#include "capture_plugin/quorvantel_dlg.h"
#include "platform/process.h"
#include "platform/text_case.h"
#include "shared/ini_file.h"
#include "shared/text_lines.h"
#include "shared/window_message_ids.h"

namespace capture_plugin {
namespace {

constexpr std::int32_t kBsCsTuner = 2;

// "27" -> 27; "12034,4030" -> (12034 << 16) | 0x4030.
std::uint32_t ChannelValueOfKey(std::wstring_view key) {
    const std::size_t comma = key.find(L',');
    if (comma == key.npos) return static_cast<std::uint32_t>(shared::LeadingDecimal(key));
    const auto megahertz = static_cast<std::uint32_t>(shared::LeadingDecimal(key.substr(0, comma)));
    return (megahertz << 16) | shared::LeadingHex(key.substr(comma + 1));
}

std::wstring CheckedKey(std::uint32_t channel) {
    wchar_t key[32];
    std::swprintf(key, 32, L"%02dch", static_cast<int>(channel));
    return key;
}

}  // namespace

void CQuorvantelDlg::LoadChannelList() {
    channelList_.clear();
    tunerKind_ = static_cast<std::int32_t>(
        platform::SendMessageW(hostWindow_, shared::WM_HOST_GET_TUNER_KIND, 0, 0));
    std::wstring path = channelsIniPath_;
    std::wstring section = platform::EqualsNoCase(area_, L"BS110CS") ? defArea_ : area_;
    if (tunerKind_ == kBsCsTuner) {
        path = bscsIniPath_;
        section = L"BS110CS";
    }
    shared::IniFile ini;
    ini.Load(path);
    const shared::IniSection* entries = ini.FindSection(section);
    sharedMemory_.WriteTunerId(tunerKind_, platform::GetCurrentProcessId());
    if (entries == nullptr) {
        statusText_ = kChannelFileErrorText;
        UpdateData(false);
        return;
    }
    for (const auto& [key, name] : entries->pairs) {
        const std::uint32_t channel = ChannelValueOfKey(key);
        channelList_.push_back({channel, name, ReadIniInt(iniPath_, CheckedKey(channel), 1)});
    }
}

}  // namespace capture_plugin
