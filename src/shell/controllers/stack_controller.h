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

private:
    TMainForm& form_;
};

}  // namespace kestrave
