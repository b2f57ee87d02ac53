#pragma once
// The pictures of a speed button's glyph, one per button state, and where the glyph and the
// caption go inside the button.
//
// A glyph bitmap holds NumGlyphs cells side by side: up, disabled, down, held down (exclusive)
// and inactive. A missing disabled cell is the up cell embossed; a missing inactive cell is the up
// cell in grey; missing down and held-down cells are the up cell. Each picture is made once and
// kept until the glyph changes. The bitmap's bottom-left pixel is its transparent colour.

#include <QImage>
#include <QPalette>
#include <QRect>
#include <array>
#include <optional>

namespace kestrave {

enum class GlyphState { Up = 0, Disabled = 1, Down = 2, Exclusive = 3, Inactive = 4 };

// An embossed picture of `source`'s non-transparent pixels: the shape in the highlight colour
// moved by (1, 1), then in the shadow colour at (0, 0), on the button face.
QImage CreateDisabledBitmap(const QImage& source, QRgb transparent, const QPalette& palette);
// Every pixel other than the face and the transparent colour in grey of level
// (77 R + 150 G + 29 B) / 256.
QImage inactiveGlyph(const QImage& up, QRgb face, QRgb transparent);

class TRxButtonGlyph {
public:
    QImage Glyph() const { return glyph_; }
    void setGlyph(const QImage& glyph);
    int NumGlyphs() const { return numGlyphs_; }
    // 1..5; other values are refused.
    void setNumGlyphs(int count);
    bool isEmpty() const { return glyph_.isNull(); }
    QSize cellSize() const;
    // The picture of a state, with the transparent colour already transparent.
    const QImage& picture(GlyphState state, const QPalette& palette) const;

private:
    QImage glyph_;
    int numGlyphs_ = 1;
    mutable std::array<std::optional<QImage>, 5> cache_;
};

enum class ButtonLayout { GlyphLeft, GlyphRight, GlyphTop, GlyphBottom };

struct GlyphCaptionPlace {
    QPoint glyph;
    QRect caption;
};
// The glyph and the caption as one block in `client`: the glyph on the layout's side of the
// caption, `spacing` pixels apart (no gap when either is missing); with `margin` -1 the block is
// centred, otherwise it starts `margin` pixels from the edge on the glyph's side. The other
// direction is centred for each on its own. A block too big for the client starts at the edge.
GlyphCaptionPlace placeGlyphAndCaption(const QRect& client, QSize glyph, QSize caption, ButtonLayout layout,
                                       int margin, int spacing);

}  // namespace kestrave
