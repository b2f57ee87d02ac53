#pragma once
// Handlers of the image-information tool window: the processing-info tag, rebuilt whenever one
// of the window's controls changes (and, once the window has been opened, with every render
// pass), and the speed-bar item that shows and hides the window.

#include <QObject>

class QToolButton;

namespace kestrave {

struct ImageInfoWindow;
struct ShellState;
struct WindowDialogs;
class ToolWindow;
class GammaPanel;
class Pipeline;
class WaveletPage;

// What the image-information handlers work with.
struct ImageInfoControllerParts {
    ShellState& shell;
    const ImageInfoWindow& window;
    // The tool window that holds it, and the speed-bar item that shows and hides it.
    ToolWindow& toolWindow;
    QToolButton& button;
    const WaveletPage& wavelet;
    // The stack count the tag names.
    const Pipeline& pipeline;
    const GammaPanel& gamma;
    // The save dialogs that propose the tag as the file name.
    WindowDialogs& dialogs;
};

class ImageInfoController : public QObject {
public:
    explicit ImageInfoController(const ImageInfoControllerParts& parts);

    // The speed-bar item "ImageInfo": from now on every render pass rebuilds the tag; the window
    // shows when hidden and hides when shown, and comes to the front.
    void ImageInfobuttonClick();
    // Builds the tag into Memo3; with ActiveImageinfo checked the save dialogs of the stack, the
    // processed picture, the project and the resized picture propose it as the file name. Also
    // the handler of every other control of the window.
    void ShowWaveletschemeClick();

private:
    ImageInfoControllerParts parts_;
};

}  // namespace kestrave
