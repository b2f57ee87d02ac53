// The main window opens with its six tab pages in workflow order.

#include <gtest/gtest.h>

#include <QApplication>
#include <QStackedWidget>
#include <QTabBar>

#include "shell/main_form.h"
#include "support/temp_dir.h"

namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "kestrave_shell_tests";
    static char* argv[] = {name, nullptr};
    static QApplication instance(argc, argv);
    return instance;
}

}  // namespace

TEST(MainForm, OpensWithTheSixTabsInWorkflowOrder) {
    app();
    kestrave::test::ProgramDirScope home;
    kestrave::TMainForm form;
    form.show();
    auto* tabs = form.findChild<QTabBar*>("Tabpages");
    ASSERT_NE(tabs, nullptr);
    const QStringList expected{"Align", "Optimize", "Stack", "Wavelet", "Final", "About"};
    ASSERT_EQ(tabs->count(), expected.size());
    for (int i = 0; i < tabs->count(); ++i) EXPECT_EQ(tabs->tabText(i), expected[i]);
    EXPECT_EQ(form.Pages->count(), 6);
    tabs->setCurrentIndex(3);
    EXPECT_EQ(form.Pages->currentWidget(), reinterpret_cast<QWidget*>(form.waveletPage));
}
