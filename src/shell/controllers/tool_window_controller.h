#pragma once
// The tool windows of the wavelet page's speed buttons, and what closing a tool window resets.

#include <QObject>

class QAbstractButton;
class QWidget;

namespace kestrave {

class AreaStages;
class FinalPage;
class StackPage;
class ToolWindow;
class WaveletPage;
struct ToolWindows;

// What the tool-window handlers work with: the tool windows, the pages whose controls open them,
// the main window they are kept inside, and the wavelet stage that renders the processed view again.
struct ToolWindowControllerParts {
    ToolWindows& tools;
    QWidget& window;
    StackPage& stack;
    WaveletPage& wavelet;
    FinalPage& finalPage;
    AreaStages& stages;
};

class ToolWindowController : public QObject {
public:
    explicit ToolWindowController(const ToolWindowControllerParts& parts);

    // One rule for the five speed buttons: the window shows while the button is down, comes back
    // inside the main window when it lies beyond its right or bottom edge, is brought to the
    // front, and the processed image is rendered again.
    void toolWindowButtonClick(QAbstractButton& button, ToolWindow& window);

private:
    QWidget& window_;
    // The processed view is rendered again after a tool window opens or closes.
    AreaStages& stages_;
};

}  // namespace kestrave
