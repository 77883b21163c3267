// The viewer's channel list: the section of channels.ini (terrestrial, the viewer's area) or of
// bscs.ini (BS/CS tuner) that the viewer itself uses, each entry checked or not for collection.
#include "capture_plugin/capture_texts.h"
#include "capture_plugin/channel_list_source.h"
#include "capture_plugin/plugin_ini.h"
#include "capture_plugin/quorvantel_dlg.h"
#include "platform/process.h"
#include "shared/ini_file.h"
#include "shared/window_message_ids.h"

namespace capture_plugin {

void CQuorvantelDlg::LoadChannelList() {
    channelList_.clear();
    tunerKind_ = static_cast<std::int32_t>(
        platform::SendMessageW(hostWindow_, shared::WM_HOST_GET_TUNER_KIND, 0, 0));
    const ChannelListSource source =
        ChooseChannelListSource(tunerKind_, area_, defArea_, channelsIniPath_, bscsIniPath_);
    shared::IniFile ini;
    ini.Load(source.path);
    const shared::IniSection* entries = ini.FindSection(source.section);
    sharedMemory_.WriteTunerId(tunerKind_, platform::GetCurrentProcessId());
    if (entries == nullptr) {
        statusText_ = kChannelFileErrorText;
        UpdateData(false);
        return;
    }
    for (const auto& [key, name] : entries->pairs) {
        const std::uint32_t channel = ChannelValueOfKey(key);
        channelList_.push_back({channel, name, ReadIniInt(iniPath_, ChannelCheckKey(channel), 1)});
    }
}

}  // namespace capture_plugin
