#pragma once
// Handlers of the Align page's options that the input selection runs: the debayer switch and
// the alignment method. The alignment itself arrives with its own controller.

#include <QObject>

namespace kestrave {

class TMainForm;

class AlignController : public QObject {
public:
    explicit AlignController(TMainForm& form);

    // "Use Debayer" clicked: the switch follows the box, the colour controls follow the switch,
    // and the shown frame is read again.
    void AVIDEBAYClick();
    // The same without reading the frame again (the input selection shows the frame itself).
    void applyDebayerSwitch();
    // The switch between single-point, multi-point and no alignment. Until the alignment points
    // exist there is nothing to set up for any of them.
    void AlignmethodClick();

private:
    TMainForm& form_;
};

}  // namespace kestrave
