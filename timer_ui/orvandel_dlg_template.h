// The main window's template: caption "Orvandel", its first client size and its controls.
#pragma once

#include "ui/control_spec.h"

namespace timer_ui {

extern const ui::DialogTemplate kOrvandelTemplate;

}  // namespace timer_ui
