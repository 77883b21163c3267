#include "timer_ui/reserve_chg_dlg.h"

#include "ui/combo_box.h"

namespace timer_ui {
namespace {

using ui::ControlKind;

// Labels in a column on the left, fields beside them, one row every 30 pixels.
const ui::ControlSpec kControls[] = {
    {ui::IDC_STATIC, ControlKind::Static, L"開始日時", 14, 17, 70, 16},
    {CReserveChgDlg::IDC_START, ControlKind::Edit, L"", 90, 14, 160, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"番組名", 14, 47, 70, 16},
    {CReserveChgDlg::IDC_TITLE, ControlKind::Edit, L"", 90, 44, 336, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"優先度", 14, 77, 70, 16},
    {CReserveChgDlg::IDC_PRIORITY, ControlKind::ComboBox, L"", 90, 74, 64, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"（低 １～５ 高）", 162, 77, 150, 16},
    {ui::IDC_STATIC, ControlKind::Static, L"追従", 14, 107, 70, 16},
    {CReserveChgDlg::IDC_FOLLOW, ControlKind::ComboBox, L"", 90, 104, 90, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"録画時間", 14, 137, 70, 16},
    {CReserveChgDlg::IDC_MINUTES, ControlKind::Edit, L"", 90, 134, 64, 22},
    {ui::IDC_STATIC, ControlKind::Static, L"分", 162, 137, 30, 16},
    {ui::IDOK, ControlKind::PushButton, L"OK", 250, 176, 84, 24},
    {ui::IDCANCEL, ControlKind::PushButton, L"キャンセル", 342, 176, 84, 24},
};

const ui::DialogTemplate kTemplate{L"変更", 440, 212, 0, kControls};

}  // namespace

CReserveChgDlg::CReserveChgDlg() : ui::Dialog(kTemplate) {
    SetDataMap({
        {IDC_START, ui::Ddx::Text, &startText},
        {IDC_TITLE, ui::Ddx::Text, &titleText},
        {IDC_PRIORITY, ui::Ddx::Index, &priorityIndex},
        {IDC_FOLLOW, ui::Ddx::Index, &followIndex},
        {IDC_MINUTES, ui::Ddx::Text, &minutesText},
    });
    SetMessageMap<CReserveChgDlg>({
        {ui::IDOK, ui::BN_CLICKED, &CReserveChgDlg::OnBnClickedOk},
    });
}

ui::BOOL CReserveChgDlg::OnInitDialog() {
    if (auto* priority = Item<ui::ComboBox>(IDC_PRIORITY)) {
        for (const wchar_t* text : {L"1", L"2", L"3", L"4", L"5"})
            priority->AddString(text);
    }
    if (auto* follow = Item<ui::ComboBox>(IDC_FOLLOW)) {
        follow->AddString(L"しない");
        follow->AddString(L"する");
    }
    // The base shows the fields the caller set.
    return ui::Dialog::OnInitDialog();
}

void CReserveChgDlg::OnBnClickedOk() {
    UpdateData(true);
    EndDialog(ui::IDOK);
}

}  // namespace timer_ui
