#pragma once
// Small helpers the pages use to create their controls with the names the window's controls carry.

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QTabWidget>
#include <initializer_list>

#include "widgets/check_box.h"
#include "widgets/speed_button.h"

namespace kestrave {

class TglBevel;
class TRadioGroup;
class TRectShape;

template <typename Widget>
Widget* named(Widget* widget, const char* objectName) {
    widget->setObjectName(objectName);
    return widget;
}

// A check box of the main window with its caption.
TPCheck* optionCheck(QWidget* parent, const char* objectName, const char* caption);
// A speed button of a page. Given a group of its own it stays down until pressed again (all up
// is allowed), and its handler reads that Down state.
TRxSpeedButton* speedButton(QWidget* parent, const char* objectName, const char* caption, int groupIndex = 0);
// A page control of option groups, one group on each tab, the tabs at the bottom.
QTabWidget* optionPages(QWidget* parent, const char* objectName);
// A bevel panel with a gradient that fills `panel` and carries its contents.
TglBevel* logoBevel(QWidget* panel, const char* objectName);

// A captioned radio group with its items and the item chosen (-1 for none).
TRadioGroup* radioGroup(QWidget* parent, const char* objectName, const char* caption,
                        const QStringList& items, int itemIndex);

// A small coloured rectangle (an indicator or pointer), placed by its owner; filled with `fill`
// when one is given, with a drop shadow `shadow` pixels down and right when that is above 0.
TRectShape* shape(QWidget* parent, const char* objectName, int width, int height, const QBrush& fill = {},
                  int shadow = 0);

// Shows `marker` under `button` (both in one window), `offset` pixels below the button's bottom
// edge, and keeps it there when the layout moves or resizes the button.
void markButton(QWidget& marker, QWidget& button, int offset = 0);

// A row of controls, left-aligned.
QHBoxLayout* controlRow(std::initializer_list<QWidget*> controls);
// Controls in the rows and columns of a grid; a null entry leaves its cell empty, and the last
// control of a row shorter than the longest spans the rest.
QGridLayout* controlGrid(std::initializer_list<std::initializer_list<QWidget*>> rows);
// A text naming what the control beside it sets; given the control, the text shows and hides
// with it.
QLabel* caption(QWidget* parent, const char* text, QWidget* control = nullptr);
// A captioned group of controls.
QGroupBox* captionedGroup(QWidget* parent, const char* caption, QLayout* content);

// The frame of a work page: the picture at the left takes the room the window gives, and beside
// it a column of the given width holds the step's captioned groups, its action buttons at the
// bottom.
struct PageFrame {
    QVBoxLayout* picture;
    QVBoxLayout* column;
};
PageFrame pictureAndColumn(QWidget* page, int columnWidth);
// The spacing and margins of the page layouts: compact, so the picture keeps the room.
void compact(QLayout* layout, int margin = 2);

// An image control inside its scroll box: the picture is the label's pixmap, stretched to the
// label's size when the view is fitted to the window.
struct ImageBox {
    QScrollArea* box;
    QLabel* image;
};
// `box`, when given, is the scroll box to use (one that reports its scrolling).
ImageBox imageBox(QWidget* parent, const char* boxName, const char* imageName, QScrollArea* box = nullptr);
// Shows the image control's picture reduced (or enlarged) to fill its box, or at full size;
// returns the scale.
float fitImage(QLabel& image, const QScrollArea& box, bool fitted);

}  // namespace kestrave
