#include "shell/pages/about_page.h"

#include <QPlainTextEdit>

#include "shell/pages/page_controls.h"

namespace kestrave {

AboutPage::AboutPage(QWidget* parent) : QWidget(parent) {
    setObjectName("AboutPage");
    auto* layout = new QVBoxLayout(this);
    Formmessage = optionCheck(this, "Formmessage", "Bring the window forward with messages");
    Checkupdates = optionCheck(this, "Checkupdates", "Check for updates");
    logolabel = named(new QLabel(this), "logolabel");
    Label22 = named(new QLabel(this), "Label22");
    Developersmode = named(new QLabel("Developers mode", this), "Developersmode");
    Memo1 = named(new QPlainTextEdit(this), "Memo1");
    Memo1->setReadOnly(true);
    for (QWidget* developer : std::initializer_list<QWidget*>{Checkupdates, Developersmode, Memo1})
        developer->setVisible(false);
    layout->addWidget(logolabel);
    layout->addWidget(Formmessage, 0, Qt::AlignLeft);
    layout->addWidget(Checkupdates, 0, Qt::AlignLeft);
    layout->addWidget(Label22);
    layout->addWidget(Developersmode);
    layout->addWidget(Memo1, 1);
    layout->addStretch(1);
}

}  // namespace kestrave
