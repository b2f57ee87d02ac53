#pragma once
// What the Align area's controllers (the Align page's handlers and the alignment points'
// handlers) are given.

class QLabel;
class QProgressBar;
class QWidget;

namespace kestrave {

class AlignPage;
class AreaStages;
class OptimizePage;
class Pipeline;
class ShellPorts;
class StackPage;
class WindowEntryPoints;
struct FrameWindows;
struct PointWindows;
struct RegistrationWindows;
struct ToolWindows;
struct WindowDialogs;

// What the Align page's handlers, the alignment's view of the window and the alignment points'
// handlers work on: the Align page (their own), the controls of the other pages the alignment
// sets, the charts and tool windows, and the controllers they hand on to.
struct AlignControllerParts {
    Pipeline& pipeline;
    ShellPorts& ports;
    AlignPage& page;
    OptimizePage& optimizePage;
    StackPage& stackPage;
    FrameWindows& frameWindows;
    RegistrationWindows& registrationWindows;
    PointWindows& pointWindows;
    ToolWindows& tools;
    // The point files propose the name of the image saved last.
    WindowDialogs& dialogs;
    // The status panel that shows the mouse's frame position.
    QLabel& positionPanel;
    // The tab strip, locked while a pass runs.
    QWidget& tabs;
    QProgressBar& progressBar;
    // The Optimize page's steps the automatic processing runs after an alignment, and the save
    // the question before another alignment pass offers.
    AreaStages& stages;
    // The handlers of the other areas, reached through the window.
    WindowEntryPoints& entries;
};

}  // namespace kestrave
