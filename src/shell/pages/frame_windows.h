#pragma once
// The contents of the tool windows that show and choose frames: the frame selection list, the
// stack list, the stack graph's cut-off controls and the registration chart with its frame
// pointer. Built into the tool windows' bodies; no behaviour here.
//
// The check lists hold one checkable entry per frame: entry j stands for the frame at slider
// position j.

#include <QWidget>
#include <vector>

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
    // These tool windows belong to three areas: the frame selection list to the input, the
    // registration chart to the alignment, the stack list and the stack graph (with its point graph)
    // to the stack. Their controls are reached by them and by those areas' controllers (the friends
    // below) alone; the rest of the window uses the functions below.
    friend class InputController;
    friend class AlignController;
    friend class AlignWindow;
    friend class StackController;
    friend class SigmaController;

    // The tests read the chart series.
    friend struct PageTestAccess;

private:
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
    // The calibration menu holds these two items.
    friend class CalibrationMenu;

public:
    // What other parts of the window read or set here.
    // The stack graph's quality cut-off (StackSlider: the last rank to stack) and its range are the
    // run's stack count (`Pipeline::stackCount`); the stack's controller shows it there.
    // "Limit to maximum frameno:" and the point graph's quality cut-off reach as far as the ranks
    // kept.
    void setLimitStackMax(int last);
    void setPointCutoffMax(int last);
    // The difference cut-off (differencecutslider); set quietly, its handler stays out of it.
    int differenceCut() const;
    void setDifferenceCut(int cut);
    void setDifferenceCutQuietly(int cut);
    // The point graph's difference cut-off (DifSliderMalign).
    int pointDifferenceCut() const;
    // Each point's stack graph drawn once, its quality cut-off one short of the end.
    void drawPointStackGraphs(int count);
    // The points' list (Alignmentpointswindow) holds "Point 1" .. "Point count", each ticked for
    // the stack.
    void listPoints(int count);
    // The frame selection list's entries and checks, and checks shown quietly (its handlers would recount
    // them); entries beyond `checked` keep theirs.
    int frameListCount() const;
    std::vector<bool> frameChecks() const;
    void showFrameChecks(const std::vector<bool>& checked);
    // The stack list, quietly: the selection list's first entries with the given checks, or the
    // entries of the given frames as the selection list shows them.
    void showStackChecks(const std::vector<bool>& checked);
    void showStackFrames(const std::vector<int>& frames);
    // The registration chart, which the registration and optimizer windows draw on, and its width.
    TChart& registrationChart() const { return *Chart8; }
    int registrationChartWidth() const;
};

}  // namespace kestrave
