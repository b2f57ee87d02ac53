#include "shell/pages/optimize_page.h"

#include <QComboBox>
#include <QPushButton>

#include "shell/pages/page_controls.h"

namespace kestrave {

OptimizePage::OptimizePage(QWidget* parent) : QWidget(parent) {
    setObjectName("OptimizePage");
    auto* layout = new QVBoxLayout(this);
    glPageControl2 = optionPages(this, "glPageControl2");
    Continuebutton = named(new QPushButton("Continue", this), "Continuebutton");
    Continuebutton->setVisible(false);
    Filtertype = kernelPresetChooser(this, "Filtertype");
    layout->addWidget(glPageControl2);
    layout->addWidget(Filtertype, 0, Qt::AlignLeft);
    layout->addWidget(Continuebutton, 0, Qt::AlignLeft);
    layout->addStretch(1);
}

}  // namespace kestrave
