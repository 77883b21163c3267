// A dialog's template: its caption, client size, frame style and the table of its controls, each
// created at its pixel position in the client area. A dialog declares the table in its own file:
//
//   const ui::ControlSpec kControls[] = {
//       {5011, ui::ControlKind::Static, L"現在の番組情報", 11, 11, 84, 14},
//       {5017, ui::ControlKind::ToggleButton, L"次の番組情報", 100, 11, 90, 14, ui::style::Hidden},
//   };
//   const ui::DialogTemplate kTemplate{L"Quorvantel", 365, 458, 0, kControls};
#pragma once

#include <span>
#include <string_view>

namespace ui {

enum class ControlKind {
    Static,        // text label
    GroupBox,      // frame with a title around other controls
    PushButton,    // a click sends BN_CLICKED
    CheckBox,      // check state 0/1; a click sends BN_CLICKED
    ToggleButton,  // a push button that stays pressed: check state 0/1
    RadioButton,   // one of a group (see style::Group); a click sends BN_CLICKED
    Edit,          // single-line unless style::MultiLine
    ListView,      // report view with columns (ui::ListView)
    ListBox,       // list of texts with item data (ui::ListBox)
    CheckListBox,  // list box whose items have check boxes (ui::ListBox)
    ComboBox,      // drop-down list (ui::ComboBox)
    ProgressBar,   // range and position (ui::ProgressBar)
};

namespace style {
inline constexpr unsigned Hidden = 0x01;
inline constexpr unsigned Disabled = 0x02;
// Starts a new radio group. Consecutive radio buttons of the table form one group; a radio
// button after any other kind of control, or one with this flag, starts the next group.
inline constexpr unsigned Group = 0x04;
inline constexpr unsigned MultiLine = 0x08;  // edit: several lines, wrapped at the edit's width
inline constexpr unsigned ReadOnly = 0x10;   // edit
inline constexpr unsigned VScroll = 0x20;    // multi-line edit: a vertical scroll bar always
inline constexpr unsigned Sorted = 0x40;     // list box: items kept in text order
}  // namespace style

namespace dialog_style {
inline constexpr unsigned Resizable = 0x01;    // sizing border (can be changed at run time)
inline constexpr unsigned MinimizeBox = 0x02;  // the frame offers minimising
}  // namespace dialog_style

struct ControlSpec {
    int id = -1;
    ControlKind kind = ControlKind::Static;
    std::wstring_view text;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    unsigned style = 0;
};

struct DialogTemplate {
    std::wstring_view caption;
    int width = 0;  // client size in pixels
    int height = 0;
    unsigned style = 0;  // dialog_style flags
    std::span<const ControlSpec> controls;
};

}  // namespace ui
