// The spin edit on the offscreen platform: typing, keys, the step buttons and their repeat.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <stdexcept>

#include "widget_test_support.h"
#include "widgets/spin_edit.h"

namespace kestrave {
namespace {

struct SpinEditWidget : test::WidgetTest {
    SpinEditWidget() {
        edit.resize(100, 24);
        edit.show();
    }
    TRxSpinEdit edit;
    QSignalSpy changes{&edit, &TRxSpinEdit::OnChange};
    QSignalSpy topClicks{&edit, &TRxSpinEdit::OnTopClick};
    QSignalSpy bottomClicks{&edit, &TRxSpinEdit::OnBottomClick};
};

TEST_F(SpinEditWidget, StartsAtZeroWithTheDiagonalButton) {
    EXPECT_EQ(edit.text(), "0");
    EXPECT_EQ(edit.Value(), 0);
    ASSERT_NE(edit.spinButton(), nullptr);
    EXPECT_EQ(edit.upDown(), nullptr);
    // The button sits inside the right edge and the text stops before it.
    const QRect button = edit.spinButton()->geometry();
    EXPECT_LE(button.right(), edit.width() - 1);
    EXPECT_GE(edit.textMargins().right(), button.width() + 2);
}

TEST_F(SpinEditWidget, TypingKeepsOnlyWhatTheTypeAllows) {
    edit.clear();
    changes.clear();
    QTest::keyClicks(&edit, "1a2.3 ");
    EXPECT_EQ(edit.text(), "123");
    EXPECT_EQ(changes.count(), 3);

    edit.setValueType(SpinValue::vtFloat);
    edit.clear();
    QTest::keyClicks(&edit, "-1.5.2e3E");
    EXPECT_EQ(edit.text(), "-1.52e3");
    EXPECT_EQ(edit.Value(), -1520);
    // Under a locale with a decimal comma the comma is typed, read and written.
    QLocale::setDefault(QLocale(QLocale::German));
    TRxSpinEdit comma;
    QLocale::setDefault(QLocale::system());
    comma.setValueType(SpinValue::vtFloat);
    comma.setValue(0.1L);
    EXPECT_EQ(comma.text(), "0,10");
    comma.clear();
    QTest::keyClicks(&comma, "-1.5,2,5");
    EXPECT_EQ(comma.Value(), -15.25L);
}

TEST_F(SpinEditWidget, DisabledEditorRefusesTypingDeletingAndPasting) {
    edit.setValue(42);
    edit.setEditorEnabled(false);
    edit.end(false);
    changes.clear();
    QTest::keyClicks(&edit, "5");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QGuiApplication::clipboard()->setText("77");
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "42");
    EXPECT_EQ(changes.count(), 0);
    // The arrow keys still step.
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), "43");
}

TEST_F(SpinEditWidget, ArrowKeysStepAndStopAtTheBounds) {
    edit.setMinValue(0);
    edit.setMaxValue(3);
    edit.setValue(2);
    changes.clear();
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.Value(), 3);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_TRUE(edit.isModified());
    // At the bound: the click is reported, the change is not.
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.Value(), 3);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(topClicks.count(), 2);
    for (int i = 0; i < 5; ++i) QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.Value(), 0);
    EXPECT_EQ(changes.count(), 4);
    EXPECT_EQ(bottomClicks.count(), 5);

    edit.setArrowKeys(false);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.Value(), 0);
}

TEST_F(SpinEditWidget, WritingValueFiresOnChangeOnceAndOnlyOnChange) {
    edit.setMaxValue(10);
    edit.setValue(5);
    EXPECT_EQ(changes.count(), 1);
    edit.setValue(5);
    edit.setValue(5.4L);  // still shows 5
    EXPECT_EQ(changes.count(), 1);
    edit.setValue(100);
    EXPECT_EQ(edit.text(), "10");
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(topClicks.count() + bottomClicks.count(), 0);
}

TEST_F(SpinEditWidget, FloatAndHexTypesStep) {
    edit.setValueType(SpinValue::vtFloat);
    edit.setDecimal(3);
    edit.setIncrement(0.25L);
    edit.setValue(0.1L);
    EXPECT_EQ(edit.text(), "0.100");
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), "0.350");
    edit.setDecimal(2);
    EXPECT_EQ(edit.text(), "0.35");

    // Switching to hex reads the text as hex ("0.35" is none: MinValue) and rounds the
    // increment, which may not become 0.
    edit.setValueType(SpinValue::vtHex);
    EXPECT_EQ(edit.Increment(), 1);
    EXPECT_EQ(edit.text(), "0");
    edit.setValue(255);
    EXPECT_EQ(edit.text(), "FF");
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), "100");
}

TEST_F(SpinEditWidget, PressingTheTopHalfRepeatsUntilRelease) {
    TRxSpinButton& button = *edit.spinButton();
    test::ManualRepeatTimer& timer = test::installManualTimer(button);
    const QPoint top(2, 2);
    const QPoint bottom(button.width() - 2, button.height() - 2);

    QTest::mousePress(&button, Qt::LeftButton, {}, top);
    EXPECT_EQ(edit.Value(), 1);
    EXPECT_EQ(button.pressedPart(), SpinPart::Top);
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), TRxSpinButton::kFirstRepeatDelay);
    timer.fire();
    EXPECT_EQ(edit.Value(), 2);
    EXPECT_EQ(timer.interval(), TRxSpinButton::kRepeatInterval);
    timer.fire();
    EXPECT_EQ(edit.Value(), 3);

    // Sliding off shows the button released and stops the steps; back on the same part resumes.
    QTest::mouseMove(&button, QPoint(button.width() + 5, 2));
    EXPECT_EQ(button.pressedPart(), SpinPart::None);
    timer.fire();
    EXPECT_EQ(edit.Value(), 3);
    QTest::mouseMove(&button, bottom);
    EXPECT_EQ(button.pressedPart(), SpinPart::None);
    QTest::mouseMove(&button, top);
    EXPECT_EQ(button.pressedPart(), SpinPart::Top);
    timer.fire();
    EXPECT_EQ(edit.Value(), 4);

    QTest::mouseRelease(&button, Qt::LeftButton, {}, top);
    EXPECT_EQ(button.pressedPart(), SpinPart::None);
    EXPECT_FALSE(timer.isActive());
    EXPECT_EQ(changes.count(), 4);
    EXPECT_EQ(topClicks.count(), 4);

    QTest::mouseClick(&button, Qt::LeftButton, {}, bottom);
    EXPECT_EQ(edit.Value(), 3);
    EXPECT_EQ(bottomClicks.count(), 1);
}

TEST_F(SpinEditWidget, TheButtonShowsWhichPartIsPressed) {
    TRxSpinButton& button = *edit.spinButton();
    test::installManualTimer(button);
    const QImage released = button.grab().toImage();
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(1, 1));
    const QImage top = button.grab().toImage();
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(button.width() - 2, button.height() - 2));
    const QImage bottom = button.grab().toImage();
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(button.width() - 2, button.height() - 2));
    EXPECT_NE(top, released);
    EXPECT_NE(bottom, released);
    EXPECT_NE(top, bottom);
    EXPECT_EQ(button.grab().toImage(), released);
}

TEST_F(SpinEditWidget, ButtonStepAtTheBoundClicksWithoutChange) {
    edit.setMinValue(-1);
    edit.setMaxValue(1);
    edit.setValue(1);
    changes.clear();
    QTest::mouseClick(edit.spinButton(), Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(edit.Value(), 1);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(topClicks.count(), 1);
    // A hex text typed in lower case at the bound is the same text as the one the step writes.
    edit.setValueType(SpinValue::vtHex);
    edit.setMaxValue(255);
    edit.setText("ff");
    changes.clear();
    edit.StepUp();
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(SpinEditWidget, AFailingClickStopsTheRepeat) {
    TRxSpinButton& button = *edit.spinButton();
    test::ManualRepeatTimer& timer = test::installManualTimer(button);
    int calls = 0;
    QObject::connect(&button, &TRxSpinButton::OnTopClick, [&calls] {
        if (++calls == 2) throw std::runtime_error("handler failed");
    });
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_THROW(timer.fire(), std::runtime_error);
    EXPECT_FALSE(timer.isActive());
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(1, 1));
}

TEST_F(SpinEditWidget, LeavingTheFieldClamps) {
    edit.setMinValue(1);
    edit.setMaxValue(10);
    const auto leave = [this] {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(&edit, &out);
    };
    edit.setText("50");
    leave();
    EXPECT_EQ(edit.text(), "10");
    edit.setText("");
    leave();
    EXPECT_EQ(edit.text(), "1");
    // Text that is no number reads as MinValue, which needs no clamping: it stays.
    edit.setText("abc");
    leave();
    EXPECT_EQ(edit.text(), "abc");
    EXPECT_EQ(edit.Value(), 1);
}

TEST_F(SpinEditWidget, ReadOnlyRefusesSteps) {
    edit.setReadOnly(true);
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::mouseClick(edit.spinButton(), Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(edit.Value(), 0);
    EXPECT_EQ(changes.count() + topClicks.count(), 0);
}

TEST_F(SpinEditWidget, TheWheelDoesNotStep) {
    QWheelEvent wheel(QPointF(10, 10), edit.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&edit, &wheel);
    EXPECT_EQ(edit.Value(), 0);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(SpinEditWidget, PublishedPropertiesAreSetByName) {
    EXPECT_TRUE(edit.setProperty("MaxValue", 10.0));
    EXPECT_TRUE(edit.setProperty("Value", 12.0));
    EXPECT_EQ(edit.property("Value").toDouble(), 10.0);
    EXPECT_TRUE(edit.setProperty("ValueType", "vtFloat"));
    EXPECT_EQ(edit.ValueType(), SpinValue::vtFloat);
    EXPECT_EQ(edit.text(), "10.00");
    EXPECT_TRUE(edit.setProperty("Decimal", 1));
    EXPECT_EQ(edit.text(), "10.0");
    EXPECT_TRUE(edit.setProperty("Alignment", "taRightJustify"));
    EXPECT_TRUE(edit.alignment() & Qt::AlignRight);
    EXPECT_TRUE(edit.setProperty("Hint", "Sigma|Events beyond this many sigma are dropped"));
    EXPECT_EQ(edit.Hint(), "Sigma|Events beyond this many sigma are dropped");
    EXPECT_TRUE(edit.setProperty("Tag", 301));
    EXPECT_EQ(edit.Tag(), 301);
}

TEST_F(SpinEditWidget, StandardButtonsStepOncePerClick) {
    edit.setProperty("ButtonKind", "bkStandard");
    ASSERT_NE(edit.upDown(), nullptr);
    EXPECT_EQ(edit.spinButton(), nullptr);
    edit.upDown()->nextButton()->click();
    edit.upDown()->nextButton()->click();
    edit.upDown()->previousButton()->click();
    EXPECT_EQ(edit.Value(), 1);
    EXPECT_EQ(topClicks.count(), 2);
    EXPECT_EQ(bottomClicks.count(), 1);
}

}  // namespace
}  // namespace kestrave
