#pragma once
// The tool windows of the wavelet page's speed buttons, and what closing a tool window resets.

#include <QObject>

class QToolButton;

namespace kestrave {

class TMainForm;
class ToolWindow;

class ToolWindowController : public QObject {
public:
    explicit ToolWindowController(TMainForm& form);

    // One rule for the five speed buttons: the window shows while the button is down, comes back
    // inside the main window when it lies beyond its right or bottom edge, is brought to the
    // front, and the processed image is rendered again.
    void toolWindowButtonClick(QToolButton& button, ToolWindow& window);

private:
    TMainForm& form_;
};

}  // namespace kestrave
