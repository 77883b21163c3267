// The viewer's channel list: the section of channels.ini (terrestrial, the viewer's area) or of
// bscs.ini (BS/CS tuner) that the viewer itself uses, each entry checked or not for collection.
#include "capture_plugin/capture_texts.h"
#include "capture_plugin/channel_list_source.h"
#include "capture_plugin/quorvantel_dlg.h"
#include "platform/process.h"
#include "shared/window_message_ids.h"

namespace capture_plugin {

void CQuorvantelDlg::LoadChannelList() {
    channelList_.clear();
    tunerKind_ = static_cast<std::int32_t>(
        platform::SendMessageW(hostWindow_, shared::WM_HOST_GET_TUNER_KIND, 0, 0));
    const ChannelListSource source =
        ChooseChannelListSource(tunerKind_, area_, defArea_, channelsIniPath_, bscsIniPath_);
    const auto entries = ReadChannelList(source, iniPath_);
    sharedMemory_.WriteTunerId(tunerKind_, platform::GetCurrentProcessId());
    if (!entries) {
        statusText_ = kChannelFileErrorText;
        UpdateData(false);
        return;
    }
    for (const ChannelListEntry& entry : *entries)
        channelList_.push_back({entry.channel, entry.name, entry.checked});
}

}  // namespace capture_plugin
