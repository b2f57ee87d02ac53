#pragma once
// What is the window's own and asked of it from any area: the tab strip, the "Continue" wait and
// cancelling. A controller holds its own page and tool windows, the pipeline and this port — never
// another area's controller — so the areas' controllers are made in any order, with no second
// wiring, and each can be built alone in a test. The main window implements the port by
// forwarding each entry point to its shell controller; the stages one area runs in another go
// through `AreaStages`.

namespace kestrave {

class WindowEntryPoints {
public:
    virtual ~WindowEntryPoints() = default;

    // The window: the tab strip, the "Continue" wait, cancelling, the memory display.
    virtual void selectTab(int tab) = 0;
    virtual void waitForContinue() = 0;
    virtual void CancelButtonClick() = 0;
    // The heap in use, shown in the memory label.
    virtual void ShowMemoryUsage() = 0;
};

}  // namespace kestrave
