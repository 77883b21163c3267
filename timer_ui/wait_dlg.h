// The notice the main window shows while it reads the EPG data files: a small window with one
// line of text and no buttons, created modelessly before the load and destroyed after it.
#pragma once

#include "ui/dialog.h"

namespace timer_ui {

class CWaitDlg : public ui::Dialog {
  public:
    CWaitDlg();

    // Shows the window and draws it at once: the load that follows holds the window's thread.
    void ShowNow();
};

}  // namespace timer_ui
