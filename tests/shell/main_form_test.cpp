// The main window opens with its six tab pages in workflow order, under its own caption.

#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>

#include "shell/application.h"
#include "shell_test_support.h"

namespace kestrave::test {

TEST_F(ShellWindowTest, OpensWithTheSixTabsInWorkflowOrderUnderItsOwnCaption) {
    const QString testName = QGuiApplication::applicationName();
    nameApplication();
    // A display name would follow every caption on the desktop ("Registration  - Kestrave"); the
    // desktop entry names the program instead.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
    EXPECT_EQ(QGuiApplication::desktopFileName(), "kestrave");
    QGuiApplication::setApplicationName(testName);
    QGuiApplication::setDesktopFileName({});

    form->show();
    auto* tabs = form->findChild<QTabBar*>("Tabpages");
    ASSERT_NE(tabs, nullptr);
    const QStringList expected{"Align", "Optimize", "Stack", "Wavelet", "Final", "About"};
    ASSERT_EQ(tabs->count(), expected.size());
    for (int i = 0; i < tabs->count(); ++i) EXPECT_EQ(tabs->tabText(i), expected[i]);
    EXPECT_EQ(pieces(*form).PageControl1->count(), 6);
    auto* options = form->findChild<QTabWidget*>("glPageControl1");
    EXPECT_EQ(options->tabText(0), "    General options    ");
    EXPECT_EQ(options->tabText(2), "   Additional options   ");
}

}  // namespace kestrave::test
