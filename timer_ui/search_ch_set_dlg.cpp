#include "timer_ui/search_ch_set_dlg.h"

#include "timer_ui/search_channels.h"
#include "ui/list_box.h"

namespace timer_ui {
namespace {

using ui::ControlKind;

const ui::ControlSpec kControls[] = {
    {CSearchChSetDlg::IDC_CHANNELS, ControlKind::CheckListBox, L"", 10, 10, 360, 400},
    {CSearchChSetDlg::IDC_CHECK_ALL, ControlKind::PushButton, L"全チェック", 10, 420, 80, 24},
    {CSearchChSetDlg::IDC_UNCHECK_ALL, ControlKind::PushButton, L"全解除", 96, 420, 80, 24},
    {ui::IDOK, ControlKind::PushButton, L"OK", 204, 420, 80, 24},
    {ui::IDCANCEL, ControlKind::PushButton, L"キャンセル", 290, 420, 80, 24},
};

const ui::DialogTemplate kTemplate{L"検索対象チャンネル", 380, 454, 0, kControls};

}  // namespace

CSearchChSetDlg::CSearchChSetDlg() : ui::Dialog(kTemplate) {
    SetMessageMap<CSearchChSetDlg>({
        {IDC_CHECK_ALL, ui::BN_CLICKED, &CSearchChSetDlg::OnBnClickedCheckAll},
        {IDC_UNCHECK_ALL, ui::BN_CLICKED, &CSearchChSetDlg::OnBnClickedUncheckAll},
    });
}

ui::BOOL CSearchChSetDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    auto* list = Item<ui::ListBox>(IDC_CHANNELS);
    if (rows_ == nullptr || list == nullptr) return ui::TRUE;
    AppendChannelRows(*list, *rows_);
    return ui::TRUE;
}

void CSearchChSetDlg::SetAllChecks(int checked) {
    auto* list = Item<ui::ListBox>(IDC_CHANNELS);
    if (list == nullptr) return;
    for (int i = 0; i < list->GetCount(); ++i)
        list->SetCheck(i, checked);
}

void CSearchChSetDlg::OnDestroy() {
    auto* list = Item<ui::ListBox>(IDC_CHANNELS);
    if (rows_ != nullptr && list != nullptr) *rows_ = ChannelRowsOf(*list);
    ui::Dialog::OnDestroy();
}

}  // namespace timer_ui
