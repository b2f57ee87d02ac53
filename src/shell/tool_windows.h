#pragma once
// The roll-up tool windows of the main window. Plain Qt tool windows carrying the documented
// names stand in for the roll-up component until it exists; each has an empty `Body` layout
// that the issue owning its contents fills.

#include <QVBoxLayout>
#include <QWidget>

class QPushButton;

namespace kestrave {

class ToolWindow : public QWidget {
    Q_OBJECT
public:
    ToolWindow(QWidget* owner, const char* name, const QString& caption);

    QVBoxLayout* Body;

    // Grows the window to what its contents ask for once they are in.
    void fitContents();
    // Also tells who keeps track of the window that it was shown or hidden (already so or not).
    void setVisible(bool visible) override;

signals:
    // The user closed the window with its close button.
    void OnRollClose(QObject* Sender);
    void visibilitySet(bool visible);

protected:
    void closeEvent(QCloseEvent* event) override;
    // The first time it shows, the window takes a place of its own over the main window's
    // picture; afterwards it stays where the user put it.
    void showEvent(QShowEvent* event) override;

private:
    bool placed_ = false;
};

struct ToolWindows {
    explicit ToolWindows(QWidget* owner);

    ToolWindow* HistoWindow;
    ToolWindow* Gammawindow;
    ToolWindow* Filterwindow;
    ToolWindow* HistoRGBWindow;
    ToolWindow* Tonemapwindow;
    ToolWindow* Shrinkview;
    ToolWindow* Zoomwindow;
    ToolWindow* Registerhaltwindow;
    ToolWindow* WaveZoom;
    ToolWindow* Stackgraphpanel;
    ToolWindow* StackFrameswindow;
    ToolWindow* SelectFrameswindow;
    ToolWindow* HLSwindow;
    ToolWindow* MultiAlignprogresswindow;
    ToolWindow* FFTWindow;
    ToolWindow* Registrationgraphwindow;
    ToolWindow* RegiStration2;
    ToolWindow* Imageinfowindow;
    ToolWindow* movements;  // the frames' shifts drawn by the optimizer
    ToolWindow* Sigmaevents;  // sigma event recording
    ToolWindow* Alignmentpointswindow;  // the alignment points, each switched on or off

    QPushButton* HaltRegister;  // on Registerhaltwindow: stops the alignment pass
    QPushButton* Cancel2button;  // on Registerhaltwindow: the Cancel item's question
};

}  // namespace kestrave
