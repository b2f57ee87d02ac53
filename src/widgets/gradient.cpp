#include "widgets/gradient.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <utility>

#include "widgets/draw_utils.h"

namespace kestrave {

QColor bandColor(const QColor& from, const QColor& to, int i, int n) {
    // n − 1 is zero for a single band: it takes the first colour.
    const auto channel = [&](int a, int b) { return std::clamp(a + mulDiv(i, b - a, n - 1), 0, 255); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

std::vector<GradientBand> gradientBands(const GradientSpec& spec, const QRect& rect) {
    std::vector<GradientBand> bands;
    const int steps = std::clamp(spec.steps, 1, 255);
    if (steps == 1 || rect.isEmpty()) return bands;
    int w = rect.width();
    int h = rect.height();
    int n = 0;
    switch (spec.orientation) {
        case TglGradientDir::fgdHorizontal:
            n = std::min(steps, h);
            break;
        case TglGradientDir::fgdVertical:
            n = std::min(steps, w);
            break;
        case TglGradientDir::fgdLeftBias:
        case TglGradientDir::fgdRightBias:
            n = std::min(steps, w + h);
            break;
        case TglGradientDir::fgdRectangle:
            w /= 2;
            h /= 2;
            n = std::min(steps, std::min(w, h));
            break;
        case TglGradientDir::fgdHorzConvergent:
        case TglGradientDir::fgdVertConvergent:
            return bands;
    }
    for (int i = 0; i < n; ++i) {
        GradientBand band{rect, bandColor(spec.from, spec.to, i, n)};
        const int begin = mulDiv(i, spec.orientation == TglGradientDir::fgdVertical ? w : h, n);
        const int end = mulDiv(i + 1, spec.orientation == TglGradientDir::fgdVertical ? w : h, n);
        switch (spec.orientation) {
            case TglGradientDir::fgdHorizontal:
                band.rect = spec.reversed ? QRect(rect.left(), rect.bottom() + 1 - end, w, end - begin)
                                          : QRect(rect.left(), rect.top() + begin, w, end - begin);
                break;
            case TglGradientDir::fgdVertical:
                band.rect = spec.reversed ? QRect(rect.right() + 1 - end, rect.top(), end - begin, h)
                                          : QRect(rect.left() + begin, rect.top(), end - begin, h);
                break;
            case TglGradientDir::fgdRectangle: {
                const int dx = mulDiv(i, w, n);
                const int dy = mulDiv(i, h, n);
                band.rect = rect.adjusted(dx, dy, -dx, -dy);
                break;
            }
            default:
                band.firstLine = mulDiv(i, w + h, n);
                band.lines = mulDiv(i + 1, w + h, n) - band.firstLine;
                break;
        }
        bands.push_back(band);
        if (i * 100.0 / n > spec.percentFilling) break;
    }
    return bands;
}

void TTwainColors::setFromColor(const QColor& color) {
    if (spec_.from == color) return;
    spec_.from = color;
    emit changed();
}

void TTwainColors::setToColor(const QColor& color) {
    if (spec_.to == color) return;
    spec_.to = color;
    emit changed();
}

template <typename T>
void TGradient::set(T& field, T value) {
    if (field == value) return;
    field = value;
    emit changed();
}

void TGradient::setActive(bool active) {
    set(active_, active);
}

void TGradient::setBufferedDraw(bool buffered) {
    set(buffered_, buffered);
}

void TGradient::setOrientation(TglGradientDir orientation) {
    if (spec_.orientation == orientation) return;
    spec_.orientation = orientation;
    if (active_) emit changed();
}

void TGradient::setSteps(int steps) {
    set(spec_.steps, std::clamp(steps, 1, 255));
}

void TGradient::setPercentFilling(int percent) {
    set(spec_.percentFilling, std::clamp(percent, 0, 100));
}

void TGradient::setBrushStyle(Qt::BrushStyle style) {
    brush_ = style;
    emit changed();
}

void TGradient::setReversed(bool reversed) {
    set(spec_.reversed, reversed);
}

void TGradient::draw(QPainter& painter, const QRect& rect, int penWidth, Qt::PenStyle penStyle) const {
    if (!active_ || spec_.steps <= 1 || !painter.device() || painter.device()->depth() < 16) return;
    if (!buffered_) {
        drawBands(painter, spec_, rect, penWidth, penStyle);
        return;
    }
    QPixmap buffer(rect.size());
    buffer.fill(Qt::transparent);
    QPainter bufferPainter(&buffer);
    drawBands(bufferPainter, spec_, QRect(QPoint(0, 0), rect.size()), penWidth, penStyle);
    bufferPainter.end();
    painter.drawPixmap(rect.topLeft(), buffer);
}

void TGradient::drawBands(QPainter& painter, const GradientSpec& spec, const QRect& rect, int penWidth,
                          Qt::PenStyle penStyle) const {
    // The convergent kinds: two halves whose colours meet in the middle.
    if (spec.orientation == TglGradientDir::fgdHorzConvergent ||
        spec.orientation == TglGradientDir::fgdVertConvergent) {
        const bool rows = spec.orientation == TglGradientDir::fgdHorzConvergent;
        GradientSpec half = spec;
        half.orientation = rows ? TglGradientDir::fgdHorizontal : TglGradientDir::fgdVertical;
        const QRect first =
            rows ? rect.adjusted(0, 0, 0, -rect.height() / 2) : rect.adjusted(0, 0, -rect.width() / 2, 0);
        const QRect second =
            rows ? rect.adjusted(0, rect.height() / 2, 0, 0) : rect.adjusted(rect.width() / 2, 0, 0, 0);
        drawBands(painter, half, first, penWidth, penStyle);
        std::swap(half.from, half.to);
        drawBands(painter, half, second, penWidth, penStyle);
        return;
    }
    const int width = std::max(penWidth, 1);
    const bool leftBias = spec.orientation == TglGradientDir::fgdLeftBias;
    // A point `d` pixels along a path of two edges of the rectangle.
    const auto walk = [&](QPoint start, QPoint first, QPoint second, int firstLength, int d) {
        return d <= firstLength ? start + first * d
                                : start + first * firstLength + second * (d - firstLength);
    };
    const int w = rect.width();
    const int h = rect.height();
    for (const GradientBand& band : gradientBands(spec, rect)) {
        if (band.lines == 0 && (spec.orientation == TglGradientDir::fgdLeftBias ||
                                spec.orientation == TglGradientDir::fgdRightBias))
            continue;
        if (spec.orientation != TglGradientDir::fgdLeftBias &&
            spec.orientation != TglGradientDir::fgdRightBias) {
            painter.fillRect(band.rect, QBrush(band.color, brush_));
            continue;
        }
        painter.setPen(QPen(band.color, width, penStyle));
        for (int k = band.firstLine; k < band.firstLine + band.lines; ++k) {
            const int d = k * width;
            if (leftBias)
                painter.drawLine(walk(rect.topLeft(), {0, 1}, {1, 0}, h, d),
                                 walk(rect.topLeft(), {1, 0}, {0, 1}, w, d));
            else
                painter.drawLine(walk(rect.topRight(), {-1, 0}, {0, 1}, w, d),
                                 walk(rect.topRight(), {0, 1}, {-1, 0}, h, d));
        }
    }
}

QColor TGradient::textLineColor(int line, int extent) const {
    const auto channel = [&](int from, int to) {
        return std::clamp(from + (extent > 0 ? (to - from) * line / extent : 0), 0, 255);
    };
    return QColor(channel(spec_.from.red(), spec_.to.red()), channel(spec_.from.green(), spec_.to.green()),
                  channel(spec_.from.blue(), spec_.to.blue()));
}

void TGradient::drawText(QPainter& painter, QPoint origin, const QRect& clip, const QString& text) const {
    const QPoint baseline = origin + QPoint(0, painter.fontMetrics().ascent());
    const bool deep = painter.device() == nullptr || painter.device()->depth() >= 16;
    if (!active_ || !deep) {
        painter.drawText(baseline, text);
        return;
    }
    const bool columns = spec_.orientation == TglGradientDir::fgdVertical;
    const int extent = columns ? clip.width() : clip.height();
    const int lines = mulDiv(extent, spec_.percentFilling, 100) + 1;
    painter.save();
    for (int line = 0; line < lines && line < extent; ++line) {
        painter.setClipRect(columns ? QRect(clip.left() + line, clip.top(), 1, clip.height())
                                    : QRect(clip.left(), clip.top() + line, clip.width(), 1));
        painter.setPen(textLineColor(line, extent));
        painter.drawText(baseline, text);
    }
    painter.restore();
}

}  // namespace kestrave
