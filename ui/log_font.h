// Fonts and colours as the plug-in's ini stores them (LOGFONT fields and a COLORREF) and as Qt
// draws them. A face name the machine does not have (for example "MS UI Gothic") falls back to an
// installed Japanese sans-serif family; the requested name is kept, so a font read from a
// setting and written back keeps its face name.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <string_view>

#include "ui/win_constants.h"

namespace ui {

inline constexpr int LF_FACESIZE = 32;
inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_BOLD = 700;
inline constexpr BYTE SHIFTJIS_CHARSET = 128;

struct LOGFONTW {
    LONG lfHeight = 0;  // < 0: character height in pixels; > 0: cell height; 0: default
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0;  // 0 = default (normal), 400 normal, 700 bold
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    wchar_t lfFaceName[LF_FACESIZE] = {};
};

// Sets the face name, cut to LF_FACESIZE - 1 characters.
void SetFaceName(LOGFONTW& font, std::wstring_view face);

// The installed Japanese sans-serif family the dialogs fall back to.
QString JapaneseFallbackFamily();

QFont FontFromLogFont(const LOGFONTW& logFont);
// The LOGFONT of a Qt font; the fields Qt does not know (width, escapement, orientation, character
// set, precisions, quality, pitch and family) are taken from `base`.
LOGFONTW LogFontFromFont(const QFont& font, const LOGFONTW& base = {});

QColor ColorFromColorRef(COLORREF color);
COLORREF ColorRefFromColor(const QColor& color);

// The dialogs' own font: "MS UI Gothic" of 12 pixels, or its fallback.
QFont DefaultDialogFont();

}  // namespace ui
