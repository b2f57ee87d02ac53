#include "shell/pages/histogram_windows.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QPushButton>
#include <QValueAxis>
#include <algorithm>

#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "shell/tool_windows.h"

namespace kestrave {

HistogramView::HistogramView(QWidget* parent, const QString& prefix) : QWidget(parent) {
    setObjectName(prefix + "HistogramView");
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setMargins({0, 0, 0, 0});
    auto* binAxis = new QValueAxis(chart);
    binAxis->setRange(0, 256);
    binAxis->setLabelFormat("%d");
    countAxis_ = new QValueAxis(chart);
    countAxis_->setLabelFormat("%.0f");
    chart->addAxis(binAxis, Qt::AlignBottom);
    chart->addAxis(countAxis_, Qt::AlignLeft);
    const std::array<std::pair<const char*, QColor>, 4> curves{
        {{"Series1", Qt::red}, {"Series9", Qt::darkGreen}, {"Series10", Qt::blue}, {"Series2", Qt::gray}}};
    for (std::size_t c = 0; c < curves.size(); ++c) {
        auto* line = new QLineSeries(chart);
        line->setObjectName(prefix + curves[c].first);
        line->setColor(curves[c].second);
        chart->addSeries(line);
        line->attachAxis(binAxis);
        line->attachAxis(countAxis_);
        series[c] = line;
    }
    view_ = new QChartView(chart, this);
    view_->setRenderHint(QPainter::Antialiasing, false);
    view_->setMinimumSize(260, 150);
    levelLo = new QLabel("  lo: ", this);
    levelLo->setObjectName(prefix + "Label4");
    levelHi = new QLabel("  hi: ", this);
    levelHi->setObjectName(prefix + "Label1");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_, 1);
    layout->addLayout(controlRow({levelLo, levelHi}));
}

void HistogramView::showCurves(const std::array<std::array<double, 255>, 4>& curves, const QString& lo,
                               const QString& hi) {
    double highest = 1.0;
    for (std::size_t c = 0; c < curves.size(); ++c) {
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(curves[c].size()));
        for (std::size_t b = 0; b < curves[c].size(); ++b) {
            points.append({static_cast<double>(b + 1), curves[c][b]});
            highest = std::max(highest, curves[c][b]);
        }
        series[c]->replace(points);
    }
    countAxis_->setRange(0.0, highest);
    countAxis_->applyNiceNumbers();
    levelLo->setText(lo);
    levelHi->setText(hi);
}

HistogramWindows::HistogramWindows(ToolWindows& tools) {
    QWidget* window = tools.HistoWindow;
    histogram = new HistogramView(window, "");
    Series1 = histogram->series[0];
    Series9 = histogram->series[1];
    Series10 = histogram->series[2];
    Series2 = histogram->series[3];
    Label4 = histogram->levelLo;
    Label1 = histogram->levelHi;
    HistoSmoother = integerSpin(window, "HistoSmoother", 1, 20, 5);
    Redshow = optionCheck(window, "Redshow", "Red");
    Greenshow = optionCheck(window, "Greenshow", "Green");
    Blueshow = optionCheck(window, "Blueshow", "Blue");
    for (TPCheck* shown : {Redshow, Greenshow, Blueshow}) shown->setChecked(true);
    tools.HistoWindow->Body->addWidget(histogram, 1);
    tools.HistoWindow->Body->addLayout(controlRow(
        {textLabel(window, "HistoSmootherLabel", "Smoothing"), HistoSmoother, Redshow, Greenshow, Blueshow}));

    QWidget* balance = tools.HistoRGBWindow;
    rgbHistogram = new HistogramView(balance, "RGB");
    Autobalance = optionCheck(balance, "Autobalance", "Autobalance");
    Autobalance->hide();
    Autobalancebutton = pushButton(balance, "Autobalancebutton", "Auto\r\nbalance");
    tools.HistoRGBWindow->Body->insertWidget(0, rgbHistogram, 1);
    tools.HistoRGBWindow->Body->addWidget(Autobalancebutton, 0, Qt::AlignLeft);
    for (ToolWindow* filled : {tools.HistoWindow, tools.HistoRGBWindow}) filled->fitContents();
}

}  // namespace kestrave
