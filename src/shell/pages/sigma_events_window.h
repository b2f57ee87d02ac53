#pragma once
// The contents of the "Sigma event recording" tool window (Sigmaevents): the sigma factor and
// brightness floor of a recording run, the event box and its file, the list of frames with
// events and the events of the chosen frame, and stepping through the frames. No behaviour here;
// the handlers live in the sigma controller.

class QLabel;
class QListWidget;
class QPushButton;

namespace kestrave {

class TPCheck;
class TRadioGroup;
class TRxSpinEdit;
struct ToolWindows;

struct SigmaEventsWindow {
    explicit SigmaEventsWindow(ToolWindows& tools);
    // The stack area's sigma events own this tool window. Only that area's controllers (the friends below)
    // reach its controls; the rest of the window uses its functions.
    friend class SigmaController;

private:
    TRxSpinEdit* Sigmaeventsigma;  // sigma factor of a recording run and display threshold, 2..10
    TRxSpinEdit* Lowpixdetect;     // brightness floor of an event, on the 0..255 scale
    TRxSpinEdit* SigmaEdge;        // margin of the default box (hidden)
    // The event box in stack-image pixels.
    TRxSpinEdit* Sigmaboxtop;
    TRxSpinEdit* Sigmaboxleft;
    TRxSpinEdit* Sigmaboxright;
    TRxSpinEdit* Sigmaboxbottom;
    TRadioGroup* INCLEXCLbox;    // events inside ("Include") or outside ("Exclude") the box
    QPushButton* Start;          // the recording run
    QPushButton* LoaDevent;      // "Load events": lists the input's saved events
    QListWidget* Sigmalist;      // one line per frame with events
    QListWidget* Eventlist;      // the key=value lines of the chosen frame
    TPCheck* AutoFrame;          // choosing a frame also shows it (hidden, checked)
    QPushButton* Showframe;      // shows the chosen frame with its events (hidden)
    QLabel* CurrentEventnumber;  // "Events :" and the number drawn
    QPushButton* NextFrame;
    QPushButton* PreviousFrame;
    QPushButton* Saveedgebox;
    QPushButton* Loadedgebox;
    // Checked only while a recording run is under way (hidden).
    TPCheck* Recordsigma;

public:
    // What other parts of the window read or set here.
    // The sigma factor of the events shown (Sigmaeventsigma).
    double eventSigma() const;
};

}  // namespace kestrave
