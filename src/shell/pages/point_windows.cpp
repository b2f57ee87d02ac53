#include "shell/pages/point_windows.h"

#include <QHeaderView>
#include <QListWidget>
#include <QProgressBar>
#include <QTableWidget>
#include <QTimer>

#include "shell/pages/line_chart.h"
#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "shell/tool_windows.h"
#include "stacking/stack_options.h"

namespace kestrave {

PointWindows::PointWindows(ToolWindows& tools, QWidget* form)
    : Multialignwindow(new ToolWindow(form, "Multialignwindow", "Multipoint alignment")),
      Alignmentpointswindow(new ToolWindow(form, "Alignmentpointswindow", "Alignmentpoints")) {
    QWidget* window = Multialignwindow;
    StringGrid1 = named(new QTableWidget(0, 4, window), "StringGrid1");
    StringGrid1->setHorizontalHeaderLabels({"", "X", "Y", "FFT"});
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    StringGrid1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    EstimateBestAlign = pushButton(window, "EstimateBestAlign", "Estimate best\nalign points");
    MaxDist = integerSpin(window, "MaxDist", 25, 200, 100);
    ClearAlignmentpoints = pushButton(window, "ClearAlignmentpoints", "Clear\nalign points");
    SavePoints = pushButton(window, "SavePoints", "Save Points");
    Loadpoints = pushButton(window, "Loadpoints", "Load Points");
    Label52 = textLabel(window, "Label52", "Alignmentpoints: 0", 2);
    Alignmentzones = optionCheck(window, "Alignmentzones", "Alignment zones");
    Resetalignpoints = optionCheck(window, "Resetalignpoints", "Reset alignmentpoints");
    Multialigntimer = textLabel(tools.MultiAlignprogresswindow, "Multialigntimer", "");
    Alignments = integerSpin(window, "Alignments", 2, 49, 2);
    Alignments->hide();
    Timer1 = named(new QTimer(form), "Timer1");
    Timer1->setInterval(5000);
    Seams = optionCheck(window, "Seams", "Blend seams");
    SeamWidths = floatSpin(window, "SeamWidths", 1.0, 50.0, 1.0, 5.0, 1);
    SeamWidths->setMaximumWidth(70);

    Multialignwindow->Body->addWidget(StringGrid1, 1);
    Multialignwindow->Body->addWidget(Label52);
    Multialignwindow->Body->addLayout(controlRow(
        {EstimateBestAlign, textLabel(window, "MaxDistLabel", "Minimum distance\nbetween points"), MaxDist}));
    Multialignwindow->Body->addLayout(controlRow({ClearAlignmentpoints, SavePoints, Loadpoints}));
    Multialignwindow->Body->addLayout(controlRow({Alignmentzones, Resetalignpoints, Alignments}));
    Multialignwindow->Body->addLayout(
        controlRow({Seams, textLabel(window, "SeamWidthsLabel", "Seam width"), SeamWidths}));
    Multialignwindow->resize(340, 420);

    // The time left shows under the bar of the points done, where the user watches the work.
    MultiAlignProgressbar = named(new QProgressBar(tools.MultiAlignprogresswindow), "MultiAlignProgressbar");
    tools.MultiAlignprogresswindow->Body->addWidget(MultiAlignProgressbar);
    tools.MultiAlignprogresswindow->Body->addWidget(Multialigntimer);
    tools.MultiAlignprogresswindow->fitContents();
    zoomimage = textLabel(tools.Zoomwindow, "zoomimage", "");
    zoomimage->setFixedSize(256, 256);
    tools.Zoomwindow->Body->addWidget(zoomimage);
    tools.Zoomwindow->fitContents();

    Alignmentpointlist = named(new CheckListBox(Alignmentpointswindow), "Alignmentpointlist");
    Alignmentpointlist->setItemHeight(14);
    Alignmentpointlist->setCheckKind(CheckKind::CheckMarks);
    Alignmentpointswindow->Body->addWidget(Alignmentpointlist, 1);

    ToolWindow& angles = *tools.AngleDist;
    AngleDistChart = named(new TChart(&angles), "AngleDistChart");
    AngleDistChart->setTitle("Distance of points 1 and 2");
    LineSeries1 = AngleDistChart->addSeries("Distance", Qt::red);
    angles.Body->addWidget(AngleDistChart, 1);
    angles.resize(320, 200);
}

void PointWindows::startPointProgress(int count) {
    MultiAlignProgressbar->setMaximum(count);
    MultiAlignProgressbar->setValue(0);
    Multialigntimer->clear();
}

void PointWindows::showPointsDone(int done) {
    MultiAlignProgressbar->setValue(done);
}

void PointWindows::startCountdown(const std::string& timeLeft) {
    Timer1->start();
    Multialigntimer->setText(QString::fromStdString(timeLeft));
}

void PointWindows::stopCountdown() {
    Timer1->stop();
}

void PointWindows::showStackingStarted() {
    Multialigntimer->setText("Stacking started ...");
}

void PointWindows::showPointDistances(const std::vector<double>& distances) {
    LineSeries1->Assign(distances);
    AngleDistChart->update();
}

void PointWindows::readSeams(StackOptions& options) const {
    options.Seams = Seams->Checked();
    options.SeamWidths = static_cast<float>(SeamWidths->Value());
}

void PointWindows::useSeams(int width) {
    SeamWidths->setValue(width);
    Seams->setChecked(true);
}

}  // namespace kestrave
