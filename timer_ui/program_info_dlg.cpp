#include "timer_ui/program_info_dlg.h"

#include <algorithm>

#include "timer_ui/program_info_text.h"

namespace timer_ui {
namespace {

using ui::ControlKind;
namespace style = ui::style;

constexpr int kWidth = 520;
constexpr int kHeight = 440;

const ui::ControlSpec kControls[] = {
    {CProgramInfoDlg::IDC_INFO, ControlKind::Edit, L"", 1, 1, kWidth - 2, kHeight - 2,
     style::MultiLine | style::ReadOnly | style::VScroll},
};

const ui::DialogTemplate kTemplate{L"番組情報", kWidth, kHeight, ui::dialog_style::Resizable,
                                   kControls};

}  // namespace

CProgramInfoDlg::CProgramInfoDlg() : ui::Dialog(kTemplate) {
    SetDataMap({{IDC_INFO, ui::Ddx::Text, &text_}});
}

void CProgramInfoDlg::SetProgram(const broadcast::EpgStore* store, std::uint16_t transportStreamId,
                                 std::uint16_t serviceId, std::uint16_t eventId) {
    store_ = store;
    transportStreamId_ = transportStreamId;
    serviceId_ = serviceId;
    eventId_ = eventId;
}

ui::BOOL CProgramInfoDlg::OnInitDialog() {
    text_ = BuildProgramInfoText(store_, transportStreamId_, serviceId_, eventId_);
    return ui::Dialog::OnInitDialog();
}

void CProgramInfoDlg::OnSize(ui::UINT /*type*/, int cx, int cy) {
    // A minimised window reports 0 x 0; the edit keeps no negative size.
    MoveItem(IDC_INFO, 1, 1, std::max(cx - 2, 0), std::max(cy - 2, 0));
}

}  // namespace timer_ui
