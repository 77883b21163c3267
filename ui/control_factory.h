// Creates the controls of a template table as children of a dialog, in table order, at their
// pixel positions.
#pragma once

#include <QWidget>
#include <span>
#include <vector>

#include "ui/control_spec.h"

namespace ui {

struct CreatedControl {
    int id;
    QWidget* widget;
};

std::vector<CreatedControl> CreateControls(std::span<const ControlSpec> specs, QWidget* parent);

}  // namespace ui
