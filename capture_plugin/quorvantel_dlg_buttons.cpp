// The window's buttons that open something: the programme font (5018), the settings dialog
// (5027) and the user's EPG viewer program (5008).
#include "capture_plugin/epg_viewer_launch.h"
#include "capture_plugin/quorvantel_dlg.h"
#include "capture_plugin/setting_dlg.h"
#include "ui/pickers.h"

namespace capture_plugin {

void CQuorvantelDlg::OnBnClickedFont() {
    const ui::LOGFONTW current = infoFont_ ? infoLogFont_ : ui::LogFontFromFont(font());
    if (const auto choice = ui::ChooseFont(GetSafeHwnd(), {current, textColor_})) {
        infoLogFont_ = choice->font;
        infoFont_ = ui::FontFromLogFont(choice->font);
        textColor_ = choice->color;
    }
    // Cancelled or not, the font is applied again.
    ApplyInfoFont();
}

void CQuorvantelDlg::OnBnClickedSetting() {
    CSettingDlg dialog(hostFolder_);
    dialog.SetTunerKind(tunerKind_);
    if (dialog.DoModal(GetSafeHwnd()) != ui::IDOK) return;
    ReadSettings();
    LoadChannelList();
    RestartClockSyncTimer();
}

void CQuorvantelDlg::OnBnClickedStartEpgViewer() {
    StartEpgViewer({epgPath_, startOption_, hostFolder_, documentsFolder_});
}

}  // namespace capture_plugin
