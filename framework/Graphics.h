#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QStringList>

#include "Export.h"

class QPalette;
class QWidget;

// Colours as definitions write them: 0x00BBGGRR, or a system colour
// 0xFF0000nn that follows the current palette.
using TColor = int;
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000,
                 clNavy = 0x800000, clRed = 0x0000FF, clBlue = 0xFF0000, clWhite = 0xFFFFFF,
                 clGray = 0x808080, clSilver = 0xC0C0C0, clYellow = 0x00FFFF;
constexpr TColor clWindow = static_cast<TColor>(0xFF000005),
                 clWindowText = static_cast<TColor>(0xFF000008),
                 clBtnFace = static_cast<TColor>(0xFF00000F),
                 clGrayText = static_cast<TColor>(0xFF000011),
                 clBtnText = static_cast<TColor>(0xFF000012),
                 clInfoText = static_cast<TColor>(0xFF000017),
                 clInfoBk = static_cast<TColor>(0xFF000018);

FRAMEWORK_EXPORT QColor ToQColor(TColor color);

// Gives the widget `palette` unless it shows those colours already. A palette
// of its own, even an equal one, gives the widget and everything inside it new
// palette cache keys, and Qt's styles key their pixmap cache by them (the
// Fusion combo box): every screen opened would add keys that Qt 6.4 never
// drops again.
FRAMEWORK_EXPORT void ApplyPalette(QWidget& widget, const QPalette& palette);

// `text` darkened (on a light background) or lightened (on a dark one) as
// little as it takes to read at `ratio` to one against `background`, the
// contrast ratio of the Web Content Accessibility Guidelines.
FRAMEWORK_EXPORT QColor ReadableOn(const QColor& text, const QColor& background, double ratio);

// A colour identifier (clBlue) or number; throws Exception for an unknown name.
FRAMEWORK_EXPORT TColor ColorFromIdent(const QString& ident);

// Font.Name: the family as the definition names it. Families of the system
// the definitions were drawn on that this one lacks are shown in an installed
// family of nearly the same widths, so that a caption fits the size its
// control was given: "MS Sans Serif" (and its TrueType heir "Microsoft Sans
// Serif") in Liberation Sans, else Arimo, both metric-compatible with Arial.
// The font keeps the definition's family name.
FRAMEWORK_EXPORT void SetFontName(QFont& font, const QString& name);
// Font heights are in pixels; negative heights (the usual) leave out the
// internal leading, as Qt's pixel size does.
FRAMEWORK_EXPORT void SetFontHeight(QFont& font, int height);
// Font.Style: fsBold, fsItalic, fsUnderline, fsStrikeOut.
FRAMEWORK_EXPORT void SetFontStyle(QFont& font, const QStringList& styles);

// Image data as definitions keep it: the length of a BMP file in four bytes
// (little-endian) followed by the file. Throws Exception for data that is not
// such an image.
FRAMEWORK_EXPORT QImage ReadBitmapData(const QByteArray& data);
// The colour of the bottom-left pixel becomes transparent, as for glyphs.
FRAMEWORK_EXPORT QImage WithTransparentBottomLeft(const QImage& image);
// A glyph strip of `count` images side by side: the first is the normal
// image, the second (when there is one) the disabled image.
FRAMEWORK_EXPORT QIcon GlyphIcon(const QImage& strip, int count);
