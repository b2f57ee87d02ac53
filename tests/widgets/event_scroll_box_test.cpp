// The event scroll box: each direction reports its own scrolling, once per change.

#include <gtest/gtest.h>

#include <QLabel>
#include <QScrollBar>
#include <QTest>

#include "support/qt_test_application.h"
#include "widgets/event_scroll_box.h"

namespace kestrave {
namespace {

TEST(EventScrollBox, EachDirectionReportsOnlyItsOwnScrolling) {
    test::app();
    TEventScrollBox box;
    box.resize(100, 80);
    auto* content = new QLabel;
    content->setFixedSize(400, 300);
    box.setWidget(content);
    box.show();
    int horizontal = 0, vertical = 0;
    QObject::connect(&box, &TEventScrollBox::OnScrollHorz, [&](QObject* sender) {
        EXPECT_EQ(sender, &box);
        ++horizontal;
    });
    QObject::connect(&box, &TEventScrollBox::OnScrollVert, [&](QObject* sender) {
        EXPECT_EQ(sender, &box);
        ++vertical;
    });
    struct Step {
        QScrollBar* bar;
        int value;
        int horizontal, vertical;
    };
    const Step steps[] = {
        {box.horizontalScrollBar(), 50, 1, 0},
        {box.horizontalScrollBar(), 50, 1, 0},  // no change, no report
        {box.verticalScrollBar(), 30, 1, 1},
        {box.verticalScrollBar(), 0, 1, 2},
    };
    for (const Step& step : steps) {
        step.bar->setValue(step.value);
        EXPECT_EQ(horizontal, step.horizontal);
        EXPECT_EQ(vertical, step.vertical);
    }
    // The keyboard scrolls too.
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Right);
    EXPECT_EQ(horizontal, 2);
}

}  // namespace
}  // namespace kestrave
