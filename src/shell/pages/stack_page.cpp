#include "shell/pages/stack_page.h"

#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "shell/startup_rules.h"

namespace kestrave {

StackPage::StackPage(QWidget* parent) : QWidget(parent) {
    setObjectName("StackPage");
    auto* layout = new QVBoxLayout(this);
    glPageControl3 = optionPages(this, "glPageControl3");
    Showstackgraph = optionCheck(this, "Showstackgraph", "Stack graph");
    ShowStacklist = optionCheck(this, "ShowStacklist", "Stack list");
    Resampled = optionCheck(this, "Resampled", "Resample");
    ResampleSpin = floatSpin(this, "ResampleSpin", 0, 0, 0.1, 2.0, 1);
    ResampleMethod = named(new QComboBox(this), "ResampleMethod");
    for (const char* method : ResampleMethodItems) ResampleMethod->addItem(method);
    Drizzling = optionCheck(this, "Drizzling", "Drizzle");
    Stackfiltermethod = kernelPresetChooser(this, "Stackfiltermethod");
    Stackbutton = pushButton(this, "Stackbutton", "Stack");
    Statisticalstackbutton = pushButton(this, "Statisticalstackbutton", "Sigma stack");
    Multi = optionCheck(this, "Multi", "Multi");
    layout->addWidget(glPageControl3);
    layout->addLayout(controlRow({Showstackgraph, ShowStacklist, Stackfiltermethod}));
    layout->addLayout(controlRow({Resampled, ResampleSpin, ResampleMethod, Drizzling}));
    layout->addLayout(controlRow({Stackbutton, Statisticalstackbutton, Multi}));
    layout->addStretch(1);
}

}  // namespace kestrave
