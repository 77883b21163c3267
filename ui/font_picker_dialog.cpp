#include "ui/font_picker_dialog.h"

#include <QDialogButtonBox>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

#include "ui/log_font.h"

namespace ui {
namespace {

struct NamedColor {
    COLORREF color;
    const char* name;
};

// The colours the Windows font dialog offers, which the plug-in's text colour is chosen from.
constexpr std::array<NamedColor, 16> kColors{{
    {RGB(0, 0, 0), "黒"},
    {RGB(128, 0, 0), "栗色"},
    {RGB(0, 128, 0), "緑"},
    {RGB(128, 128, 0), "オリーブ"},
    {RGB(0, 0, 128), "紺"},
    {RGB(128, 0, 128), "紫"},
    {RGB(0, 128, 128), "青緑"},
    {RGB(128, 128, 128), "灰色"},
    {RGB(192, 192, 192), "銀"},
    {RGB(255, 0, 0), "赤"},
    {RGB(0, 255, 0), "黄緑"},
    {RGB(255, 255, 0), "黄"},
    {RGB(0, 0, 255), "青"},
    {RGB(255, 0, 255), "赤紫"},
    {RGB(0, 255, 255), "水色"},
    {RGB(255, 255, 255), "白"},
}};

QIcon Swatch(COLORREF color) {
    QPixmap pixmap(14, 14);
    pixmap.fill(ColorFromColorRef(color));
    return QIcon(pixmap);
}

}  // namespace

FontPickerDialog::FontPickerDialog(QWidget* parent, const QFont& font, COLORREF color)
    : QDialog(parent), chooser_(new QFontDialog(this)), colors_(new QComboBox(this)) {
    colors_->setObjectName(QStringLiteral("colour"));
    setWindowTitle(QStringLiteral("フォント"));
    setFont(DefaultDialogFont());
    chooser_->setWindowFlags(Qt::Widget);
    chooser_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    // The chooser lists installed families only: preset it with the family the font resolved to.
    QFont shown(font);
    shown.setFamilies({QFontInfo(font).family()});
    chooser_->setCurrentFont(shown);
    for (const NamedColor& named : kColors) {
        colors_->addItem(Swatch(named.color), QString::fromUtf8(named.name), named.color);
    }
    int index = colors_->findData(color);
    if (index < 0) {
        colors_->addItem(Swatch(color), QStringLiteral("カスタム"), color);
        index = colors_->count() - 1;
    }
    colors_->setCurrentIndex(index);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* colorRow = new QHBoxLayout();
    colorRow->addWidget(new QLabel(QStringLiteral("色:"), this));
    colorRow->addWidget(colors_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chooser_);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);
}

COLORREF FontPickerDialog::SelectedColor() const {
    return static_cast<COLORREF>(colors_->currentData().toUInt());
}

}  // namespace ui
