#include "tests/ui/table_dialog.h"

#include <QThread>

#include "ui/combo_box.h"
#include "ui/list_box.h"
#include "ui/list_view.h"
#include "ui/progress_bar.h"

namespace ui_test {
namespace {

using ui::ControlKind;
namespace style = ui::style;

const ui::ControlSpec kControls[] = {
    {kStatic, ControlKind::Static, L"現在の番組情報", 11, 11, 84, 14},
    {kButton, ControlKind::PushButton, L"EPGデータ取得開始", 100, 8, 130, 21},
    {kCheck, ControlKind::CheckBox, L"番組情報のみ表示", 236, 11, 120, 14},
    {kGroup, ControlKind::GroupBox, L"起動時のオプション", 5, 34, 220, 74},
    {kRadio1, ControlKind::RadioButton, L"何もなし", 13, 52, 200, 16, style::Group},
    {kRadio2, ControlKind::RadioButton, L"Friio_NowEpgList.datのパス", 13, 70, 200, 16},
    {kRadio3, ControlKind::RadioButton, L"Quorvantelのデータパス一覧", 13, 88, 200, 16},
    {kToggle, ControlKind::ToggleButton, L"次の番組情報", 236, 40, 120, 21},
    {kCombo, ControlKind::ComboBox, L"", 236, 70, 120, 22},
    {kEdit, ControlKind::Edit, L"", 11, 114, 345, 21},
    {kMultiEdit, ControlKind::Edit, L"", 11, 140, 345, 60,
     style::MultiLine | style::ReadOnly | style::VScroll},
    {kListView, ControlKind::ListView, L"", 11, 206, 345, 100},
    {kCheckList, ControlKind::CheckListBox, L"", 11, 312, 170, 70},
    {kListBox, ControlKind::ListBox, L"", 186, 312, 170, 70, style::Sorted},
    {kProgress, ControlKind::ProgressBar, L"", 11, 388, 345, 14},
    {ui::IDOK, ControlKind::PushButton, L"OK", 200, 410, 75, 23},
    {ui::IDCANCEL, ControlKind::PushButton, L"キャンセル", 281, 410, 75, 23},
};

const ui::DialogTemplate kTemplate{L"テスト用ダイアログ", kTableWidth, kTableHeight, 0, kControls};

}  // namespace

std::span<const ui::ControlSpec> TableControls() {
    return kControls;
}

TableDialog::TableDialog() : ui::Dialog(kTemplate) {
    SetDataMap({
        {kStatic, ui::Ddx::Text, &staticText},
        {kButton, ui::Ddx::Text, &buttonText},
        {kCheck, ui::Ddx::Check, &check},
        {kToggle, ui::Ddx::Check, &toggle},
        {kRadio1, ui::Ddx::Radio, &radio},
        {kEdit, ui::Ddx::Text, &edit},
        {kMultiEdit, ui::Ddx::Text, &multiEdit},
        {kListView, ui::Ddx::Index, &listViewRow},
        {kCheckList, ui::Ddx::Index, &checkListRow},
        {kListBox, ui::Ddx::Index, &listBoxRow},
        {kCombo, ui::Ddx::Index, &comboRow},
        {kProgress, ui::Ddx::Position, &progress},
    });
    SetMessageMap<TableDialog>({
        {kButton, ui::BN_CLICKED, &TableDialog::OnButton},
        {kCheck, ui::BN_CLICKED, &TableDialog::OnCheck},
        {kRadio2, ui::BN_CLICKED, &TableDialog::OnRadio2},
        {kListView, ui::NM_CLICK, &TableDialog::OnListNotify},
        {kListView, ui::NM_DBLCLK, &TableDialog::OnListNotify},
        {kListView, ui::LVN_ITEMCHANGED, &TableDialog::OnListNotify},
        {kCheckList, ui::CLBN_CHKCHANGE, &TableDialog::OnCheckListChange},
    });
}

void TableDialog::FillLists() {
    auto* view = Item<ui::ListView>(kListView);
    view->SetExtendedStyle(ui::LVS_EX_FULLROWSELECT | ui::LVS_EX_CHECKBOXES);
    view->InsertColumn(0, L"日時", ui::LVCFMT_LEFT, 150);
    view->InsertColumn(1, L"放送局", ui::LVCFMT_LEFT, 90);
    view->InsertColumn(2, L"番組名", ui::LVCFMT_LEFT, 100);
    const wchar_t* rows[][3] = {{L"2026/12/09(水) 21:00～21:54", L"みなと総合", L"ニュース"},
                                {L"2026/12/09(水) 22:00～22:45", L"みなと教育", L"ドラマ"},
                                {L"2026/12/10(木) 01:00～01:30", L"ＢＳみなと", L"スポーツ"}};
    for (int i = 0; i < 3; ++i) {
        const int row = view->InsertItem(i, rows[i][0]);
        view->SetItemText(row, 1, rows[i][1]);
        view->SetItemText(row, 2, rows[i][2]);
        view->SetItemData(row, 100 + i);
    }
    auto* checkList = Item<ui::ListBox>(kCheckList);
    for (const wchar_t* name :
         {L"27ch : みなと総合", L"26ch : みなと教育", L"25ch : さくらテレビ"}) {
        const int index = checkList->AddString(name);
        checkList->SetItemData(index, 27 - index);
        checkList->SetCheck(index, 1);
    }
    auto* listBox = Item<ui::ListBox>(kListBox);
    for (const wchar_t* name : {L"viewer.exe", L"backup.exe", L"encoder.exe"}) {
        const int index = listBox->AddString(name);
        listBox->SetItemData(index, listBox->GetCount());
    }
    auto* combo = Item<ui::ComboBox>(kCombo);
    for (const wchar_t* text : {L"しない", L"する"})
        combo->AddString(text);
    Item<ui::ProgressBar>(kProgress)->SetRange(0, 15);
}

ui::BOOL TableDialog::OnInitDialog() {
    ++initCount;
    FillLists();
    return ui::Dialog::OnInitDialog();
}

ui::LRESULT TableDialog::WindowProc(ui::UINT message, ui::WPARAM wParam, ui::LPARAM lParam) {
    messages.push_back({GetSafeHwnd(), message, wParam, lParam});
    if (QThread::currentThread() != thread()) ++messagesOffGuiThread;
    if (message == kEchoMessage) return static_cast<ui::LRESULT>(wParam * 2);
    return ui::Dialog::WindowProc(message, wParam, lParam);
}

void TableDialog::OnTimer(ui::UINT_PTR id) {
    events.push_back("timer " + std::to_string(id));
}

void TableDialog::OnDropFiles(const std::vector<std::wstring>& paths) {
    dropped.insert(dropped.end(), paths.begin(), paths.end());
}

}  // namespace ui_test
