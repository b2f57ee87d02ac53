#pragma once
// The contents of the tool windows that show and choose frames: the frame selection list, the
// stack list, the stack graph's cut-off controls and the registration chart with its frame
// pointer. Built into the tool windows' bodies; no behaviour here.
//
// The check lists hold one checkable entry per frame: entry j stands for the frame at slider
// position j.

#include <QWidget>

#include "widgets/check_list_box.h"
#include "widgets/rect_shape.h"

class QAction;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;

namespace kestrave {

class TChart;
class TgbRollup;
class TFastLineSeries;
class TPCheck;
class TRxSlider;
class TRxSpinEdit;
struct ToolWindows;

struct FrameWindows {
    FrameWindows(ToolWindows& tools, QWidget* form);

    // SelectFrameswindow.
    CheckListBox* SelectFramesChecklist;
    QPushButton* Setallbutton;            // "Check all"
    QPushButton* Setnoneframelistbutton;  // "Check none"
    QPushButton* SaveFramelistbutton;
    QPushButton* Loadframelistbutton;
    QPushButton* Addframelistbutton;    // hidden until a list was loaded
    QPushButton* Emptyframelistbutton;  // "Empty List"
    QPushButton* SortFramelistbutton;

    // StackFrameswindow.
    TPCheck* PCheck2;  // "Allow multiple-selected"
    CheckListBox* StackFramesList;

    // Stackgraphpanel.
    TRxSlider* StackSlider;  // the last rank to stack; its Tag the last rank of the range
    TRxSlider* differencecutslider;
    TRxSpinEdit* LimitStack;  // "Limit to maximum frameno:"
    QLabel* RxLabel4;         // "Difference Cutoff (green line)"
    QLabel* RxLabel5;         // "Quality Cutoff (red line)"
    // "Show additional alignment graphs": the stack graph of one alignment point.
    TgbRollup* gbRollup1;
    TRxSpinEdit* Alignmentpointstackgraph;  // the point shown, 1..100
    TChart* Chart10;
    TFastLineSeries* FastLineSeries3;  // red, right axis: the point's qualities, best first
    TFastLineSeries* FastLineSeries4;  // green: the difference of each of them
    TFastLineSeries* Series7;          // yellow: scratch copy, empty between handlers
    TRxSlider* QUALSliderMalign;       // the point's quality cut-off: a position in the sorted graph
    TRxSlider* DifSliderMalign;        // the point's difference cut-off, thousandths of its largest
    // The point's cut-offs on Chart10 (plain frames standing in for the shapes): the cover over
    // the positions right of the quality cut-off, and the difference cut-off's line.
    TRectShape* StackAPquality;
    TRectShape* StackAPDifference;
    QLabel* DisabledApoint;   // "Alignmentpoint Disabled"
    QLabel* Stackframelabel;  // the point's frames to stack, lowest quality and difference cut

    // Alignmentpointswindow: one checkable line per alignment point.
    CheckListBox* Alignmentpointlist;

    // Registrationgraphwindow: the registration chart and the pointer at the shown frame.
    TChart* Chart8;
    TRectShape* Showgraphpointer;

    // Menu items of the dark and flat frames, enabled once an input is chosen.
    QAction* CreateDarkframe1;
    QAction* CreateFlatfield1;
};

}  // namespace kestrave
