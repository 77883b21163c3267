// The font dialog with effects: face, style, size, strike-out and underline (Qt's font chooser)
// and the text colour from the sixteen basic colours.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QFontDialog>

#include "ui/win_constants.h"

namespace ui {

class FontPickerDialog : public QDialog {
  public:
    FontPickerDialog(QWidget* parent, const QFont& font, COLORREF color);

    QFont SelectedFont() const { return chooser_->currentFont(); }
    COLORREF SelectedColor() const;

  private:
    QFontDialog* chooser_;
    QComboBox* colors_;
};

}  // namespace ui
