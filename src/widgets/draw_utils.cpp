#include "widgets/draw_utils.h"

#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "widgets/component_graphics.h"
#include "widgets/gradient.h"

namespace kestrave {

QColor colorFromBgr(int bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

int mulDiv(int a, int b, int c, int ifZero) {
    if (c == 0) return ifZero;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t magnitude = (std::llabs(product) + std::llabs(c) / 2) / std::llabs(c);
    return static_cast<int>((product < 0) != (c < 0) ? -magnitude : magnitude);
}

namespace {

// Lines on the chosen sides in one colour, each moving `r` in by `width`.
void drawSides(QPainter& painter, QRect& r, TglSides sides, const QColor& color, int width) {
    if (sides & sideBit(TglSide::fsdLeft)) {
        painter.fillRect(QRect(r.left(), r.top(), width, r.height()), color);
        r.setLeft(r.left() + width);
    }
    if (sides & sideBit(TglSide::fsdTop)) {
        painter.fillRect(QRect(r.left(), r.top(), r.width(), width), color);
        r.setTop(r.top() + width);
    }
    if (sides & sideBit(TglSide::fsdRight)) {
        painter.fillRect(QRect(r.right() + 1 - width, r.top(), width, r.height()), color);
        r.setRight(r.right() - width);
    }
    if (sides & sideBit(TglSide::fsdBottom)) {
        painter.fillRect(QRect(r.left(), r.bottom() + 1 - width, r.width(), width), color);
        r.setBottom(r.bottom() - width);
    }
}

}  // namespace

QRect drawBevelBox(QPainter& painter, const QRect& rect, const BevelBox& box, const QPalette& palette,
                   const QColor& background, bool noFill) {
    QRect r = rect;
    const int width = std::max(box.lineWidth, 1);
    const TglSides topLeft = sideBit(TglSide::fsdLeft) | sideBit(TglSide::fsdTop);
    const TglSides bottomRight = sideBit(TglSide::fsdRight) | sideBit(TglSide::fsdBottom);
    bool outermost = true;
    for (const TBevelKind kind : {box.outer, box.inner}) {
        if (kind == TBevelKind::bvNone) continue;
        const TglSides dark = (kind == TBevelKind::bvLowered ? topLeft : bottomRight) & box.sides;
        const TglSides light = (kind == TBevelKind::bvLowered ? bottomRight : topLeft) & box.sides;
        if (box.bold && outermost) drawSides(painter, r, dark, palette.color(QPalette::Shadow), width);
        drawSides(painter, r, dark, palette.color(QPalette::Dark), width);
        drawSides(painter, r, light, palette.color(QPalette::Light), width);
        outermost = false;
    }
    if (!noFill && r.isValid()) painter.fillRect(r, background);
    return r;
}

void drawStyledText(QPainter& painter, const QRect& rect, const QString& text, TglTextStyle style, int flags,
                    const QColor& textColor, const QPalette& palette) {
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    const auto copy = [&](const QColor& color, int dx, int dy) {
        painter.setPen(color);
        painter.drawText(rect.translated(dx, dy), flags, text);
    };
    switch (style) {
        case TglTextStyle::fstRaised:
            copy(light, -1, -1);
            copy(dark, 1, 1);
            copy(textColor, 0, 0);
            break;
        case TglTextStyle::fstRecessed:
            copy(dark, -1, -1);
            copy(light, 1, 1);
            copy(textColor, 0, 0);
            break;
        case TglTextStyle::fstPushed:
            copy(light, 0, 0);
            copy(dark, -1, -1);
            break;
        case TglTextStyle::fstShadow:
            copy(dark, 2, 2);
            copy(textColor, 0, 0);
            break;
        case TglTextStyle::fstNone:
        case TglTextStyle::fstVolumetric:
            copy(textColor, 0, 0);
            break;
    }
}

void drawStyledTextAt(QPainter& painter, QPoint at, const QString& text, TglTextStyle style,
                      const QColor& textColor, const QColor& dark, const QColor& light,
                      const TGradient* gradient, int depth) {
    const int ascent = painter.fontMetrics().ascent();
    const auto copy = [&](const QColor& color, int d) {
        painter.setPen(color);
        painter.drawText(at + QPoint(d, d + ascent), text);
    };
    int shift = 0;
    switch (style) {
        case TglTextStyle::fstRaised:
            copy(light, 0);
            copy(dark, 2);
            shift = 1;
            break;
        case TglTextStyle::fstRecessed:
            copy(dark, 0);
            copy(light, 2);
            shift = 1;
            break;
        case TglTextStyle::fstPushed:
            copy(light, 1);
            copy(dark, 0);
            return;
        case TglTextStyle::fstShadow:
            copy(dark, depth);
            break;
        case TglTextStyle::fstVolumetric:
            for (int k = 1; k <= depth; ++k) copy(dark, k);
            break;
        case TglTextStyle::fstNone:
            break;
    }
    const QPoint origin = at + QPoint(shift, shift);
    painter.setPen(textColor);
    if (gradient != nullptr) {
        const QSize size = painter.fontMetrics().size(Qt::TextSingleLine, text);
        gradient->drawText(painter, origin, QRect(origin, size), text);
    } else {
        painter.drawText(origin + QPoint(0, ascent), text);
    }
}

RotatedFont rotatedFont(const QFont& font, int escapement) {
    QFont turned(font.family());
    if (font.pixelSize() > 0)
        turned.setPixelSize(font.pixelSize());
    else
        turned.setPointSizeF(font.pointSizeF());
    turned.setWeight(font.bold() ? QFont::Bold : QFont::Normal);
    turned.setItalic(font.italic());
    turned.setUnderline(font.underline());
    turned.setStrikeOut(font.strikeOut());
    return {turned, escapement};
}

void drawRotatedText(QPainter& painter, const RotatedFont& font, QPoint at, const QString& text) {
    painter.save();
    painter.setFont(font.font);
    painter.translate(at);
    // Escapement turns counter-clockwise; the painter turns clockwise.
    painter.rotate(-font.escapement / 10.0);
    painter.drawText(QPoint(0, painter.fontMetrics().ascent()), text);
    painter.restore();
}

void drawBitmap(QPainter& painter, const QRect& rect, QPoint offset, const QImage& picture, bool transparent,
                TglWallpaperOption mode) {
    if (picture.width() <= 0 || picture.height() <= 0 || rect.isEmpty()) return;
    const QImage source =
        transparent ? withTransparentColor(picture, defaultTransparentColor(picture)) : picture;
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    const QPoint origin = rect.topLeft() + offset;
    switch (mode) {
        case TglWallpaperOption::fwoNone:
            painter.drawImage(origin, source);
            break;
        case TglWallpaperOption::fwoStretch:
            painter.drawImage(QRect(origin, rect.size()), source);
            break;
        case TglWallpaperOption::fwoPropStretch: {
            const double k =
                std::min(double(rect.width()) / source.width(), double(rect.height()) / source.height());
            painter.drawImage(QRect(origin, QSize(int(source.width() * k), int(source.height() * k))),
                              source);
            break;
        }
        case TglWallpaperOption::fwoTile:
            for (int y = origin.y(); y <= rect.bottom(); y += source.height())
                for (int x = origin.x(); x <= rect.right(); x += source.width())
                    painter.drawImage(QPoint(x, y), source);
            break;
    }
    painter.restore();
}

}  // namespace kestrave
