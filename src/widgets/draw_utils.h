#pragma once
// Drawing primitives of the tab controls and the bevel panel: colours given as 0x00BBGGRR
// numbers, the rounding multiply-divide, the bevel box, text with a 3-D look and pictures drawn
// once, stretched or tiled.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QString>

class QPainter;

namespace kestrave {

// A colour written as one number, blue in the high byte: 12639424 is red 192, green 220, blue 192.
QColor colorFromBgr(int bgr);

// a × b ÷ c rounded to the nearest integer (halves away from zero), in 64 bits. A zero divisor
// gives `ifZero` instead of a meaningless number.
int mulDiv(int a, int b, int c, int ifZero = 0);

enum class TglSide { fsdLeft, fsdTop, fsdRight, fsdBottom };
// A set of sides: bits 1 (left), 2 (top), 4 (right), 8 (bottom).
using TglSides = unsigned;
constexpr TglSides sideBit(TglSide side) {
    return 1u << static_cast<unsigned>(side);
}
inline constexpr TglSides AllSides = 15;

enum class TglHorAlign { fhaLeft, fhaCenter, fhaRight };
enum class TglVertAlign { fvaTop, fvaCenter, fvaBottom };
enum class TglTextStyle { fstNone, fstRaised, fstRecessed, fstPushed, fstShadow, fstVolumetric };
enum class TglWallpaperOption { fwoNone, fwoStretch, fwoPropStretch, fwoTile };
enum class TBevelKind { bvNone, bvLowered, bvRaised };

// A bevel box: the outer bevel, then the inner one, each a line on every chosen side that moves
// the rectangle in by the line width. A lowered bevel is dark (the button shadow) on the left and
// top and light (the highlight) on the right and bottom, a raised one the reverse; bold adds an
// outermost line in the darkest shadow on the dark sides. What is left is filled with
// `background` unless `noFill`, and returned.
struct BevelBox {
    TglSides sides = AllSides;
    TBevelKind outer = TBevelKind::bvNone;
    TBevelKind inner = TBevelKind::bvNone;
    bool bold = false;
    int lineWidth = 1;
};
QRect drawBevelBox(QPainter& painter, const QRect& rect, const BevelBox& box, const QPalette& palette,
                   const QColor& background, bool noFill);

// Text in a rectangle with a 3-D look on a transparent background: raised puts the light copy
// one pixel up-left and the dark one down-right, recessed the reverse, pushed draws only the
// light copy and the dark one up-left, shadow a dark copy two pixels down-right. `flags` are
// Qt alignment and wrap flags.
void drawStyledText(QPainter& painter, const QRect& rect, const QString& text, TglTextStyle style, int flags,
                    const QColor& textColor, const QPalette& palette);

class TGradient;
// Text with a 3-D look written from a point (the top-left of its cell), in the painter's current
// transformation, so that turned captions use it: raised writes the light copy at the point and
// the dark one `depth` pixels down-right, recessed the reverse, both then the text one pixel
// down-right; pushed only a light copy one pixel down-right and a dark one at the point; shadow
// a dark copy `depth` pixels down-right; volumetric dark copies 1..depth pixels down-right. The
// text itself goes through `gradient` when one is given.
void drawStyledTextAt(QPainter& painter, QPoint at, const QString& text, TglTextStyle style,
                      const QColor& textColor, const QColor& dark, const QColor& light,
                      const TGradient* gradient = nullptr, int depth = 2);

// A font turned by `escapement` tenths of a degree counter-clockwise: the same face, height,
// italic, underline and strike-out, bold as weight 700 and otherwise 400.
struct RotatedFont {
    QFont font;
    int escapement = 0;
};
RotatedFont rotatedFont(const QFont& font, int escapement);
// Writes `text` with the turned font from `at` (the top-left of its cell before turning).
void drawRotatedText(QPainter& painter, const RotatedFont& font, QPoint at, const QString& text);

// A picture drawn into `rect` at `offset`: once at its own size, stretched to the rectangle,
// stretched keeping its proportions (size truncated), or tiled from the top-left corner and cut
// at the edges. With `transparent` the colour of its bottom-left pixel lets the background show.
// A picture without width or height draws nothing.
void drawBitmap(QPainter& painter, const QRect& rect, QPoint offset, const QImage& picture, bool transparent,
                TglWallpaperOption mode);

}  // namespace kestrave
