#include "ui/log_font.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <cwchar>

#include "ui/qt_text.h"

namespace ui {
namespace {

constexpr int kDefaultPixelSize = 12;
// Heights come from hand-editable settings; beyond this no screen shows a character whole.
constexpr int kLargestPixelSize = 2048;

int ClampPixelSize(double pixels) {
    return static_cast<int>(std::lround(std::clamp(pixels, 1.0, double{kLargestPixelSize})));
}

QString FindJapaneseFamily() {
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    for (const char* preferred : {"Noto Sans CJK JP", "Noto Sans JP", "IPAGothic", "IPAexGothic"}) {
        if (japanese.contains(QLatin1String(preferred))) return QLatin1String(preferred);
    }
    for (const QString& family : japanese) {
        if (family.contains(QLatin1String("Sans")) || family.contains(QLatin1String("Gothic"))) {
            return family;
        }
    }
    if (!japanese.isEmpty()) return japanese.front();
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

// Pixel size whose line (ascent + descent) is `cellHeight` pixels.
int PixelSizeForCellHeight(const QFont& font, LONG cellHeight) {
    QFont probe(font);
    probe.setPixelSize(100);
    const QFontMetricsF metrics(probe);
    const double line = metrics.ascent() + metrics.descent();
    if (line <= 0) return ClampPixelSize(static_cast<double>(cellHeight));
    return ClampPixelSize(static_cast<double>(cellHeight) * 100.0 / line);
}

}  // namespace

void SetFaceName(LOGFONTW& font, std::wstring_view face) {
    const std::size_t n = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    std::wmemcpy(font.lfFaceName, face.data(), n);
    std::wmemset(font.lfFaceName + n, L'\0', LF_FACESIZE - n);
}

QString JapaneseFallbackFamily() {
    static const QString family = FindJapaneseFamily();
    return family;
}

QFont FontFromLogFont(const LOGFONTW& logFont) {
    QFont font;
    const std::wstring_view face(logFont.lfFaceName, wcsnlen(logFont.lfFaceName, LF_FACESIZE));
    QStringList families;
    if (!face.empty()) families << ToQString(face);
    families << JapaneseFallbackFamily();
    font.setFamilies(families);
    if (logFont.lfHeight < 0) {
        font.setPixelSize(ClampPixelSize(-static_cast<double>(logFont.lfHeight)));
    } else if (logFont.lfHeight > 0) {
        font.setPixelSize(PixelSizeForCellHeight(font, logFont.lfHeight));
    } else {
        font.setPixelSize(kDefaultPixelSize);
    }
    const LONG weight = logFont.lfWeight == 0 ? FW_NORMAL : logFont.lfWeight;
    font.setWeight(static_cast<QFont::Weight>(std::clamp<LONG>(weight, 1, 1000)));
    font.setItalic(logFont.lfItalic != 0);
    font.setUnderline(logFont.lfUnderline != 0);
    font.setStrikeOut(logFont.lfStrikeOut != 0);
    return font;
}

LOGFONTW LogFontFromFont(const QFont& font, const LOGFONTW& base) {
    LOGFONTW out = base;
    int pixels = font.pixelSize();
    if (pixels <= 0) pixels = static_cast<int>(std::lround(font.pointSizeF() * 96.0 / 72.0));
    out.lfHeight = -pixels;
    out.lfWeight = static_cast<LONG>(font.weight());
    out.lfItalic = font.italic() ? 1 : 0;
    out.lfUnderline = font.underline() ? 1 : 0;
    out.lfStrikeOut = font.strikeOut() ? 1 : 0;
    const QStringList families = font.families();
    SetFaceName(out, ToWide(families.isEmpty() ? font.family() : families.front()));
    return out;
}

QColor ColorFromColorRef(COLORREF color) {
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF ColorRefFromColor(const QColor& color) {
    return RGB(static_cast<BYTE>(color.red()), static_cast<BYTE>(color.green()),
               static_cast<BYTE>(color.blue()));
}

QFont DefaultDialogFont() {
    LOGFONTW logFont;
    logFont.lfHeight = -kDefaultPixelSize;
    logFont.lfCharSet = SHIFTJIS_CHARSET;
    SetFaceName(logFont, L"MS UI Gothic");
    return FontFromLogFont(logFont);
}

}  // namespace ui
