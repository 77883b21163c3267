// The window's position, compact-view size, programme font and colour.
#include "capture_plugin/quorvantel_dlg.h"

namespace capture_plugin {

void CQuorvantelDlg::ApplyLayoutSettings() {}

void CQuorvantelDlg::SaveLayoutSettings() {}

}  // namespace capture_plugin
