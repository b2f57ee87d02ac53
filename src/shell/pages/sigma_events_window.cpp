#include "shell/pages/sigma_events_window.h"

#include <QFormLayout>
#include <QListWidget>

#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "shell/tool_windows.h"
#include "widgets/radio_group.h"

namespace kestrave {

namespace {

// Box edges move in steps of ten pixels.
TRxSpinEdit* boxEdge(QWidget* parent, const char* objectName) {
    TRxSpinEdit* edge = integerSpin(parent, objectName, 0, 0, 0);
    edge->setIncrement(10);
    return edge;
}

}  // namespace

SigmaEventsWindow::SigmaEventsWindow(ToolWindows& tools) {
    ToolWindow* window = tools.Sigmaevents;
    Sigmaeventsigma = floatSpin(window, "Sigmaeventsigma", 2.0, 10.0, 0.5, 2.0, 1);
    Lowpixdetect = integerSpin(window, "Lowpixdetect", 0, 65535, 100);
    SigmaEdge = integerSpin(window, "SigmaEdge", 0, 0, 10);
    SigmaEdge->hide();
    Sigmaboxtop = boxEdge(window, "Sigmaboxtop");
    Sigmaboxleft = boxEdge(window, "Sigmaboxleft");
    Sigmaboxright = boxEdge(window, "Sigmaboxright");
    Sigmaboxbottom = boxEdge(window, "Sigmaboxbottom");
    INCLEXCLbox = radioGroup(window, "INCLEXCLbox", "Box", {"Include", "Exclude"}, 0);
    Start = pushButton(window, "Start", "Start");
    LoaDevent = pushButton(window, "LoaDevent", "Load events");
    LoaDevent->setEnabled(false);
    Sigmalist = named(new QListWidget(window), "Sigmalist");
    Eventlist = named(new QListWidget(window), "Eventlist");
    AutoFrame = optionCheck(window, "AutoFrame", "Autoshow");
    AutoFrame->setChecked(true);
    AutoFrame->hide();
    Showframe = pushButton(window, "Showframe", "Showframe");
    Showframe->hide();
    CurrentEventnumber = textLabel(window, "CurrentEventnumber", "Events :", 2);
    NextFrame = pushButton(window, "NextFrame", "Next frame");
    PreviousFrame = pushButton(window, "PreviousFrame", "Previous frame");
    Saveedgebox = pushButton(window, "Saveedgebox", "Save Box");
    Loadedgebox = pushButton(window, "Loadedgebox", "Load Box");
    Recordsigma = optionCheck(window, "Recordsigma", "Record");
    Recordsigma->hide();

    auto* settings = new QFormLayout;
    settings->addRow("Sigma", Sigmaeventsigma);
    settings->addRow("Minimum value", Lowpixdetect);
    settings->addRow("Top", Sigmaboxtop);
    settings->addRow("Left", Sigmaboxleft);
    settings->addRow("Right", Sigmaboxright);
    settings->addRow("Bottom", Sigmaboxbottom);
    window->Body->addLayout(settings);
    window->Body->addWidget(INCLEXCLbox);
    window->Body->addLayout(controlRow({Saveedgebox, Loadedgebox}));
    window->Body->addLayout(controlRow({Start, LoaDevent}));
    window->Body->addWidget(Sigmalist);
    window->Body->addWidget(Eventlist);
    window->Body->addLayout(controlRow({PreviousFrame, NextFrame, CurrentEventnumber}));
    for (QWidget* hidden : std::initializer_list<QWidget*>{SigmaEdge, AutoFrame, Showframe, Recordsigma})
        window->Body->addWidget(hidden);
    window->fitContents();
}

double SigmaEventsWindow::eventSigma() const {
    return static_cast<double>(Sigmaeventsigma->Value());
}

}  // namespace kestrave
