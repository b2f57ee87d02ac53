#include "shell/pages/about_page.h"

#include "shell/pages/page_controls.h"

namespace kestrave {

AboutPage::AboutPage(QWidget* parent) : QWidget(parent) {
    setObjectName("AboutPage");
    auto* layout = new QVBoxLayout(this);
    Formmessage = optionCheck(this, "Formmessage", "Bring the window forward with messages");
    layout->addWidget(Formmessage, 0, Qt::AlignLeft);
    layout->addStretch(1);
}

}  // namespace kestrave
