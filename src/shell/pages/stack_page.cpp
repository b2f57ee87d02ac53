#include "shell/pages/stack_page.h"

#include "shell/pages/page_controls.h"

namespace kestrave {

StackPage::StackPage(QWidget* parent) : QWidget(parent) {
    setObjectName("StackPage");
    auto* layout = new QVBoxLayout(this);
    glPageControl3 = optionPages(this, "glPageControl3");
    Showstackgraph = optionCheck(this, "Showstackgraph", "Stack graph");
    ShowStacklist = optionCheck(this, "ShowStacklist", "Stack list");
    layout->addWidget(glPageControl3);
    layout->addLayout(controlRow({Showstackgraph, ShowStacklist}));
    layout->addStretch(1);
}

}  // namespace kestrave
