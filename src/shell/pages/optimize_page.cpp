#include "shell/pages/optimize_page.h"

#include <QComboBox>
#include <QPushButton>

#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"

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
    Setlimitbutton = pushButton(this, "Setlimitbutton", "Limit");
    Referbutton = pushButton(this, "Referbutton", "Create");
    Restartalign = pushButton(this, "Restartalign", "Realign with");
    OptimizeQualitySpin = integerSpin(this, "OptimizeQualitySpin", 0, 100, 80);
    OptimizeQualitySpin->setIncrement(5);
    OptimizeQualitySpin->setEnabled(false);
    Refframes = integerSpin(this, "Refframes", 2, 5000, 50);
    Optimizegraph = optionCheck(this, "Optimizegraph", "Difference");
    Optimizegraph->setChecked(true);
    ShowMovementwindow = optionCheck(this, "ShowMovementwindow", "Movements");
    layout->addWidget(glPageControl2);
    layout->addLayout(controlRow({Setlimitbutton, Optimizebutton, Optimizeandstackbutton, Referbutton,
                                  Refframes, OptimizeQualitySpin, Restartalign}));
    layout->addLayout(controlRow({Optimizegraph, ShowMovementwindow}));
    layout->addWidget(Filtertype, 0, Qt::AlignLeft);
    layout->addWidget(Continuebutton, 0, Qt::AlignLeft);
    layout->addStretch(1);
}

}  // namespace kestrave
