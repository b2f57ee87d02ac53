#include "widgets/component_graphics.h"

#include <QLocale>
#include <QPainter>
#include <QPalette>
#include <QWidget>
#include <algorithm>

#include "widgets/component_text.h"

namespace kestrave {

QCursor componentCursor(int id) {
    switch (id) {
        case crRxHand:
            return QCursor(Qt::PointingHandCursor);
        case crRxDrag:
            return QCursor(Qt::ClosedHandCursor);
        default:
            return QCursor(Qt::ArrowCursor);
    }
}

bool FourDigitYear() {
    static const bool fourDigits =
        isFourDigitYearFormat(QLocale().dateFormat(QLocale::ShortFormat).toStdString());
    return fourDigits;
}

QImage CreateTwoColorsBrushPattern(const QColor& color1, const QColor& color2) {
    QImage pattern(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) pattern.setPixel(x, y, ((x + y) % 2 == 0 ? color2 : color1).rgb());
    return pattern;
}

QImage AssignBitmapCell(const QImage& source, int cols, int rows, int index) {
    cols = std::max(1, cols);
    rows = std::max(1, rows);
    index = std::max(0, index);
    const int cellWidth = source.width() / cols;
    const int cellHeight = source.height() / rows;
    return source.copy((index % cols) * cellWidth, (index / cols) * cellHeight, cellWidth, cellHeight);
}

QRgb defaultTransparentColor(const QImage& image) {
    return image.isNull() ? 0 : image.pixel(0, image.height() - 1);
}

QImage withTransparentColor(const QImage& image, QRgb key) {
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if (row[x] == key) row[x] = 0;
    }
    return result;
}

void drawBevelFrame(QPainter& painter, const QRect& rect, bool lowered, const QPalette& palette) {
    const QRect r = rect.adjusted(0, 0, -1, -1);
    painter.setPen(palette.color(lowered ? QPalette::Dark : QPalette::Light));
    painter.drawPolyline(QPolygon({r.bottomLeft(), r.topLeft(), r.topRight()}));
    painter.setPen(palette.color(lowered ? QPalette::Light : QPalette::Dark));
    painter.drawPolyline(QPolygon({r.topRight(), r.bottomRight(), r.bottomLeft()}));
}

bool pointerInside(const QWidget& control) {
    return control.isEnabled() && control.isVisible() &&
           control.rect().contains(control.mapFromGlobal(QCursor::pos()));
}

QString MinimizeText(const QString& text, const QFontMetrics& metrics, int maxWidth) {
    if (metrics.horizontalAdvance(text) <= maxWidth) return text;
    const QString ellipsis = "...";
    for (qsizetype keep = text.size() - 1; keep > 0; --keep) {
        const QString shortened = text.left(keep) + ellipsis;
        if (metrics.horizontalAdvance(shortened) <= maxWidth) return shortened;
    }
    return ellipsis;
}

}  // namespace kestrave
