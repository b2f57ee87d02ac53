#include "shell/pages/about_page.h"

#include <QPlainTextEdit>

#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "widgets/check_box.h"
#include "widgets/web_label.h"

namespace kestrave {

namespace {

// The web links: each control and its caption.
struct WebLink {
    const char* name;
    const char* caption;
};
constexpr WebLink WebLinks[] = {
    {"Quindarselimage", "Sponsor"},
    {"Quindarsellabel", "Our sponsor"},
    {"Image7", "High-bit capture tool"},
    {"Image6", "SER capture program"},
    {"Image8", "Version server"},
    {"RxLabel1", "Kestrave home page"},
    {"janWebLabel1", "Kestrave on the web"},
};
constexpr char AddressProperty[] = "UrlOrEmail";

}  // namespace

AboutPage::AboutPage(QWidget* parent) : QWidget(parent) {
    setObjectName("AboutPage");
    auto* layout = new QVBoxLayout(this);
    Formmessage = optionCheck(this, "Formmessage", "Bring the window forward with messages");
    Projectmessages = optionCheck(this, "Projectmessages", "Warn before saving or loading a project");
    Projectmessages->setChecked(true);
    Checkupdates = optionCheck(this, "Checkupdates", "Check for updates");
    logolabel = runningText(this, "logolabel");
    Label22 = runningText(this, "Label22");
    Developersmode = named(new QLabel("Developers mode", this), "Developersmode");
    Memo1 = named(new QPlainTextEdit(this), "Memo1");
    Memo1->setReadOnly(true);
    TjanWebLabel** links[] = {&Quindarselimage, &Quindarsellabel, &Image7,      &Image6,
                              &Image8,          &RxLabel1,        &janWebLabel1};
    for (std::size_t i = 0; i < std::size(WebLinks); ++i)
        *links[i] = named(new TjanWebLabel(WebLinks[i].caption, this), WebLinks[i].name);
    MailLabel = named(new TjanWebLabel("Report an error by mail", this), "MailLabel");
    connect(MailLabel, &TjanWebLabel::OnClick, this, &AboutPage::errorReportRequested);
    VersionNo = named(new QLabel(this), "VersionNo");
    VersionNo->setVisible(false);
    for (QWidget* developer : std::initializer_list<QWidget*>{Checkupdates, Developersmode, Memo1})
        developer->setVisible(false);
    layout->addWidget(logolabel);
    layout->addWidget(Formmessage, 0, Qt::AlignLeft);
    layout->addWidget(Projectmessages, 0, Qt::AlignLeft);
    layout->addWidget(Checkupdates, 0, Qt::AlignLeft);
    layout->addWidget(Label22);
    layout->addWidget(Developersmode);
    layout->addWidget(MailLabel, 0, Qt::AlignLeft);
    layout->addWidget(Memo1, 1);
    layout->addLayout(
        controlRow({Quindarselimage, Quindarsellabel, Image7, Image6, Image8, RxLabel1, janWebLabel1}));
    layout->addStretch(1);
}

// --- What other parts of the window read or set here -------------------------------------------

bool AboutPage::projectWarningWanted() const {
    return Projectmessages->Checked();
}

void AboutPage::stopProjectWarning() {
    Projectmessages->setChecked(false);
}

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

namespace kestrave {

QStringList AboutPage::linkStoredProps() {
    QStringList props;
    for (const WebLink& link : WebLinks)
        props << QString::fromLatin1(link.name) + "." + QString::fromLatin1(AddressProperty);
    return props;
}

void AboutPage::showDeveloperControls() {
    for (QWidget* control : {static_cast<QWidget*>(Checkupdates), static_cast<QWidget*>(Developersmode),
                             static_cast<QWidget*>(Memo1)})
        control->setVisible(true);
}

void AboutPage::hideDeveloperControls() {
    Developersmode->setVisible(false);
}

bool AboutPage::developerControlsShown() const {
    return !Developersmode->isHidden();
}

void AboutPage::repaintMemoryUsage() {
    Label22->repaint();
}

bool AboutPage::checksForUpdates() const {
    return Checkupdates->Checked();
}

QString AboutPage::versionFileAddress() const {
    return VersionNo->text();
}

void AboutPage::appendMemoLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) Memo1->appendPlainText(QString::fromStdString(line));
}

void AboutPage::showVersionCaption(const QString& caption) {
    logolabel->setText(caption);
}

}  // namespace kestrave
