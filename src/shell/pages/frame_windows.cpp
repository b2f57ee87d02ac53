#include "shell/pages/frame_windows.h"

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include "shell/pages/line_chart.h"
#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "shell/tool_windows.h"

namespace kestrave {

namespace {

CheckListBox* checkList(QWidget* parent, const char* objectName) {
    auto* list = named(new CheckListBox(parent), objectName);
    list->setCheckKind(CheckKind::CheckMarks);
    list->setItemHeight(14);
    list->setUniformItemSizes(true);
    return list;
}

QAction* menuItem(QWidget* form, const char* objectName, const char* caption) {
    auto* action = named(new QAction(QString::fromUtf8(caption), form), objectName);
    action->setEnabled(false);
    form->addAction(action);
    return action;
}

}  // namespace

FrameWindows::FrameWindows(ToolWindows& tools, QWidget* form) {
    QWidget* select = tools.SelectFrameswindow;
    SelectFramesChecklist = checkList(select, "SelectFramesChecklist");
    SelectFramesChecklist->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Setallbutton = pushButton(select, "Setallbutton", "Check all");
    Setnoneframelistbutton = pushButton(select, "Setnoneframelistbutton", "Check none");
    SaveFramelistbutton = pushButton(select, "SaveFramelistbutton", "Save");
    Loadframelistbutton = pushButton(select, "Loadframelistbutton", "Load");
    SortFramelistbutton = pushButton(select, "SortFramelistbutton", "Sort");
    Addframelistbutton = pushButton(select, "Addframelistbutton", "Add");
    Addframelistbutton->hide();
    Emptyframelistbutton = pushButton(select, "Emptyframelistbutton", "Empty List");
    tools.SelectFrameswindow->Body->addWidget(SelectFramesChecklist, 1);
    tools.SelectFrameswindow->Body->addLayout(
        controlRow({Setallbutton, Setnoneframelistbutton, Emptyframelistbutton}));
    tools.SelectFrameswindow->Body->addLayout(
        controlRow({SaveFramelistbutton, Loadframelistbutton, Addframelistbutton, SortFramelistbutton}));

    QWidget* stack = tools.StackFrameswindow;
    PCheck2 = optionCheck(stack, "PCheck2", "Allow multiple-selected");
    PCheck2->setChecked(true);
    StackFramesList = checkList(stack, "StackFramesList");
    StackFramesList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tools.StackFrameswindow->Body->addWidget(PCheck2);
    tools.StackFrameswindow->Body->addWidget(StackFramesList, 1);

    QWidget* graph = tools.Stackgraphpanel;
    StackSlider = rangeSlider(graph, "StackSlider", 0, 1000, 0);
    differencecutslider = rangeSlider(graph, "differencecutslider", 0, 1001, 1000);
    differencecutslider->setOrientation(TRxSlider::soVertical);
    LimitStack = integerSpin(graph, "LimitStack", 1, 10000, 1);
    RxLabel4 = textLabel(graph, "RxLabel4", "Difference Cutoff (green line)", 2);
    RxLabel5 = textLabel(graph, "RxLabel5", "Quality Cutoff (red line)", 2);
    gbRollup1 = nestedRollup(*tools.Stackgraphpanel, "gbRollup1");
    Alignmentpointstackgraph = integerSpin(gbRollup1, "Alignmentpointstackgraph", 1, 100, 1);
    Chart10 = named(new TChart(gbRollup1), "Chart10");
    FastLineSeries3 = Chart10->addSeries("Quality", Qt::red, true);
    FastLineSeries4 = Chart10->addSeries("Difference", Qt::green);
    Series7 = Chart10->addSeries("Series7", Qt::yellow);
    Series7->ShowInLegend = false;
    QUALSliderMalign = rangeSlider(gbRollup1, "QUALSliderMalign", 0, 1000, 1000);
    DifSliderMalign = rangeSlider(gbRollup1, "DifSliderMalign", 0, 1001, 1001);
    DifSliderMalign->setOrientation(TRxSlider::soVertical);
    StackAPquality = shape(Chart10, "StackAPquality", 0, 0, QBrush(Qt::blue, Qt::BDiagPattern));
    StackAPDifference = shape(Chart10, "StackAPDifference", 0, 0, Qt::green, 1);
    DisabledApoint = textLabel(gbRollup1, "DisabledApoint", "Alignmentpoint Disabled");
    DisabledApoint->hide();
    Stackframelabel = textLabel(gbRollup1, "Stackframelabel", "Frames: \r\n");
    auto* perPoint = new QVBoxLayout(gbRollup1->Client());
    perPoint->addLayout(controlRow({new QLabel("Alignmentpoint:", gbRollup1), Alignmentpointstackgraph,
                                    DisabledApoint, Stackframelabel}));
    perPoint->addLayout(controlRow({Chart10, DifSliderMalign}));
    perPoint->addWidget(QUALSliderMalign);
    tools.Stackgraphpanel->Body->addLayout(controlRow(
        {StackSlider, differencecutslider, new QLabel("Limit to maximum frameno:", graph), LimitStack}));
    tools.Stackgraphpanel->Body->addLayout(controlRow({RxLabel4, RxLabel5}));
    tools.Stackgraphpanel->Body->addWidget(gbRollup1);

    Alignmentpointlist = checkList(tools.Alignmentpointswindow, "Alignmentpointlist");
    tools.Alignmentpointswindow->Body->addWidget(Alignmentpointlist, 1);

    Chart8 = named(new TChart(tools.Registrationgraphwindow), "Chart8");
    Showgraphpointer = shape(Chart8, "Showgraphpointer", 2, 200);
    Showgraphpointer->hide();
    tools.Registrationgraphwindow->Body->addWidget(Chart8, 1);

    CreateDarkframe1 = menuItem(form, "CreateDarkframe1", "Create Darkframe");
    CreateFlatfield1 = menuItem(form, "CreateFlatfield1", "Create Flatfield");
}

void FrameWindows::setLimitStackMax(int last) {
    LimitStack->setMaxValue(last);
}

void FrameWindows::setPointCutoffMax(int last) {
    QUALSliderMalign->setMaxValue(last);
}

int FrameWindows::differenceCut() const {
    return differencecutslider->Value();
}

void FrameWindows::setDifferenceCut(int cut) {
    differencecutslider->setValue(cut);
}

void FrameWindows::setDifferenceCutQuietly(int cut) {
    const QSignalBlocker quiet(differencecutslider);
    differencecutslider->setValue(cut);
}

int FrameWindows::pointDifferenceCut() const {
    return DifSliderMalign->Value();
}

void FrameWindows::drawPointStackGraphs(int count) {
    Alignmentpointstackgraph->setMaxValue(count);
    Alignmentpointstackgraph->setValue(count);
    for (int q = 1; q <= count; ++q) {
        Alignmentpointstackgraph->setValue(q);
        if (QUALSliderMalign->MaxValue() > 0) QUALSliderMalign->setValue(QUALSliderMalign->MaxValue() - 1);
    }
}

std::vector<bool> FrameWindows::frameChecks() const {
    const QListWidget& list = *SelectFramesChecklist;
    std::vector<bool> states(static_cast<std::size_t>(list.count()));
    for (int j = 0; j < list.count(); ++j)
        states[static_cast<std::size_t>(j)] = list.item(j)->checkState() == Qt::Checked;
    return states;
}

void FrameWindows::showFrameChecks(const std::vector<bool>& checked) {
    QListWidget& list = *SelectFramesChecklist;
    const QSignalBlocker quiet(&list);
    for (int j = 0; j < list.count() && j < static_cast<int>(checked.size()); ++j)
        list.item(j)->setCheckState(checked[static_cast<std::size_t>(j)] ? Qt::Checked : Qt::Unchecked);
}

void FrameWindows::showStackChecks(const std::vector<bool>& checked) {
    QListWidget& stacked = *StackFramesList;
    const QSignalBlocker quiet(&stacked);
    stacked.clear();
    for (std::size_t j = 0; j < checked.size(); ++j) {
        const QListWidgetItem* entry = SelectFramesChecklist->item(static_cast<int>(j));
        auto* item = new QListWidgetItem(entry ? entry->text() : QString());
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(checked[j] ? Qt::Checked : Qt::Unchecked);
        stacked.addItem(item);
    }
}

void FrameWindows::showStackFrames(const std::vector<int>& frames) {
    QListWidget& stack = *StackFramesList;
    const QSignalBlocker quiet(&stack);
    stack.clear();
    for (const int frame : frames) {
        const QListWidgetItem* entry = SelectFramesChecklist->item(frame);
        if (entry == nullptr) continue;
        auto* item = new QListWidgetItem(entry->text());
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(entry->checkState());
        stack.addItem(item);
    }
}

int FrameWindows::registrationChartWidth() const {
    return Chart8->width();
}

int FrameWindows::frameListCount() const {
    return SelectFramesChecklist->count();
}

}  // namespace kestrave
