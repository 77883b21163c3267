#include "ui/progress_bar.h"

namespace ui {

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
    setRange(0, 100);
    setValue(0);
}

int ProgressBar::SetPos(int position) {
    const int previous = GetPos();
    setValue(position < minimum() ? minimum() : position > maximum() ? maximum() : position);
    return previous;
}

}  // namespace ui
