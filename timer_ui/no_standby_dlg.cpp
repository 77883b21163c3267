#include "timer_ui/no_standby_dlg.h"

#include <iterator>

#include "shared/channel_table_text.h"
#include "timer_core/scheduling/timer_ini_path.h"
#include "ui/list_box.h"

namespace timer_ui {
namespace {

using ui::ControlKind;

const ui::ControlSpec kControls[] = {
    {ui::IDC_STATIC, ControlKind::Static,
     L"スタンバイ or 休止移行時に指定プロセスが起動していた場合", 12, 12, 400, 16},
    {ui::IDC_STATIC, ControlKind::Static, L"移行をキャンセルします。", 12, 30, 400, 16},
    {ui::IDC_STATIC, ControlKind::Static, L"条件一覧", 12, 58, 200, 16},
    {CNoStandbyDlg::IDC_NAMES, ControlKind::ListBox, L"", 12, 78, 304, 200, ui::style::Sorted},
    {CNoStandbyDlg::IDC_DELETE, ControlKind::PushButton, L"削除", 324, 78, 88, 24},
    {ui::IDC_STATIC, ControlKind::Static, L"exe名", 12, 293, 48, 16},
    {CNoStandbyDlg::IDC_NAME, ControlKind::Edit, L"", 64, 290, 252, 22},
    {CNoStandbyDlg::IDC_ADD, ControlKind::PushButton, L"追加", 324, 289, 88, 24},
    {ui::IDC_STATIC, ControlKind::Static, L"（拡張子まで正確に入力してください）", 64, 316, 348,
     16},
    {ui::IDOK, ControlKind::PushButton, L"OK", 232, 348, 84, 24},
    {ui::IDCANCEL, ControlKind::PushButton, L"キャンセル", 324, 348, 88, 24},
};

const ui::DialogTemplate kTemplate{L"抑制条件", 424, 384, 0, kControls};

}  // namespace

CNoStandbyDlg::CNoStandbyDlg() : CNoStandbyDlg(timer_core::TimerIniPathBesideExecutable()) {}

CNoStandbyDlg::CNoStandbyDlg(std::wstring iniPath)
    : ui::Dialog(kTemplate), list_(std::move(iniPath)) {
    SetDataMap({{IDC_NAME, ui::Ddx::Text, &name_}});
    SetMessageMap<CNoStandbyDlg>({
        {IDC_ADD, ui::BN_CLICKED, &CNoStandbyDlg::OnBnClickedAdd},
        {IDC_DELETE, ui::BN_CLICKED, &CNoStandbyDlg::OnBnClickedDelete},
        {ui::IDOK, ui::BN_CLICKED, &CNoStandbyDlg::OnBnClickedOk},
    });
}

ui::BOOL CNoStandbyDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    list_.LoadList();
    FillList();
    return ui::TRUE;
}

void CNoStandbyDlg::FillList() {
    auto* box = Item<ui::ListBox>(IDC_NAMES);
    if (box == nullptr) return;
    box->ResetContent();
    for (std::size_t n = 0; n < list_.names().size(); ++n)
        box->SetItemData(box->AddString(list_.names()[n]), static_cast<ui::LPARAM>(n));
}

void CNoStandbyDlg::OnBnClickedAdd() {
    UpdateData(true);
    // Each name is one value of the ini file: a line end in it would start a line of its own.
    const std::wstring name = shared::OneLineName(name_, L"\r\n");
    if (!name.empty()) {
        if (auto* box = Item<ui::ListBox>(IDC_NAMES)) {
            box->SetItemData(box->AddString(name), static_cast<ui::LPARAM>(list_.names().size()));
        }
        list_.names().push_back(name);
    }
    update();
}

void CNoStandbyDlg::OnBnClickedDelete() {
    auto* box = Item<ui::ListBox>(IDC_NAMES);
    const int row = box != nullptr ? box->GetCurSel() : -1;
    if (row < 0) {
        MessageBox(L"項目を選択してください");
        return;
    }
    const ui::LPARAM index = box->GetItemData(row);
    std::vector<std::wstring>& names = list_.names();
    if (index >= 0 && static_cast<std::size_t>(index) < names.size())
        names.erase(std::next(names.begin(), index));
    FillList();
}

void CNoStandbyDlg::OnBnClickedOk() {
    list_.SaveList();
    EndDialog(ui::IDOK);
}

}  // namespace timer_ui
