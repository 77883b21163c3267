// The present and following programme, worked out on the capture worker thread.
#include "capture_plugin/quorvantel_dlg.h"

namespace capture_plugin {

void CQuorvantelDlg::UpdateProgramText(const broadcast::StreamSiCapture& /*context*/) {}

}  // namespace capture_plugin
