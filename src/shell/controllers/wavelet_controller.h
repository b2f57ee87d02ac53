#pragma once
// Handlers of the Wavelet page. `ProcessButtonClick` (decompose and render), `Layer1sliderChanged`
// (render again) and `SaveBMP2buttonClick` (save the processed image) are the entry points the
// rest of the window calls; until the wavelet, rendering and saving work arrives they do the
// least their callers rely on.

#include <QObject>

namespace kestrave {

class TMainForm;

class WaveletController : public QObject {
public:
    explicit WaveletController(TMainForm& form);

    // Takes the pending new stack off the wavelet page's list.
    void ProcessButtonClick();
    void Layer1sliderChanged();
    // Saves nothing yet, so `ImageSaved` stays as it was.
    void SaveBMP2buttonClick();

private:
    TMainForm& form_;
};

}  // namespace kestrave
