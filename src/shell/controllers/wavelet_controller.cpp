#include "shell/controllers/wavelet_controller.h"

#include <QPushButton>

#include "shell/application_context.h"
#include "shell/main_form.h"
#include "shell/pages/wavelet_page.h"

namespace kestrave {

WaveletController::WaveletController(TMainForm& form) : form_(form) {
    connect(form.waveletPage->Processbutton, &QPushButton::clicked, this,
            &WaveletController::ProcessButtonClick);
    connect(form.waveletPage->savebmp2button, &QPushButton::clicked, this,
            &WaveletController::SaveBMP2buttonClick);
}

void WaveletController::ProcessButtonClick() {
    const LongOperation operation(form_.app.operations);
    if (!operation) return;
    form_.app.state.WaveletTabPending = false;
}

void WaveletController::Layer1sliderChanged() {}

void WaveletController::SaveBMP2buttonClick() {}

}  // namespace kestrave
