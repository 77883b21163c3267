// The recording file name the viewer asks for when it starts a recording.
#include "capture_plugin/quorvantel_dlg.h"

namespace capture_plugin {

void CQuorvantelDlg::GetRecFileName(wchar_t* /*path*/, platform::DWORD /*bufferChars*/) {}

}  // namespace capture_plugin
