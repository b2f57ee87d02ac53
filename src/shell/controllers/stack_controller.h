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
    // Stacks the chosen frames with the stacking driver. The options come from the Stack page's
    // controls that exist so far (the others keep the driver's defaults); showing the stack
    // picture arrives with the Stack page.
    void StackButtonClick();

private:
    TMainForm& form_;
};

}  // namespace kestrave
