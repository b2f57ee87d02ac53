#include "shell/pages/line_chart.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace kestrave {

namespace {

constexpr int Margin = 28;
constexpr int TitleHeight = 18;

struct Range {
    double low = 0.0;
    double high = 1.0;
};

Range rangeOf(const TChartAxis& axis, double largest) {
    if (!axis.Automatic && axis.Maximum > axis.Minimum) return {axis.Minimum, axis.Maximum};
    return {0.0, largest > 0.0 ? largest : 1.0};
}

// The ticks of an axis every Increment (at most 20 of them); `place` maps a value to its pixel.
template <typename Place>
void drawTicks(const TChartAxis& axis, const Range& range, Place place) {
    if (!axis.Visible || !(axis.Increment > 0.0)) return;
    const double step = std::max(axis.Increment, (range.high - range.low) / 20.0);
    for (double value = range.low; value <= range.high + step * 1e-6; value += step) place(value);
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

QRect TChart::plotRect() const {
    return {Margin, TitleHeight + 4, width() - 2 * Margin, height() - TitleHeight - Margin};
}

void TChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect plot = plotRect();
    painter.drawText(QRect(0, 2, width(), TitleHeight), Qt::AlignHCenter, title_);
    painter.setPen(Qt::gray);
    painter.drawRect(plot);
    if (plot.width() <= 1 || plot.height() <= 1) return;

    double largestLeft = 0.0, largestRight = 0.0;
    int count = 0;
    for (const auto& series : series_) {
        if (!series->Active) continue;
        double& largest = series->RightAxis ? largestRight : largestLeft;
        for (const double value : series->values()) largest = std::max(largest, value);
        count = std::max(count, series->Count());
    }
    const Range left = rangeOf(LeftAxis, largestLeft);
    const Range right = rangeOf(RightAxis, largestRight);
    const Range bottom = rangeOf(BottomAxis, count > 1 ? count - 1 : 1);

    painter.setPen(Qt::darkGray);
    drawTicks(LeftAxis, left, [&](double value) {
        const int y =
            plot.bottom() - static_cast<int>((value - left.low) / (left.high - left.low) * plot.height());
        painter.drawLine(plot.left() - 3, y, plot.left(), y);
    });
    drawTicks(BottomAxis, bottom, [&](double value) {
        const int x =
            plot.left() + static_cast<int>((value - bottom.low) / (bottom.high - bottom.low) * plot.width());
        painter.drawLine(x, plot.bottom(), x, plot.bottom() + 3);
    });

    int legendY = plot.top() + 12;
    for (const auto& series : series_) {
        if (series->Count() == 0 || !series->Active) continue;
        const Range& vertical = series->RightAxis ? right : left;
        QPainterPath line;
        for (int i = 0; i < series->Count(); ++i) {
            const double value = series->values()[static_cast<std::size_t>(i)];
            const double x = plot.left() + (i - bottom.low) / (bottom.high - bottom.low) * plot.width();
            const double y =
                plot.bottom() - (value - vertical.low) / (vertical.high - vertical.low) * plot.height();
            if (i == 0)
                line.moveTo(x, y);
            else
                line.lineTo(x, y);
        }
        painter.setPen(QPen(series->SeriesColor, 1));
        painter.drawPath(line);
        if (series->ShowInLegend) {
            painter.drawText(plot.right() - 90, legendY, series->Title);
            legendY += 14;
        }
    }
    painter.setPen(Qt::black);
    for (const Text& text : texts_) painter.drawText(text.at, text.text);
}

}  // namespace kestrave
