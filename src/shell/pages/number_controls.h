#pragma once
// Helpers that create the number controls of the pages and tool windows with their own
// names, ranges and design values.

#include <QLabel>
#include <QPushButton>

#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

// A spin edit of whole numbers; minimum == maximum means unbounded.
TRxSpinEdit* integerSpin(QWidget* parent, const char* objectName, int minimum, int maximum, int value);
// A spin edit of decimal numbers shown with `decimals` digits after the point.
TRxSpinEdit* floatSpin(QWidget* parent, const char* objectName, double minimum, double maximum,
                       double increment, double value, int decimals);
// A horizontal slider.
TRxSlider* rangeSlider(QWidget* parent, const char* objectName, int minimum, int maximum, int value);
QPushButton* pushButton(QWidget* parent, const char* objectName, const char* caption);
// A plain caption; with `shadowSize` above 0 it stands out on a drop shadow of that many pixels,
// down and right in the button-shadow colour (the window's readouts and graph captions).
QLabel* textLabel(QWidget* parent, const char* objectName, const char* caption, int shadowSize = 0);
// A text on a page that the program writes as it runs (a count, a figure, the frame shown), drawn
// as textLabel draws it: it never widens the main window; cut short, it shows the whole of it as
// tooltip. (A tool window's readouts stay whole: the window finds room for its contents itself.)
QLabel* runningText(QWidget* parent, const char* objectName, const char* text = "", int shadowSize = 0);

}  // namespace kestrave
