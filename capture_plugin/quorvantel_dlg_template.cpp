#include "capture_plugin/quorvantel_dlg_template.h"

namespace capture_plugin {
namespace {

using ui::ControlKind;
namespace style = ui::style;

constexpr unsigned kTextEdit = style::MultiLine | style::ReadOnly | style::VScroll;

const ui::ControlSpec kControls[] = {
    {5011, ControlKind::Static, L"現在の番組情報", 11, 11, 84, 14},
    {5017, ControlKind::ToggleButton, L"次の番組情報", 100, 11, 90, 14, style::Hidden},
    {5009, ControlKind::CheckBox, L"番組情報のみ表示", 223, 11, 120, 14},
    {5002, ControlKind::Edit, L"", 11, 29, 345, 135, kTextEdit},
    {5012, ControlKind::Static, L"次の番組情報", 11, 174, 72, 14},
    {5010, ControlKind::Edit, L"", 11, 193, 345, 67, kTextEdit},
    {5018, ControlKind::PushButton, L"番組情報のフォント設定", 23, 265, 150, 21},
    {5027, ControlKind::PushButton, L"設定", 196, 265, 150, 21},
    {5008, ControlKind::PushButton, L"EPG表示アプリの起動", 23, 300, 150, 21},
    {5007, ControlKind::PushButton, L"Orvandel用CH設定取得", 196, 300, 150, 21},
    {5004, ControlKind::PushButton, L"EPGデータ取得開始", 23, 334, 150, 21},
    {5005, ControlKind::PushButton, L"キャンセル", 196, 334, 150, 21},
    {5006, ControlKind::Edit, L"", 11, 365, 345, 46, style::MultiLine | style::ReadOnly},
    {5015, ControlKind::Static, L"※取得には1チャンネル１～７分かかります。", 11, 414, 210, 14},
    {5016, ControlKind::Static, L"予約録画などとかぶらないように注意してください。", 23, 431, 233,
     14},
};

}  // namespace

const ui::DialogTemplate kQuorvantelTemplate{L"Quorvantel", 365, 458, 0, kControls};

}  // namespace capture_plugin
