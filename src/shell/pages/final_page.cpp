#include "shell/pages/final_page.h"

#include "shell/pages/page_controls.h"

namespace kestrave {

FinalPage::FinalPage(QWidget* parent) : QWidget(parent) {
    setObjectName("FinalPage");
    auto* layout = new QVBoxLayout(this);
    AdvancedHLS = optionCheck(this, "AdvancedHLS", "Advanced HLS");
    layout->addWidget(AdvancedHLS, 0, Qt::AlignLeft);
    layout->addStretch(1);
}

}  // namespace kestrave
