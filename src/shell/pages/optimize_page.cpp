#include "shell/pages/optimize_page.h"

#include <QComboBox>
#include <QPushButton>

#include "shell/pages/line_chart.h"
#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "widgets/radio_group.h"

namespace kestrave {

OptimizePage::OptimizePage(QWidget* parent) : QWidget(parent) {
    setObjectName("OptimizePage");
    auto* layout = new QVBoxLayout(this);
    glPageControl2 = optionPages(this, "glPageControl2");
    Continuebutton = named(new QPushButton("Continue", this), "Continuebutton");
    Continuebutton->setVisible(false);
    Filtertype = kernelPresetChooser(this, "Filtertype");
    Optimizebutton = pushButton(this, "Optimizebutton", "Optimize");
    Optimizeandstackbutton = pushButton(this, "Optimizeandstackbutton", "Optimize && Stack");
    Referbutton = pushButton(this, "Referbutton", "Create");
    Restartalign = pushButton(this, "Restartalign", "Realign with");
    OptimizeQualitySpin = integerSpin(this, "OptimizeQualitySpin", 0, 100, 80);
    OptimizeQualitySpin->setIncrement(5);
    OptimizeQualitySpin->setEnabled(false);
    Refframes = integerSpin(this, "Refframes", 2, 5000, 50);
    Optimizegraph = optionCheck(this, "Optimizegraph", "Difference");
    Optimizegraph->setChecked(true);
    ShowMovementwindow = optionCheck(this, "ShowMovementwindow", "Movements");
    Chart7 = named(new TChart(this), "Chart7");
    Series3 = Chart7->addSeries("Quality", Qt::blue, true);
    Series4 = Chart7->addSeries("Difference", Qt::red);
    const ImageBox align = imageBox(this, "AlignImageBox", "AlignImage");
    AlignImageBox = align.box;
    AlignImage = align.image;
    Showbuttonp2 = shape(this, "Showbuttonp2", 20, 4);
    Showbuttonp2->hide();

    glPageControl2->addTab(buildOptimizerOptions(), "   Optimizer   ");
    glPageControl2->addTab(buildPrefilter(), "   PreFilter   ");
    layout->addWidget(glPageControl2);
    layout->addLayout(controlRow(
        {Optimizebutton, Optimizeandstackbutton, Referbutton, Refframes, OptimizeQualitySpin, Restartalign}));
    layout->addLayout(controlRow({Optimizegraph, ShowMovementwindow}));
    layout->addWidget(Continuebutton, 0, Qt::AlignLeft);
    layout->addWidget(Chart7);
    layout->addWidget(AlignImageBox, 1);
}

QWidget* OptimizePage::buildOptimizerOptions() {
    auto* page = new QWidget;
    SearchArea = integerSpin(page, "SearchArea", 1, 10, 2);
    FastOptim = optionCheck(page, "FastOptim", "Single run optimizer");
    FastOptim->setChecked(true);
    OptimizeSpin = integerSpin(page, "OptimizeSpin", 1, 50, 1);
    Warnings = optionCheck(page, "Warnings", "Show Messages During Optimizing");
    Warnings->setChecked(true);
    CreateRefMessage = optionCheck(page, "CreateRefMessage", "Show Messages During Create-reference");
    CreateRefMessage->setChecked(true);
    MultiAlign = radioGroup(page, "MultiAlign", "Frame limit", {"Simple", "Multi-Quantity"}, 0);
    Contour = optionCheck(page, "Contour", "Contour");
    Contour->setVisible(false);
    MultiOptimtoWavelet = optionCheck(page, "MultiOptimtoWavelet", "");
    MultiOptimtoWavelet->setVisible(false);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(controlRow({new QLabel("Search area", page), SearchArea, new QLabel("pixels", page),
                                  FastOptim, new QLabel("Stop at (%)", page), OptimizeSpin}));
    layout->addLayout(controlRow({MultiAlign, Warnings, CreateRefMessage, Contour, MultiOptimtoWavelet}));
    return page;
}

QWidget* OptimizePage::buildPrefilter() {
    auto* page = new QWidget;
    Filtertype->setParent(page);
    Filteralignment = optionCheck(page, "Filteralignment", "Active");
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(controlRow({Filtertype, Filteralignment}));
    layout->addStretch(1);
    return page;
}

}  // namespace kestrave
