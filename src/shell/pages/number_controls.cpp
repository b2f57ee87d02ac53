#include "shell/pages/number_controls.h"

#include "shell/pages/page_controls.h"
#include "widgets/elided_label.h"

namespace kestrave {

TRxSpinEdit* integerSpin(QWidget* parent, const char* objectName, int minimum, int maximum, int value) {
    auto* spin = named(new TRxSpinEdit(parent), objectName);
    spin->setAlignment(TRxSpinEdit::taRightJustify);
    spin->setMinValue(minimum);
    spin->setMaxValue(maximum);
    spin->setValue(value);
    return spin;
}

TRxSpinEdit* floatSpin(QWidget* parent, const char* objectName, double minimum, double maximum,
                       double increment, double value, int decimals) {
    auto* spin = named(new TRxSpinEdit(parent), objectName);
    spin->setAlignment(TRxSpinEdit::taRightJustify);
    spin->setValueType(SpinValue::vtFloat);
    spin->setDecimal(decimals);
    spin->setMinValue(minimum);
    spin->setMaxValue(maximum);
    spin->setIncrement(increment);
    spin->setValue(value);
    return spin;
}

TRxSlider* rangeSlider(QWidget* parent, const char* objectName, int minimum, int maximum, int value) {
    auto* slider = named(new TRxSlider(parent), objectName);
    // The maximum first: a range is refused while its maximum does not exceed its minimum.
    slider->setMaxValue(maximum);
    slider->setMinValue(minimum);
    slider->setValue(value);
    return slider;
}

QPushButton* pushButton(QWidget* parent, const char* objectName, const char* caption) {
    return named(new QPushButton(QString::fromUtf8(caption), parent), objectName);
}

namespace {

QLabel* dressed(TRxLabel* label, const char* objectName, const char* caption, int shadowSize) {
    named(label, objectName);
    label->setShadowSize(shadowSize);
    if (shadowSize > 0) {
        label->setShadowColor(label->palette().color(QPalette::Mid));
        label->setShadowPos(ShadowPos::RightBottom);
    }
    label->setText(QString::fromUtf8(caption));
    return label;
}

}  // namespace

QLabel* textLabel(QWidget* parent, const char* objectName, const char* caption, int shadowSize) {
    return dressed(new TRxLabel(parent), objectName, caption, shadowSize);
}

QLabel* runningText(QWidget* parent, const char* objectName, const char* text, int shadowSize) {
    return dressed(new ElidedLabel(parent), objectName, text, shadowSize);
}

}  // namespace kestrave
