#include "shell/pages/line_chart.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace kestrave {

namespace {

constexpr int TitleHeight = 18;
constexpr int Tick = 3;
// Room for the numbers of a vertical axis and of the bottom axis.
constexpr int AxisNumbers = 44;
constexpr int BottomNumbers = 16;
constexpr int Edge = 8;
// A legend entry's line and the gap to the next entry.
constexpr int LegendLine = 18;
constexpr int LegendGap = 12;
// A title longer than the chart is wide goes on over more lines.
constexpr int TitleFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

struct Range {
    double low = 0.0;
    double high = 1.0;
};

Range rangeOf(const TChartAxis& axis, double largest) {
    if (!axis.Automatic && axis.Maximum > axis.Minimum) return {axis.Minimum, axis.Maximum};
    return {0.0, largest > 0.0 ? largest : 1.0};
}

// The ticks of an axis every Increment (at most 20 of them), and a number at every tick that
// keeps `spacing` pixels from the last one numbered; `place` maps a value to its pixel and draws.
template <typename Place>
void drawAxis(const TChartAxis& axis, const Range& range, double pixelsPerUnit, int spacing, Place place) {
    if (!axis.Visible || !(axis.Increment > 0.0)) return;
    const double step = std::max(axis.Increment, (range.high - range.low) / 20.0);
    double lastNumbered = -1e300;
    // Each tick is counted from the start, so that no rounding piles up along the axis.
    for (int i = 0;; ++i) {
        const double value = range.low + i * step;
        if (value > range.high + step * 1e-6) break;
        const bool numbered = (value - lastNumbered) * pixelsPerUnit >= spacing;
        if (numbered) lastNumbered = value;
        place(value, numbered);
    }
}

// Three significant digits in plain decimal form, never in exponent form: from 100 on as whole
// numbers, below as many decimals as three digits take.
QString axisNumber(double value) {
    const double size = std::abs(value);
    if (size >= 99.5) return QString::number(std::llround(value));
    if (size < 1e-12) return QStringLiteral("0");
    const int decimals = std::max(0, 2 - static_cast<int>(std::floor(std::log10(size))));
    QString text = QString::number(value, 'f', decimals);
    if (text.contains('.')) {
        while (text.endsWith('0')) text.chop(1);
        if (text.endsWith('.')) text.chop(1);
    }
    return text;
}

}  // namespace

TFastLineSeries::TFastLineSeries(const QString& title, const QColor& colour, bool rightAxis)
    : Title(title), SeriesColor(colour), RightAxis(rightAxis) {}

TChart::TChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(240, 160);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
}

void TChart::setTitle(const QString& title) {
    title_ = title;
    update();
}

TFastLineSeries* TChart::addSeries(const QString& title, const QColor& colour, bool rightAxis) {
    series_.push_back(std::make_unique<TFastLineSeries>(title, colour, rightAxis));
    return series_.back().get();
}

void TChart::textOut(int x, int y, const QString& text) {
    texts_.push_back({QPoint(x, y), text});
    update();
}

void TChart::clearTexts() {
    texts_.clear();
    update();
}

QStringList TChart::texts() const {
    QStringList texts;
    for (const Text& text : texts_) texts << text.text;
    return texts;
}

bool TChart::hasPoints() const {
    return std::any_of(series_.begin(), series_.end(),
                       [](const auto& series) { return series->Count() > 0; });
}

bool TChart::rightAxisUsed() const {
    for (const auto& series : series_)
        if (series->Active && series->RightAxis && series->Count() > 0) return true;
    return false;
}

QRect TChart::titleRect() const {
    const QRect room(2, 2, std::max(width() - 4, 1), 10 * TitleHeight);
    const QRect lines = fontMetrics().boundingRect(room, TitleFlags, title_);
    return {room.left(), room.top(), room.width(), std::max(lines.height(), TitleHeight)};
}

// The legend's entries from the left, a new row where the next would reach past the chart.
std::vector<TChart::LegendEntry> TChart::legend() const {
    const QFontMetrics metrics = fontMetrics();
    std::vector<LegendEntry> entries;
    QPoint at(AxisNumbers, titleRect().bottom() + 1);
    for (const auto& series : series_) {
        if (series->Count() == 0 || !series->ShowInLegend) continue;
        const int wide = LegendLine + metrics.horizontalAdvance(series->Title);
        if (at.x() > AxisNumbers && at.x() + wide > width() - Edge)
            at = QPoint(AxisNumbers, at.y() + metrics.height());
        entries.push_back({series.get(), at});
        at.rx() += wide + LegendGap;
    }
    return entries;
}

// Under the title and the legend's rows, with room for the axes' numbers.
QRect TChart::plotRect() const {
    const int lineHeight = fontMetrics().height();
    const std::vector<LegendEntry> entries = legend();
    const int top = (entries.empty() ? titleRect().bottom() + 1 : entries.back().at.y()) + lineHeight + 4;
    return {AxisNumbers, top, width() - AxisNumbers - (rightAxisUsed() ? AxisNumbers : Edge),
            height() - top - Tick - BottomNumbers - 2};
}

int TChart::pointCount() const {
    int count = 0;
    for (const auto& series : series_)
        if (series->Active) count = std::max(count, series->Count());
    return count;
}

// The x of a point is its index. Each number is written under its tick, kept inside the chart.
std::vector<TChart::AxisNumber> TChart::bottomNumbers(const QRect& plot) const {
    const QFontMetrics metrics = fontMetrics();
    const int count = pointCount();
    const Range bottom = rangeOf(BottomAxis, count > 1 ? count - 1 : 1);
    std::vector<AxisNumber> numbers;
    drawAxis(BottomAxis, bottom, plot.width() / (bottom.high - bottom.low),
             metrics.horizontalAdvance("00000"), [&](double value, bool numbered) {
                 const int x = plot.left() + static_cast<int>((value - bottom.low) /
                                                              (bottom.high - bottom.low) * plot.width());
                 const QString text = numbered ? axisNumber(value) : QString();
                 const int wide = metrics.horizontalAdvance(text);
                 const int left = std::clamp(x - wide / 2, 0, std::max(width() - wide, 0));
                 numbers.push_back({x, text, QRect(left, plot.bottom() + Tick + 1, wide, metrics.height())});
             });
    return numbers;
}

QStringList TChart::bottomNumbers() const {
    QStringList texts;
    for (const AxisNumber& number : bottomNumbers(plotRect()))
        if (!number.text.isEmpty()) texts << number.text;
    return texts;
}

void TChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics = painter.fontMetrics();

    double largestLeft = 0.0, largestRight = 0.0;
    for (const auto& series : series_) {
        if (!series->Active) continue;
        double& largest = series->RightAxis ? largestRight : largestLeft;
        for (const double value : series->values()) largest = std::max(largest, value);
    }
    const int count = pointCount();
    const bool rightUsed = rightAxisUsed();

    // The title, then the legend on rows of its own, so that it never covers a curve.
    painter.drawText(titleRect(), TitleFlags, title_);
    for (const LegendEntry& entry : legend()) {
        const TFastLineSeries& series = *entry.series;
        painter.setPen(QPen(series.SeriesColor, 2));
        const int middle = entry.at.y() + metrics.height() / 2;
        painter.drawLine(entry.at.x(), middle, entry.at.x() + 14, middle);
        painter.drawText(entry.at.x() + LegendLine, entry.at.y() + metrics.ascent(), series.Title);
    }
    const QRect plot = plotRect();
    painter.setPen(Qt::gray);
    painter.drawRect(plot);
    if (plot.width() <= 1 || plot.height() <= 1) return;

    const Range left = rangeOf(LeftAxis, largestLeft);
    const Range right = rangeOf(RightAxis, largestRight);
    const Range bottom = rangeOf(BottomAxis, count > 1 ? count - 1 : 1);
    const int numberHeight = metrics.height();

    const auto vertical = [&](const TChartAxis& axis, const Range& range, bool atRight) {
        drawAxis(axis, range, plot.height() / (range.high - range.low), 3 * numberHeight / 2,
                 [&](double value, bool numbered) {
                     const int y = plot.bottom() - static_cast<int>((value - range.low) /
                                                                    (range.high - range.low) * plot.height());
                     const int x = atRight ? plot.right() : plot.left();
                     painter.setPen(Qt::darkGray);
                     painter.drawLine(atRight ? x : x - Tick, y, atRight ? x + Tick : x, y);
                     if (!numbered) return;
                     painter.setPen(Qt::black);
                     const QRect box = atRight ? QRect(x + Tick + 2, y - numberHeight / 2,
                                                       AxisNumbers - Tick - 2, numberHeight)
                                               : QRect(0, y - numberHeight / 2, x - Tick - 2, numberHeight);
                     painter.drawText(box, (atRight ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                                      axisNumber(value));
                 });
    };
    vertical(LeftAxis, left, false);
    if (rightUsed) vertical(RightAxis, right, true);
    for (const AxisNumber& number : bottomNumbers(plot)) {
        painter.setPen(Qt::darkGray);
        painter.drawLine(number.tick, plot.bottom(), number.tick, plot.bottom() + Tick);
        if (number.text.isEmpty()) continue;
        painter.setPen(Qt::black);
        painter.drawText(number.box, Qt::AlignCenter, number.text);
    }

    painter.save();
    painter.setClipRect(plot.adjusted(0, -1, 1, 1));
    for (const auto& series : series_) {
        if (series->Count() == 0 || !series->Active) continue;
        const Range& scale = series->RightAxis ? right : left;
        QPainterPath line;
        for (int i = 0; i < series->Count(); ++i) {
            const double value = series->values()[static_cast<std::size_t>(i)];
            const double x = plot.left() + (i - bottom.low) / (bottom.high - bottom.low) * plot.width();
            const double y = plot.bottom() - (value - scale.low) / (scale.high - scale.low) * plot.height();
            if (i == 0)
                line.moveTo(x, y);
            else
                line.lineTo(x, y);
        }
        painter.setPen(QPen(series->SeriesColor, 1));
        painter.drawPath(line);
    }
    painter.restore();
    painter.setPen(Qt::black);
    for (const Text& text : texts_) painter.drawText(text.at, text.text);
}

}  // namespace kestrave
