#pragma once
// A line chart of the registration windows: a few series of values drawn over their index, each
// scaled to the left or the right axis, a title whose first line the handlers rewrite (a long one
// goes on over more lines), a legend of the series that show in it (on as many rows as the width
// asks) and short texts written on the chart. Drawn with QPainter; the handlers only fill the
// series and set the axes.

#include <QColor>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

namespace kestrave {

class TFastLineSeries {
public:
    TFastLineSeries(const QString& title, const QColor& colour, bool rightAxis);

    QString Title;
    QColor SeriesColor;
    bool RightAxis = false;
    bool ShowInLegend = true;
    bool Active = true;  // drawn (and in the legend) only while active

    void Clear() { values_.clear(); }
    // Appends the next point; its x is its index.
    void Add(double value) { values_.push_back(value); }
    void Assign(const std::vector<double>& values) { values_ = values; }
    // Point `index`, when the series has it, takes `value`.
    void setValue(int index, double value) {
        if (index >= 0 && index < Count()) values_[static_cast<std::size_t>(index)] = value;
    }
    int Count() const { return static_cast<int>(values_.size()); }
    const std::vector<double>& values() const { return values_; }

private:
    std::vector<double> values_;
};

struct TChartAxis {
    // Without Automatic the axis runs from Minimum to Maximum; with it, from 0 to the largest
    // value of its series.
    bool Automatic = true;
    double Minimum = 0.0;
    double Maximum = 0.0;
    double Increment = 1.0;
    bool Visible = true;
    void setRange(double minimum, double maximum) {
        Automatic = false;
        Minimum = minimum;
        Maximum = maximum;
    }
};

class TChart : public QWidget {
    Q_OBJECT
public:
    explicit TChart(QWidget* parent = nullptr);

    // The first line of the title.
    QString title() const { return title_; }
    void setTitle(const QString& title);

    // The chart owns its series.
    TFastLineSeries* addSeries(const QString& title, const QColor& colour, bool rightAxis = false);

    // The plotting area inside the margins, in the chart's pixels.
    QRect plotRect() const;
    // A shown series with points is drawn on the right axis.
    bool rightAxisUsed() const;
    // Some series has a point: the chart has something to show.
    bool hasPoints() const;

    TChartAxis LeftAxis;
    TChartAxis RightAxis;
    TChartAxis BottomAxis;

    // The numbers under the bottom axis as the chart writes them at its size.
    QStringList bottomNumbers() const;

    // A text written at (x, y) of the chart until the texts are cleared.
    void textOut(int x, int y, const QString& text);
    void clearTexts();
    QStringList texts() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct LegendEntry {
        const TFastLineSeries* series;
        QPoint at;  // the top left of its line and title
    };
    struct AxisNumber {
        int tick;      // the tick's x
        QString text;  // empty where the tick has no number
        QRect box;
    };
    // The title's lines across the chart's width, the legend's rows under it.
    QRect titleRect() const;
    std::vector<LegendEntry> legend() const;
    // The points of the longest shown series.
    int pointCount() const;
    std::vector<AxisNumber> bottomNumbers(const QRect& plot) const;

    struct Text {
        QPoint at;
        QString text;
    };
    QString title_;
    std::vector<std::unique_ptr<TFastLineSeries>> series_;
    std::vector<Text> texts_;
};

}  // namespace kestrave
