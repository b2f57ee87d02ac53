// The status-bar autofeed: the hint of the control the mouse enters goes into the chosen panel.

#include <gtest/gtest.h>

#include <QEvent>
#include <QPushButton>

#include "support/qt_test_application.h"
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

}  // namespace
}  // namespace kestrave
