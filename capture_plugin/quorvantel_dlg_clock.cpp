// The broadcast clock as the capture worker sees it.
#include "capture_plugin/quorvantel_dlg.h"

namespace capture_plugin {

void CQuorvantelDlg::SetBroadcastTimeOffset(std::uint64_t /*broadcastTime*/) {}

}  // namespace capture_plugin
