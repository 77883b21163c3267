// The plug-in window's template: caption "Quorvantel", the full view's client size and its
// controls.
#pragma once

#include "ui/control_spec.h"

namespace capture_plugin {

extern const ui::DialogTemplate kQuorvantelTemplate;

}  // namespace capture_plugin
