// COrvandelDlg: its controls, the width it opens with, and their placement whenever the window's
// size changes. The list fills the window; the buttons stand in one column along the right edge,
// the note below the list.
#include <QHeaderView>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "timer_ui/orvandel_dlg.h"
#include "timer_ui/orvandel_dlg_template.h"
#include "ui/list_view.h"
#include "ui/notify_icon.h"

namespace timer_ui {
namespace {

using ui::ControlKind;

// The first client size; the window then widens to its list's columns (WidenForColumns).
constexpr int kClientWidth = 860;
constexpr int kClientHeight = 360;

constexpr int kListX = 11;
constexpr int kListY = 30;
// The list leaves this much of the client area to its right and below it.
constexpr int kListRightMargin = 145;
constexpr int kListBottomMargin = 75;

// The button column starts this far left of the client area's right edge.
constexpr int kButtonsFromRight = 130;
constexpr int kButtonWidth = 128;
constexpr int kButtonHeight = 23;

constexpr int kNoteX = 11;
constexpr int kNoteFromBottom = 30;
constexpr int kNoteWidth = 420;
constexpr int kNoteHeight = 16;

struct ButtonRow {
    int id;
    int y;
};

constexpr ButtonRow kButtonRows[] = {
    {COrvandelDlg::IDC_SETTING, 12},     {COrvandelDlg::IDC_START_EPG_VIEWER, 43},
    {COrvandelDlg::IDC_AUTO_ADD, 77},    {COrvandelDlg::IDC_SEARCH, 101},
    {COrvandelDlg::IDC_EPG_RELOAD, 126}, {COrvandelDlg::IDC_CHANGE, 160},
    {COrvandelDlg::IDC_DELETE, 186},     {COrvandelDlg::IDC_STANDBY, 220},
    {COrvandelDlg::IDC_HIBERNATE, 247},  {COrvandelDlg::IDC_EXIT, 286},
};

constexpr int kButtonX = kClientWidth - kButtonsFromRight;

const ui::ControlSpec kControls[] = {
    {ui::IDC_STATIC, ControlKind::Static, L"予約一覧", kListX, 11, 120, 16},
    {COrvandelDlg::IDC_RESERVE_LIST, ControlKind::ListView, L"", kListX, kListY,
     kClientWidth - kListRightMargin, kClientHeight - kListBottomMargin},
    {COrvandelDlg::IDC_NOTE, ControlKind::Static,
     L"※削除を行う場合は対象にチェックを入れてください", kNoteX, kClientHeight - kNoteFromBottom,
     kNoteWidth, kNoteHeight},
    {COrvandelDlg::IDC_SETTING, ControlKind::PushButton, L"設定", kButtonX, 12, kButtonWidth,
     kButtonHeight},
    {COrvandelDlg::IDC_START_EPG_VIEWER, ControlKind::PushButton, L"EPG表示アプリの起動", kButtonX,
     43, kButtonWidth, kButtonHeight},
    {COrvandelDlg::IDC_AUTO_ADD, ControlKind::PushButton, L"自動予約登録", kButtonX, 77,
     kButtonWidth, kButtonHeight},
    {COrvandelDlg::IDC_SEARCH, ControlKind::PushButton, L"検索", kButtonX, 101, kButtonWidth,
     kButtonHeight},
    {COrvandelDlg::IDC_EPG_RELOAD, ControlKind::PushButton, L"EPG再読み込み", kButtonX, 126,
     kButtonWidth, kButtonHeight},
    {COrvandelDlg::IDC_CHANGE, ControlKind::PushButton, L"変更", kButtonX, 160, kButtonWidth,
     kButtonHeight},
    {COrvandelDlg::IDC_DELETE, ControlKind::PushButton, L"削除", kButtonX, 186, kButtonWidth,
     kButtonHeight},
    {COrvandelDlg::IDC_STANDBY, ControlKind::PushButton, L"スタンバイ", kButtonX, 220, kButtonWidth,
     kButtonHeight},
    {COrvandelDlg::IDC_HIBERNATE, ControlKind::PushButton, L"休止", kButtonX, 247, kButtonWidth,
     kButtonHeight},
    {COrvandelDlg::IDC_EXIT, ControlKind::PushButton, L"終了", kButtonX, 286, kButtonWidth,
     kButtonHeight},
};

}  // namespace

const ui::DialogTemplate kOrvandelTemplate{
    L"Orvandel", kClientWidth, kClientHeight,
    ui::dialog_style::Resizable | ui::dialog_style::MinimizeBox, kControls};

void COrvandelDlg::WidenForColumns() {
    auto* list = Item<ui::ListView>(IDC_RESERVE_LIST);
    if (list == nullptr) return;
    list->ensurePolished();
    // Every column whole, beside the list's frame and a vertical scroll bar for when the rows
    // outgrow the list: 結果, the last column, is what the user looks for after a recording.
    const int listWidth = list->header()->length() + 2 * list->frameWidth() +
                          list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    const QRect client = GetClientRect();
    if (client.width() < listWidth + kListRightMargin)
        SetClientSize(listWidth + kListRightMargin, client.height());
}

void COrvandelDlg::OnSize(UINT type, int cx, int cy) {
    if (type == ui::SIZE_MINIMIZED) {
        // Out of the way; the notification icon brings it back. A desktop without notification
        // icons keeps it minimised where the user can find it again.
        // Hidden once the minimising is over: a window hidden in the middle of its state change
        // comes back minimised when it is shown again.
        if (ui::IsNotificationAreaAvailable()) {
            QTimer::singleShot(0, this, [this] {
                if (IsIconic()) ShowWindow(ui::SW_HIDE);
            });
        }
        return;
    }
    if (GetDlgItem(IDC_RESERVE_LIST) == nullptr) return;
    MoveItem(IDC_RESERVE_LIST, kListX, kListY, std::max(cx - kListRightMargin, 0),
             std::max(cy - kListBottomMargin, 0));
    for (const ButtonRow& row : kButtonRows)
        MoveItem(row.id, cx - kButtonsFromRight, row.y, kButtonWidth, kButtonHeight);
    MoveItem(IDC_NOTE, kNoteX, cy - kNoteFromBottom, kNoteWidth, kNoteHeight);
}

}  // namespace timer_ui
