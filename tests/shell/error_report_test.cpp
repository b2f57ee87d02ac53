// The error report's mail link: the report's facts in their order, values that cannot break
// out of the body, and the About page's mail label building the link from the window as it is
// when clicked.

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTest>
#include <QUrlQuery>

#include "shell/error_report.h"
#include "shell/pages/about_page.h"
#include "shell/pages/align_page.h"
#include "shell/pages/named_control.h"
#include "shell_test_support.h"
#include "widgets/slider.h"
#include "widgets/web_label.h"

namespace kestrave {
namespace {

ErrorReportFacts sampleFacts() {
    ErrorReportFacts facts;
    facts.version = "File Version: 4.0.0";
    facts.fileDate = "07-12-2026 23:15";
    facts.os = "Debian GNU/Linux 12 (bookworm) linux 6.1.0";
    facts.physicalMemoryBytes = 16'777'216'000;
    facts.volumeSerial = -3138297451.0;
    facts.imageWidth = 640;
    facts.imageHeight = 480;
    facts.formCaption = "Kestrave processing AVI: jupiter.avi";
    facts.processArea = 512;
    facts.alignBox = 128;
    facts.lastFrame = 299;
    facts.screenDepth = 24;
    facts.screenWidth = 1920;
    facts.screenHeight = 1080;
    facts.programDir = "/home/ann/.config/kestrave";
    facts.heapBytes = 3 * 1048576 + 524288;  // 3.5 MB rounds to the even 4
    return facts;
}

TEST(ErrorReport, TheLinkListsTheFactsInTheirOrder) {
    EXPECT_EQ(
        errorReportLink(sampleFacts()),
        "mailto:errors@kestrave.invalid?subject=Error-report: Kestrave File Version: 4.0.0 07-12-2026 23:15"
        "&body= Type your report below: %0D%0A %0D%0A %0D%0A File Version: 4.0.0"
        " ========================= %0D%0A OS: Debian GNU/Linux 12 (bookworm) linux 6.1.0"
        "%0D%0A Memory: 16384000 Kb"
        "%0D%0A ID          : 3138297451"
        "%0D%0A Imagesize   : 640 x 480"
        "%0D%0A Formcaption :Kestrave processing AVI: jupiter.avi"
        "%0D%0A ProcArea    : 512"
        "%0D%0A AlignBox    : 128"
        "%0D%0A Images%23     : 299"
        "%0D%0A Screen      : 24 bits"
        "%0D%0A Screen      : 1920 x1080"
        "%0D%0A Rootdir     : /home/ann/.config/kestrave"
        "%0D%0A Memory      : 4MB");
}

TEST(ErrorReport, ValuesWithLinkSyntaxStayInsideTheBody) {
    ErrorReportFacts facts = sampleFacts();
    facts.formCaption = "Kestrave processing AVI: a&cc=x@y.org#b%20c?d=e\r\nf";
    facts.programDir = "/home/ann/R&D #2";
    const QUrl url(QString::fromStdString(errorReportLink(facts)), QUrl::TolerantMode);
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItems().size(), 2) << "only subject and body";
    EXPECT_TRUE(url.fragment().isEmpty());
    const QString body = query.queryItemValue("body", QUrl::FullyDecoded);
    EXPECT_TRUE(body.contains(QString::fromStdString("Formcaption :" + facts.formCaption)));
    EXPECT_TRUE(body.contains(QString::fromStdString("Rootdir     : " + facts.programDir)));
}

struct MailLabelTest : test::ShellWindowTest {};

TEST_F(MailLabelTest, AClickOpensTheLinkBuiltFromTheWindowAsItIsNow) {
    TjanWebLabel& label = *control<TjanWebLabel>(*form, "MailLabel");
    std::vector<QUrl> opened;
    label.setOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    test::pieces(*form).PageControl1->setCurrentWidget(test::pieces(*form).aboutPage);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    for (const QString caption : {"Kestrave", "Kestrave processing AVI: moon & stars.avi"}) {
        form->setWindowTitle(caption);
        QTest::mouseClick(&label, Qt::LeftButton);
        ASSERT_FALSE(opened.empty());
        const QString body = QUrlQuery(opened.back()).queryItemValue("body", QUrl::FullyDecoded);
        EXPECT_TRUE(body.contains("Formcaption :" + caption)) << body.toStdString();
        EXPECT_TRUE(body.contains("Imagesize   : 0 x 0\r\n")) << "no input loaded yet";
        EXPECT_TRUE(body.contains(
            QString(" Images#     : %1\r\n").arg(control<TRxSlider>(*form, "PreviewSlider")->MaxValue())));
        EXPECT_TRUE(body.endsWith("MB")) << "the body runs to its last line";
    }
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened.back().scheme(), "mailto");
    // Memo1 holds the memory report afresh, whatever it showed before.
    control<QPlainTextEdit>(*form, "Memo1")->setPlainText("old text");
    QTest::mouseClick(&label, Qt::LeftButton);
    const QStringList memo = control<QPlainTextEdit>(*form, "Memo1")->toPlainText().split('\n');
    ASSERT_EQ(memo.size(), 5);
    EXPECT_TRUE(memo[0].startsWith("Current memory load: "));
    EXPECT_TRUE(memo[4].startsWith("Used virtual memory: "));
}

}  // namespace
}  // namespace kestrave
