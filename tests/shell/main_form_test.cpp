// The main window opens with its six tab pages in workflow order.

#include <QStackedWidget>
#include <QTabBar>

#include "shell_test_support.h"

namespace kestrave::test {

TEST_F(ShellWindowTest, OpensWithTheSixTabsInWorkflowOrder) {
    form->show();
    auto* tabs = form->findChild<QTabBar*>("Tabpages");
    ASSERT_NE(tabs, nullptr);
    const QStringList expected{"Align", "Optimize", "Stack", "Wavelet", "Final", "About"};
    ASSERT_EQ(tabs->count(), expected.size());
    for (int i = 0; i < tabs->count(); ++i) EXPECT_EQ(tabs->tabText(i), expected[i]);
    EXPECT_EQ(pieces(*form).PageControl1->count(), 6);
}

}  // namespace kestrave::test
