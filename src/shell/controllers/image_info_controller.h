#pragma once
// Handlers of the image-information tool window: the processing-info tag, rebuilt whenever one
// of the window's controls changes (and, once the window has been opened, with every render
// pass), and the speed-bar item that shows and hides the window.

#include <QObject>

namespace kestrave {

class TMainForm;

class ImageInfoController : public QObject {
public:
    explicit ImageInfoController(TMainForm& form);

    // The speed-bar item "ImageInfo": from now on every render pass rebuilds the tag; the window
    // shows when hidden and hides when shown, and comes to the front.
    void ImageInfobuttonClick();
    // Builds the tag into Memo3; with ActiveImageinfo checked the save dialogs of the stack, the
    // processed picture and the resized picture propose it as the file name. Also the handler of
    // every other control of the window.
    void ShowWaveletschemeClick();

private:
    TMainForm& form_;
};

}  // namespace kestrave
