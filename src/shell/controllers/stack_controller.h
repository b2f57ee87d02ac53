#pragma once
// Handlers of the Stack page.

#include <QObject>

namespace kestrave {

class TMainForm;

class StackController : public QObject {
public:
    explicit StackController(TMainForm& form);

    // Shows or hides the stack graph window as `Showstackgraph` says; the graph itself is drawn
    // by the stack graphs once they exist.
    void ShowstackgraphClick();
    // The stack slider moved: the stack graphs show the frame there once they exist.
    void StackSliderChange();
    // Until the stacking driver is wired in, a stack only marks the work as stacked, so that the
    // wavelet and final pages open and the wavelet page processes on entry.
    void StackButtonClick();

private:
    TMainForm& form_;
};

}  // namespace kestrave
