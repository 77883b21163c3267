// The window's two views: the full view of the template (365 x 458, fixed) and the compact view,
// a resizable window that shows only the two programme texts (check box 5009). Also the window's
// position, the compact view's size, the font and colour of the programme texts, as the ini keeps
// them.
#include "capture_plugin/compact_layout.h"
#include "capture_plugin/font_settings.h"
#include "capture_plugin/plugin_ini.h"
#include "capture_plugin/quorvantel_dlg.h"
#include "capture_plugin/quorvantel_dlg_template.h"

namespace capture_plugin {
namespace {

constexpr int kCompactControls[] = {IDC_PRESENT_LABEL, IDC_VIEW_ONLY, IDC_PRESENT_TEXT,
                                    IDC_NEXT_LABEL, IDC_NEXT_TEXT};

bool InCompactView(int id) {
    for (int shown : kCompactControls) {
        if (shown == id) return true;
    }
    return false;
}

}  // namespace

void CQuorvantelDlg::ApplyLayoutSettings() {
    posW_ = ReadIniInt(iniPath_, L"PosW", 365);
    posH_ = ReadIniInt(iniPath_, L"PosH", 468);
    ui::LOGFONTW font;
    ParseFont1(ReadIniString(iniPath_, L"Font_1", L"-12,0,0,0,400"), &font);
    ParseFont2(ReadIniString(iniPath_, L"Font_2", L"0,0,0,128"), &font);
    ParseFont3(ReadIniString(iniPath_, L"Font_3", L"0,0,0,50"), &font);
    // A face name longer than a LOGFONT holds is cut to its 31 characters.
    ui::SetFaceName(font, ReadIniString(iniPath_, L"Font_4", L"MS UI Gothic"));
    infoLogFont_ = font;
    infoFont_ = ui::FontFromLogFont(font);
    ParseColor(ReadIniString(iniPath_, L"Color", L"0,0,0"), &textColor_);
    ApplyInfoFont();
    OnBnClickedViewOnly();
    const std::int32_t x = ReadIniInt(iniPath_, L"PosX", -1);
    const std::int32_t y = ReadIniInt(iniPath_, L"PosY", -1);
    if (x != -1 && y != -1) SetWindowPosition(x, y);
}

void CQuorvantelDlg::SaveLayoutSettings() {
    const QRect frame = GetWindowRect();
    WriteIniInt(iniPath_, L"PosX", frame.left());
    WriteIniInt(iniPath_, L"PosY", frame.top());
    WriteIniInt(iniPath_, L"PosW", posW_);
    WriteIniInt(iniPath_, L"PosH", posH_);
    const ui::LOGFONTW font = infoFont_ ? infoLogFont_ : ui::LogFontFromFont(this->font());
    WriteIniString(iniPath_, L"Font_1", FormatFont1(font));
    WriteIniString(iniPath_, L"Font_2", FormatFont2(font));
    WriteIniString(iniPath_, L"Font_3", FormatFont3(font));
    WriteIniString(iniPath_, L"Font_4", font.lfFaceName);
    WriteIniString(iniPath_, L"Color", FormatColor(textColor_));
}

bool CQuorvantelDlg::CompactView() const {
    return IsDlgButtonChecked(IDC_VIEW_ONLY) == 1;
}

void CQuorvantelDlg::OnBnClickedViewOnly() {
    if (CompactView()) {
        // Making the frame resizable reports the full view's size first; the compact size is
        // the one kept.
        const int width = posW_;
        const int height = posH_;
        ShowCompact();
        SetResizable(true);
        SetClientSize(width, height);
        LayoutCompact();
    } else {
        LayoutFull();
        SetResizable(false);
        SetClientSize(kQuorvantelTemplate.width, kQuorvantelTemplate.height);
    }
    update();
}

void CQuorvantelDlg::OnSize(UINT type, int /*cx*/, int /*cy*/) {
    if (type != ui::SIZE_MINIMIZED && CompactView()) LayoutCompact();
}

void CQuorvantelDlg::OnBnClickedNextProgram() {
    if (CompactView()) LayoutCompact();
}

void CQuorvantelDlg::LayoutFull() {
    for (const ui::ControlSpec& control : kQuorvantelTemplate.controls) {
        MoveItem(control.id, control.x, control.y, control.width, control.height);
        ShowItem(control.id, (control.style & ui::style::Hidden) == 0);
    }
}

void CQuorvantelDlg::ShowCompact() {
    for (const ui::ControlSpec& control : kQuorvantelTemplate.controls)
        ShowItem(control.id, InCompactView(control.id));
}

void CQuorvantelDlg::LayoutCompact() {
    const QRect client = GetClientRect();
    posW_ = client.width();
    posH_ = client.height();
    const CompactLayout layout =
        ComputeCompactLayout(posW_, posH_, IsDlgButtonChecked(IDC_NEXT_PROGRAM) == 1);
    const auto place = [this](int id, const ControlRect& r) {
        MoveItem(id, r.x, r.y, r.width, r.height);
    };
    place(IDC_VIEW_ONLY, layout.viewOnlyCheck);
    place(IDC_NEXT_PROGRAM, layout.nextToggle);
    ShowItem(IDC_NEXT_PROGRAM, layout.showNextToggle);
    place(IDC_PRESENT_LABEL, layout.presentLabel);
    place(IDC_PRESENT_TEXT, layout.presentEdit);
    place(IDC_NEXT_LABEL, layout.followingLabel);
    place(IDC_NEXT_TEXT, layout.followingEdit);
}

void CQuorvantelDlg::ApplyInfoFont() {
    const QFont font = infoFont_ ? *infoFont_ : this->font();
    for (int id : {IDC_PRESENT_TEXT, IDC_NEXT_TEXT}) {
        SetItemFont(id, font);
        SetItemTextColor(id, textColor_);
    }
    update();
}

}  // namespace capture_plugin
