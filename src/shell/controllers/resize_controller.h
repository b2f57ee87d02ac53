#pragma once
// Handlers of the resize view (Shrinkview): opening it from the Wavelet page's `Resizebutton` or
// the Final page's `Shrink`, the ratio (`RadioGroup2Click`), the filter (`ResizeFiltersClick`), back to full
// size
// (`ShrinktooriginalClick`) and the save of the scaled picture (`SaveShrinkClick`).

#include <QObject>

#include "platform/bitmap24.h"

class QWidget;

class QStackedWidget;

namespace kestrave {

class Pipeline;
class ShellPorts;
class FinalPage;
class StackPage;
class ToolWindow;
class WaveletPage;
struct ShrinkView;
struct TFileDialog;

// What the resize handlers work with: the program state with the processed and the final
// picture, the tool window and its controls, the Wavelet page's and the Final page's buttons, the
// Stack page's resampling choice, the Align page's save folder and the resize save dialog.
struct ResizeControllerParts {
    Pipeline& pipeline;
    ShellPorts& ports;
    ToolWindow& Shrinkview;
    ShrinkView& view;
    WaveletPage& waveletPage;
    FinalPage& finalPage;
    const StackPage& stackPage;
    TFileDialog& SaveDialog4;
    // PageControl1: the page shown decides what the view shows.
    const QStackedWidget& pages;
};

class ResizeController : public QObject {
public:
    explicit ResizeController(const ResizeControllerParts& parts);

    // The view follows the button (`open` when it is down): shown at the stored ratio with the
    // picture scaled, or hidden.
    void ResizebuttonClick(bool open);
    // The Final page's button: the view opens when it was hidden and closes when it was shown.
    void ShrinkClick();
    // The picture scaled by the chosen ratio (remembered in CopyResize) with the chosen filter.
    void RadioGroup2Click();
    void ResizeFiltersClick();
    void ShrinktooriginalClick();
    // Saves the scaled picture as BMP, JPEG or PNG.
    void SaveShrinkClick();

private:
    // The window sized for contents of width x height (kept on the screen).
    void sizeWindow(int width, int height);
    // Shows the view at the stored ratio with the picture scaled.
    void openView();

    ResizeControllerParts parts_;
    Bitmap24 scaled_;
};

}  // namespace kestrave
