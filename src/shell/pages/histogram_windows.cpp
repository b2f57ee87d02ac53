#include "shell/pages/histogram_windows.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPushButton>
#include <QValueAxis>
#include <algorithm>

#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "shell/tool_windows.h"
#include "widgets/check_box.h"
#include "widgets/range_slider.h"
#include "widgets/rect_shape.h"

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
    logAxis_ = new QLogValueAxis(chart);
    logAxis_->setLabelFormat("%.0f");
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
    Loline = shape(view_, qPrintable(prefix + "Loline"), 1, 150, QBrush(Qt::black));
    Hiline = shape(view_, qPrintable(prefix + "Hiline"), 1, 150, QBrush(Qt::black));
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
    setCountRange(highest);
    levelLo->setText(lo);
    levelHi->setText(hi);
}

QAbstractAxis* HistogramView::countAxis() const {
    return logarithmic_ ? static_cast<QAbstractAxis*>(logAxis_) : countAxis_;
}

void HistogramView::setCountRange(double highest) {
    highest_ = highest;
    if (logarithmic_) {
        logAxis_->setRange(1.0, std::max(highest, 10.0));
    } else {
        countAxis_->setRange(0.0, highest);
        countAxis_->applyNiceNumbers();
    }
}

void HistogramView::setLogScale(bool logarithmic) {
    if (logarithmic == logarithmic_) return;
    QChart* chart = view_->chart();
    QAbstractAxis* old = countAxis();
    for (QLineSeries* line : series) line->detachAxis(old);
    chart->removeAxis(old);
    logarithmic_ = logarithmic;
    chart->addAxis(countAxis(), Qt::AlignLeft);
    for (QLineSeries* line : series) line->attachAxis(countAxis());
    setCountRange(highest_);
}

int HistogramView::chartWidth() const {
    return view_->width();
}

void HistogramView::placeLevelLines(int loX, int hiX) {
    for (auto [line, x] : {std::pair{Loline, loX}, std::pair{Hiline, hiX}}) {
        line->setGeometry(x, 0, 1, view_->height());
        line->raise();
        line->show();
    }
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
    // The channel switches tick in their channel's colour.
    Redshow->setImageType(TPCheck::igCrossRed);
    Greenshow->setImageType(TPCheck::igCrossGreen);
    Blueshow->setImageType(TPCheck::igCrossBlue);
    for (TPCheck* shown : {Redshow, Greenshow, Blueshow}) shown->setChecked(true);
    mkRangeSlider1 = new TmkRangeSlider(window);
    mkRangeSlider1->setObjectName("mkRangeSlider1");
    mkRangeSlider1->setTickStyle(RangeTickStyle::rsTopLeft);
    mkRangeSlider1->setFixedSize(400, 30);
    mkRangeSlider1->setMax(1023);
    mkRangeSlider1->setMaxPosition(1023);
    mkRangeSlider1->setFrequency(8);
    LovalSpin = integerSpin(window, "LovalSpin", 0, 255, 0);
    Hivalspin = integerSpin(window, "Hivalspin", 0, 255, 255);
    Button1 = pushButton(window, "Button1", "Reset levels");
    Button1->hide();
    Log = optionCheck(window, "Log", "Log-based graph");
    Historeset = pushButton(window, "Historeset", "Reset");
    stretchbutton = pushButton(window, "stretchbutton", "Stretch");
    Showpeak = optionCheck(window, "Showpeak", "Show peak");
    // Numbers of three digits: the rows keep their room for the check boxes' captions.
    for (TRxSpinEdit* spin : {LovalSpin, Hivalspin, HistoSmoother}) spin->setMaximumWidth(70);
    tools.HistoWindow->Body->addWidget(histogram, 1);
    tools.HistoWindow->Body->addWidget(mkRangeSlider1, 0, Qt::AlignHCenter);
    tools.HistoWindow->Body->addLayout(
        controlRow({textLabel(window, "LovalLabel", "Black"), LovalSpin,
                    textLabel(window, "HivalLabel", "White"), Hivalspin, Log}));
    tools.HistoWindow->Body->addLayout(controlRow(
        {textLabel(window, "HistoSmootherLabel", "Smoothing"), HistoSmoother, Redshow, Greenshow, Blueshow}));
    tools.HistoWindow->Body->addLayout(controlRow({Historeset, stretchbutton, Showpeak}));

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
