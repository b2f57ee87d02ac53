#include "assistant/office_glyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace kestrave {
namespace {

constexpr int kGlyphSize = 11;

enum class Shape { Dot, Radio, Up, Down, Bullet };
enum class Role { Active, Disabled, Down, Inactive };

QImage paintGlyph(Shape shape, Role role, bool laterLook) {
    QImage image(kGlyphSize, kGlyphSize, QImage::Format_RGB32);
    image.fill(kGlyphKeyColor);
    QPainter p(&image);
    QColor ink = role == Role::Active     ? QColor(0, 0, 160)
                 : role == Role::Disabled ? QColor(128, 128, 128)
                 : role == Role::Down     ? QColor(0, 0, 96)
                                          : QColor(0, 0, 0);
    p.setPen(ink);
    p.setBrush(ink);
    const QRectF box(1.5, 1.5, kGlyphSize - 4, kGlyphSize - 4);
    switch (shape) {
        case Shape::Dot:
            p.drawEllipse(box.adjusted(1.5, 1.5, -1.5, -1.5));
            break;
        case Shape::Radio:
            p.setBrush(laterLook ? QColor(Qt::white) : QColor(230, 230, 230));
            p.drawEllipse(box);
            p.setBrush(ink);
            if (role == Role::Active || role == Role::Down) p.drawEllipse(box.adjusted(2, 2, -2, -2));
            break;
        case Shape::Up:
        case Shape::Down: {
            const bool up = shape == Shape::Up;
            QPainterPath path;
            path.moveTo(box.left(), up ? box.bottom() : box.top());
            path.lineTo(box.right(), up ? box.bottom() : box.top());
            path.lineTo(box.center().x(), up ? box.top() : box.bottom());
            path.closeSubpath();
            p.drawPath(path);
            break;
        }
        case Shape::Bullet:
            p.drawRect(box.adjusted(1.5, 1.5, -1.5, -1.5));
            break;
    }
    return image;
}

}  // namespace

QImage officeGlyph(int number) {
    if (number < 1 || number > 24) return {};
    // In the order of the resources: button, radio (earlier look), up, down, radio (later
    // look), hint bullet; four roles each.
    static const std::array<QImage, 24> glyphs = [] {
        std::array<QImage, 24> all;
        const Shape shapes[6] = {Shape::Dot,  Shape::Radio, Shape::Up,
                                 Shape::Down, Shape::Radio, Shape::Bullet};
        for (int set = 0; set < 6; ++set)
            for (int role = 0; role < 4; ++role)
                all[set * 4 + role] = paintGlyph(shapes[set], static_cast<Role>(role), set == 4);
        return all;
    }();
    return glyphs[number - 1];
}

QImage glyphWithTransparency(const QImage& glyph, QRgb key) {
    QImage out = glyph.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((row[x] & 0xFFFFFFu) == (key & 0xFFFFFFu)) row[x] = 0;
    }
    return out;
}

QImage embossedGlyph(const QImage& glyph, QRgb key) {
    const QImage shape = glyphWithTransparency(glyph, key);
    QImage out(shape.size(), QImage::Format_ARGB32);
    out.fill(0);
    const auto inside = [&](int x, int y) { return qAlpha(shape.pixel(x, y)) != 0; };
    for (int y = 0; y + 1 < out.height(); ++y)
        for (int x = 0; x + 1 < out.width(); ++x)
            if (inside(x, y)) out.setPixel(x + 1, y + 1, kEmbossHighlight);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if (inside(x, y)) out.setPixel(x, y, kEmbossShadow);
    return out;
}

int captionWidthLimit(int buttonWidth, bool plainButton, bool sideGlyph, int glyphWidth, bool showGlyph) {
    int limit = !plainButton ? buttonWidth - glyphWidth - 10
                : sideGlyph  ? buttonWidth - glyphWidth - 18
                             : buttonWidth - 13;
    if (!showGlyph) limit += glyphWidth + 5;
    return limit;
}

}  // namespace kestrave
