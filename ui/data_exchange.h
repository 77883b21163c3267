// The binding of a dialog member to a control, exchanged by Dialog::UpdateData in both
// directions. A dialog lists its bindings in its constructor, one line per member:
//
//   SetDataMap({
//       {5002, ui::Ddx::Text, &presentText_},   // edit, static or button text <-> std::wstring
//       {5009, ui::Ddx::Check, &view_},          // check box or toggle button <-> int 0/1
//       {5024, ui::Ddx::Radio, &startOption_},   // first radio of a group <-> index in it, -1
//       {1036, ui::Ddx::Index, &priority_},      // combo, list box, list view <-> selected, -1
//       {1039, ui::Ddx::Position, &count_},      // progress bar <-> position
//   });
#pragma once

#include <QWidget>
#include <string>
#include <variant>

namespace ui {

enum class Ddx { Text, Check, Radio, Index, Position };

struct Binding {
    int id;
    Ddx kind;
    std::variant<std::wstring*, int*> member;  // Text takes either; the others take int
};

// save: control -> member; otherwise member -> control. False when the binding does not fit the
// control (wrong kind or member type).
bool ExchangeData(const Binding& binding, QWidget* control, bool save);

}  // namespace ui
