#pragma once
// The pictures of the office-style button: its built-in glyph sets, the embossed picture of a
// disabled custom glyph, glyph transparency and the caption's width rule.

#include <QImage>
#include <array>

namespace kestrave {

// The built-in glyph "OFFICE_<number>", number 1..24 (a null image otherwise). Every glyph is
// painted on a key colour that fills its bottom-left pixel, so that the automatic transparency
// takes it out.
QImage officeGlyph(int number);

// The key colour of the built-in glyphs.
constexpr QRgb kGlyphKeyColor = qRgb(255, 0, 255);

// A copy of `glyph` (ARGB) in which the pixels of RGB `key` are fully transparent.
QImage glyphWithTransparency(const QImage& glyph, QRgb key);

// A disabled picture made from a glyph's shape: the shape once one pixel right and down in the
// highlight colour, then once in place in the shadow colour; everything else transparent. The
// pixels of RGB `key` are outside the shape.
QImage embossedGlyph(const QImage& glyph, QRgb key);

constexpr QRgb kEmbossHighlight = qRgb(255, 255, 255);
constexpr QRgb kEmbossShadow = qRgb(128, 128, 128);

// The width left to the caption of a button `buttonWidth` wide: minus 13 for a plain button
// without a side glyph, minus the glyph and 18 for a plain button with its glyph beside the
// caption, minus the glyph and 10 for the other kinds; the glyph's width and 5 come back when
// no glyph is shown.
int captionWidthLimit(int buttonWidth, bool plainButton, bool sideGlyph, int glyphWidth, bool showGlyph);

}  // namespace kestrave
