// The timer's icon: the window's, the notification area's and the boxes' it owns.
#pragma once

#include <QIcon>

namespace timer_ui {

QIcon ApplicationIcon();

}  // namespace timer_ui
