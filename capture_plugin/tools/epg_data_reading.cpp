#include "capture_plugin/tools/epg_data_reading.h"

#include "broadcast/stream_si_capture.h"
#include "platform/whole_file.h"

namespace capture_tools {

EpgDataFile ReadEpgDataFile(const std::wstring& path, broadcast::EpgStore* store) {
    EpgDataFile result;
    std::string bytes;
    if (!platform::ReadWholeFile(path, &bytes)) return result;
    broadcast::StreamSiCapture capture;
    capture.store = store;
    capture.otherTsMode = 1;
    for (std::size_t at = 0; at + 188 <= bytes.size(); at += 188)
        capture.AddPacket(reinterpret_cast<const std::uint8_t*>(bytes.data() + at));
    result.read = true;
    result.bytes = bytes.size();
    result.transportStreamId = capture.transportStreamId;
    result.broadcastTime = capture.broadcastTime;
    return result;
}

}  // namespace capture_tools
