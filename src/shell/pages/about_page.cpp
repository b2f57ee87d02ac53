#include "shell/pages/about_page.h"

#include <QPlainTextEdit>

#include "shell/pages/page_controls.h"
#include "widgets/web_label.h"

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
    Quindarselimage = named(new QLabel("Sponsor", this), "Quindarselimage");
    Image7 = named(new QLabel("High-bit capture tool", this), "Image7");
    Image6 = named(new QLabel("SER capture program", this), "Image6");
    Image8 = named(new QLabel("Version server", this), "Image8");
    RxLabel1 = named(new QLabel("Kestrave home page", this), "RxLabel1");
    MailLabel = named(new TjanWebLabel("Report an error by mail", this), "MailLabel");
    connect(MailLabel, &TjanWebLabel::OnClick, this, &AboutPage::errorReportRequested);
    VersionNo = named(new QLabel(this), "VersionNo");
    VersionNo->setVisible(false);
    for (QLabel* neighbour : {Quindarselimage, Image7, Image6, Image8, RxLabel1})
        neighbour->setTextFormat(Qt::PlainText);
    for (QWidget* developer : std::initializer_list<QWidget*>{Checkupdates, Developersmode, Memo1})
        developer->setVisible(false);
    layout->addWidget(logolabel);
    layout->addWidget(Formmessage, 0, Qt::AlignLeft);
    layout->addWidget(Checkupdates, 0, Qt::AlignLeft);
    layout->addWidget(Label22);
    layout->addWidget(Developersmode);
    layout->addWidget(MailLabel, 0, Qt::AlignLeft);
    layout->addWidget(Memo1, 1);
    layout->addLayout(controlRow({Quindarselimage, Image7, Image6, Image8, RxLabel1}));
    layout->addStretch(1);
}

// --- What other parts of the window read or set here -------------------------------------------

void AboutPage::showMemoryUsage(const std::string& text) {
    Label22->setText(QString::fromStdString(text));
}

void AboutPage::setErrorReportLink(const std::string& link) {
    MailLabel->setUrlOrEmail(QString::fromStdString(link));
}

void AboutPage::showMemoryReport(const std::vector<std::string>& lines) {
    Memo1->clear();
    for (const std::string& line : lines) Memo1->appendPlainText(QString::fromStdString(line));
}

}  // namespace kestrave
