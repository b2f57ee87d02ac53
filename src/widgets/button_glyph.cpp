#include "widgets/button_glyph.h"

#include <QPainter>
#include <algorithm>

#include "widgets/component_graphics.h"

namespace kestrave {

QImage CreateDisabledBitmap(const QImage& source, QRgb transparent, const QPalette& palette) {
    QImage shape(source.size(), QImage::Format_ARGB32);
    shape.fill(Qt::transparent);
    const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            if ((rgb.pixel(x, y) & 0xFFFFFF) != (transparent & 0xFFFFFF)) shape.setPixel(x, y, 0xFF000000);
    const auto tinted = [&](const QColor& colour) {
        QImage copy = shape;
        QPainter painter(&copy);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(copy.rect(), colour);
        return copy;
    };
    QImage result(source.size(), QImage::Format_RGB32);
    result.fill(palette.color(QPalette::Button));
    QPainter painter(&result);
    painter.drawImage(1, 1, tinted(palette.color(QPalette::Light)));
    painter.drawImage(0, 0, tinted(palette.color(QPalette::Dark)));
    return result;
}

QImage inactiveGlyph(const QImage& up, QRgb face, QRgb transparent) {
    QImage result = up.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const QRgb p = row[x] & 0xFFFFFF;
            if (p == (face & 0xFFFFFF) || p == (transparent & 0xFFFFFF)) continue;
            const int grey = (77 * qRed(p) + 150 * qGreen(p) + 29 * qBlue(p)) / 256;
            row[x] = qRgb(grey, grey, grey);
        }
    }
    return result;
}

void TRxButtonGlyph::setGlyph(const QImage& glyph) {
    glyph_ = glyph;
    cache_ = {};
}

void TRxButtonGlyph::setNumGlyphs(int count) {
    if (count < 1 || count > 5 || count == numGlyphs_) return;
    numGlyphs_ = count;
    cache_ = {};
}

QSize TRxButtonGlyph::cellSize() const {
    return glyph_.isNull() ? QSize() : QSize(glyph_.width() / numGlyphs_, glyph_.height());
}

const QImage& TRxButtonGlyph::picture(GlyphState state, const QPalette& palette) const {
    const auto index = static_cast<std::size_t>(state);
    if (cache_[index]) return *cache_[index];
    const QRgb transparent = defaultTransparentColor(glyph_);
    const QImage up = AssignBitmapCell(glyph_, numGlyphs_, 1, 0);
    QImage cell;
    if (static_cast<int>(index) < numGlyphs_)
        cell = AssignBitmapCell(glyph_, numGlyphs_, 1, static_cast<int>(index));
    else if (state == GlyphState::Disabled)
        cell = CreateDisabledBitmap(up, transparent, palette);
    else if (state == GlyphState::Inactive)
        cell = inactiveGlyph(up, palette.color(QPalette::Button).rgb(), transparent);
    else
        cell = up;
    cache_[index] =
        withTransparentColor(cell.convertToFormat(QImage::Format_RGB32),
                             state == GlyphState::Disabled && static_cast<int>(index) >= numGlyphs_
                                 ? palette.color(QPalette::Button).rgb()
                                 : transparent | 0xFF000000);
    return *cache_[index];
}

GlyphCaptionPlace placeGlyphAndCaption(const QRect& client, QSize glyph, QSize caption, ButtonLayout layout,
                                       int margin, int spacing) {
    const bool hasGlyph = glyph.width() > 0 && glyph.height() > 0;
    const bool hasCaption = caption.width() > 0;
    if (!hasGlyph) glyph = QSize(0, 0);
    if (!hasGlyph || !hasCaption) spacing = 0;
    const bool horizontal = layout == ButtonLayout::GlyphLeft || layout == ButtonLayout::GlyphRight;
    const int extent = horizontal ? client.width() : client.height();
    const int block =
        horizontal ? glyph.width() + spacing + caption.width() : glyph.height() + spacing + caption.height();
    // A block taller or wider than the button keeps its glyph whole at the edge; the caption runs
    // over the far side.
    if (margin < 0) margin = std::max(0, (extent - block) / 2);
    GlyphCaptionPlace place;
    QPoint text;
    switch (layout) {
        case ButtonLayout::GlyphLeft:
            place.glyph = {margin, (client.height() - glyph.height()) / 2};
            text = {margin + glyph.width() + spacing, (client.height() - caption.height()) / 2};
            break;
        case ButtonLayout::GlyphRight:
            place.glyph = {client.width() - margin - glyph.width(), (client.height() - glyph.height()) / 2};
            text = {place.glyph.x() - spacing - caption.width(), (client.height() - caption.height()) / 2};
            break;
        case ButtonLayout::GlyphTop:
            place.glyph = {(client.width() - glyph.width()) / 2, margin};
            text = {(client.width() - caption.width()) / 2, margin + glyph.height() + spacing};
            break;
        case ButtonLayout::GlyphBottom:
            place.glyph = {(client.width() - glyph.width()) / 2, client.height() - margin - glyph.height()};
            text = {(client.width() - caption.width()) / 2, place.glyph.y() - spacing - caption.height()};
            break;
    }
    place.glyph += client.topLeft();
    place.caption = QRect(text + client.topLeft(), caption);
    return place;
}

}  // namespace kestrave
