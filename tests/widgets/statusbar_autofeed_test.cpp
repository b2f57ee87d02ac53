// The status-bar autofeed: the hint of the control the mouse enters goes into the chosen panel.

#include <gtest/gtest.h>

#include <QEvent>
#include <QPushButton>

#include "support/qt_test_application.h"
#include "widgets/adv_status_bar.h"
#include "widgets/statusbar_autofeed.h"

namespace kestrave {
namespace {

TEST(StatusbarAutofeed, HintsGoToTheChosenPanelAndNowhereWithoutIt) {
    test::app();
    QWidget window;
    window.setToolTip("The window");
    auto* button = new QPushButton("Stack", &window);
    button->setToolTip("Stacks the best frames");
    std::vector<QLabel*> panels;
    for (int i = 0; i < 5; ++i) panels.push_back(new QLabel(&window));
    TUCStatusbarAutofeed feed(panels);

    QEvent enter(QEvent::Enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(panels[0]->text(), "Stacks the best frames");
    QApplication::sendEvent(button, &leave);
    EXPECT_EQ(panels[0]->text(), "The window") << "leaving shows the surrounding control's hint";

    feed.setPanelIndex(-1);
    EXPECT_EQ(feed.PanelIndex(), 0);
    feed.setPanelIndex(7);
    panels[0]->clear();
    QApplication::sendEvent(button, &enter);
    for (QLabel* panel : panels) EXPECT_TRUE(panel->text().isEmpty());

    feed.setPanelIndex(2);
    feed.setEnabled(false);
    QApplication::sendEvent(button, &leave);
    EXPECT_TRUE(panels[2]->text().isEmpty()) << "a disabled feed writes nothing";
    feed.setEnabled(true);
    QApplication::sendEvent(button, &leave);
    EXPECT_EQ(panels[2]->text(), "The window");
}

TEST(StatusbarAutofeed, ABarInSimpleModeTakesTheHintAsItsSimpleText) {
    test::app();
    QWidget window;
    auto* button = new QPushButton("Align", &window);
    button->setToolTip("Aligns the frames");
    auto* bar = new TAdvStatusBar(&window);
    bar->setPanelWidths({250, 2, 200, 450, 150});
    bar->resize(1000, 22);
    window.show();
    TUCStatusbarAutofeed feed(bar);
    EXPECT_EQ(feed.Statusbar(), bar);

    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(bar->panel(0)->text(), "Aligns the frames");

    bar->setSimplePanel(true);
    EXPECT_FALSE(bar->panel(0)->isVisible()) << "the simple text takes the panels' place";
    button->setToolTip("Aligns the frames again");
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(bar->SimpleText(), "Aligns the frames again");
    EXPECT_EQ(bar->panel(0)->text(), "Aligns the frames") << "the panels keep their text";
    EXPECT_TRUE(bar->findChild<QLabel*>("SimpleText")->isVisible());

    bar->setSimplePanel(false);
    EXPECT_TRUE(bar->panel(0)->isVisible());
    feed.setPanelIndex(3);
    button->setToolTip("Third");
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(bar->panel(3)->text(), "Third");
    feed.setPanelIndex(7);
    button->setToolTip("Nowhere");
    QApplication::sendEvent(button, &enter);
    for (int i = 0; i < bar->panelCount(); ++i) EXPECT_NE(bar->panel(i)->text(), "Nowhere");
}

}  // namespace
}  // namespace kestrave
