#include "shell/pages/registration_windows.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include "registration/registration_graph.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/page_controls.h"
#include "shell/tool_windows.h"

namespace kestrave {

RegistrationWindows::RegistrationWindows(ToolWindows& tools, TChart& Chart8)
    : registrationChart_(Chart8), optimizerChartWindow_(*tools.RegiStration2) {
    imgFFT = named(new QLabel(tools.FFTWindow), "imgFFT");
    imgFFT->setFixedSize(256, 256);
    imgFFT->setScaledContents(true);
    tools.FFTWindow->Body->addWidget(imgFFT);

    Series5 = Chart8.addSeries("Power spectrum", Qt::red, true);
    Series6 = Chart8.addSeries("Difference", Qt::green);
    Series8 = Chart8.addSeries("Correlation", Qt::blue, true);
    Showgraph1pointer = shape(&Chart8, "Showgraph1pointer", 2, 6, {}, 1);
    Showgraph1pointer->hide();
    FFTLABELs = named(new QLabel("Quality band", tools.Registrationgraphwindow), "FFTLABELs");
    FFTLABELs->hide();
    tools.Registrationgraphwindow->Body->addWidget(FFTLABELs);

    Chart9 = named(new TChart(tools.Stackgraphpanel), "Chart9");
    // The quality relative to the best frame keeps its own scale (0..1) beside the differences', as
    // on the registration graph.
    FastLineSeries1 = Chart9->addSeries("Quality", Qt::red, true);
    FastLineSeries2 = Chart9->addSeries("Difference", Qt::green);
    Selectoff = shape(Chart9, "Selectoff", 0, 0, QBrush(Qt::blue, Qt::BDiagPattern));
    StackQuality = shape(Chart9, "StackQuality", 0, 0, Qt::green, 1);
    Stackdifference = shape(Chart9, "Stackdifference", 0, 0, Qt::green, 1);
    tools.Stackgraphpanel->Body->insertWidget(0, Chart9, 1);
}

void RegistrationWindows::showSpectrumUndefined() {
    QLabel& spectrum = *imgFFT;
    QPixmap blank(spectrum.size());
    blank.fill(Qt::white);
    QPainter painter(&blank);
    painter.drawText(spectrum.width() / 2 - 40, spectrum.height() / 2 - 16, " Not defined ");
    painter.end();
    spectrum.setPixmap(blank);
}

void RegistrationWindows::showRegistrationGraph(const FrameModel& model, int lastRank,
                                                const std::string& caption) {
    const RegistrationGraphData graph = registrationGraphData(model, lastRank, caption);
    TChart& chart = registrationChart_;
    Series5->Title = "Quality";
    Series5->Assign(graph.quality);
    Series8->Assign(graph.correlation);
    optimizerChartWindow_.setWindowTitle(QString::fromStdString(graph.caption));
    Series6->Title = "Difference";
    Series6->ShowInLegend = true;
    Series6->Assign(graph.difference);
    chart.LeftAxis.Increment = graph.qualityAxisIncrement;
    chart.LeftAxis.Visible = true;
    chart.BottomAxis.setRange(0.0, graph.rankAxisMaximum);
    chart.BottomAxis.Increment = graph.rankAxisIncrement;
    chart.update();

    TChart& stackGraph = *Chart9;
    FastLineSeries1->Assign(graph.quality);
    FastLineSeries2->Assign(graph.difference);
    stackGraph.LeftAxis.setRange(0.0, graph.largestDifference);
    stackGraph.LeftAxis.Increment = 0.1 * graph.largestDifference;
    stackGraph.BottomAxis.Increment = graph.stackRankAxisIncrement;
    stackGraph.update();
}

void RegistrationWindows::clearSeries() {
    for (TFastLineSeries* series : {Series5, Series6, Series8, FastLineSeries1, FastLineSeries2})
        series->Clear();
}

void RegistrationWindows::clearStackGraphTexts() {
    Chart9->setTitle({});
    Chart9->clearTexts();
}

}  // namespace kestrave
