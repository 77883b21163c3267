// A progress bar with a range and a position, drawn without text as a Windows bar is.
#pragma once

#include <QProgressBar>

namespace ui {

class ProgressBar : public QProgressBar {
  public:
    explicit ProgressBar(QWidget* parent);

    void SetRange(int lower, int upper) { setRange(lower, upper); }
    int SetPos(int position);  // returns the previous position
    int GetPos() const { return value() < minimum() ? minimum() : value(); }
};

}  // namespace ui
