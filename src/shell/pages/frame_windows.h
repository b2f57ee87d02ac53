#pragma once
// The contents of the tool windows that show and choose frames: the frame selection list, the
// stack list, the stack graph's cut-off controls and the registration chart with its frame
// pointer. Built into the tool windows' bodies; no behaviour here.
//
// The check lists are list widgets with checkable entries standing in for the check-list
// component: entry j stands for the frame at slider position j.

#include <QWidget>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace kestrave {

class TChart;
class TPCheck;
class TRxSlider;
class TRxSpinEdit;
struct ToolWindows;

struct FrameWindows {
    FrameWindows(ToolWindows& tools, QWidget* form);

    // SelectFrameswindow.
    QListWidget* SelectFramesChecklist;
    QPushButton* Setallbutton;            // "Check all"
    QPushButton* Setnoneframelistbutton;  // "Check none"
    QPushButton* SaveFramelistbutton;
    QPushButton* Loadframelistbutton;
    QPushButton* SortFramelistbutton;

    // StackFrameswindow.
    TPCheck* PCheck2;  // "Allow multiple-selected"
    QListWidget* StackFramesList;

    // Stackgraphpanel.
    TRxSlider* StackSlider;  // the last rank to stack; its Tag the last rank of the range
    TRxSlider* differencecutslider;
    TRxSpinEdit* LimitStack;
    QLabel* RxLabel4;  // "Difference Cutoff (green line)"
    QLabel* RxLabel5;  // "Quality Cutoff (red line)"
    QGroupBox* gbRollup1;
    TRxSpinEdit* Alignmentpointstackgraph;  // the point whose stack graph is shown, 1..100
    TRxSlider* QUALSliderMalign;
    TRxSlider* DifSliderMalign;  // the point's difference cut, thousandths of its largest difference

    // Registrationgraphwindow: the registration chart and the pointer at the shown frame.
    TChart* Chart8;
    QFrame* Showgraphpointer;

    // Menu items of the dark and flat frames, enabled once an input is chosen.
    QAction* CreateDarkframe1;
    QAction* CreateFlatfield1;
};

}  // namespace kestrave
