#include "shell/controllers/image_info_controller.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

#include "shell/controllers/wavelet_controller.h"
#include "shell/image_info_tag.h"
#include "shell/pages/image_info_window.h"
#include "shell/pages/wavelet_page.h"
#include "shell/pages/wavelet_tool_panels.h"
#include "shell/shell_ports.h"
#include "shell/tool_windows.h"
#include "shell/window_dialogs.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

ImageInfoController::ImageInfoController(const ImageInfoControllerParts& parts) : parts_(parts) {
    const ImageInfoWindow& window = parts.window;
    connect(&parts.button, &QToolButton::clicked, this, &ImageInfoController::ImageInfobuttonClick);
    for (TPCheck* show : {window.Showstacksize, window.ShowWaveletscheme, window.Showwaveletvalues,
                          window.Showcontrastbrightness, window.Showgamma, window.ActiveImageinfo}) {
        connect(show, &TPCheck::OnClick, this, &ImageInfoController::ShowWaveletschemeClick);
    }
    for (QLineEdit* edit : {window.Objectnameedit, window.Datetimeedit}) {
        connect(edit, &QLineEdit::textChanged, this, &ImageInfoController::ShowWaveletschemeClick);
    }
    // Each rendering of the processed view is stamped with the scheme it uses while the info shows.
    connect(&parts.wavelet, &WaveletPage::renderStarting, this, [this] {
        if (parts_.shell.ImageInfoOn) ShowWaveletschemeClick();
    });
}

void ImageInfoController::ImageInfobuttonClick() {
    parts_.shell.ImageInfoOn = true;
    ToolWindow& window = parts_.toolWindow;
    window.setVisible(!window.isVisible());
    if (window.isVisible()) window.raise();
}

void ImageInfoController::ShowWaveletschemeClick() {
    const ImageInfoWindow& window = parts_.window;
    ImageInfoTagOptions options;
    options.Objectname = window.Objectnameedit->text().toStdString();
    options.Datetime = window.Datetimeedit->text().toStdString();
    options.Showstacksize = window.Showstacksize->Checked();
    // The stack slider's position, as the picture's stamp and the project name it.
    options.StackSlider = parts_.pipeline.stackCount().value;
    options.ShowWaveletscheme = window.ShowWaveletscheme->Checked();
    options.Showwaveletvalues = window.Showwaveletvalues->Checked();
    options.scheme = readWaveletScheme(parts_.wavelet);
    options.Showcontrastbrightness = window.Showcontrastbrightness->Checked();
    const WaveletLayerValues tone = parts_.wavelet.layerValues();
    options.ContrastSlider = tone.contrast;
    options.BrightnessSlider = tone.brightness;
    options.Showgamma = window.Showgamma->Checked();
    options.Gamma = parts_.gamma.displayGamma();
    const std::string tag = processingInfoTag(options);

    window.Memo3->setPlainText(QString::fromStdString(tag));
    if (!window.ActiveImageinfo->Checked()) return;
    parts_.dialogs.proposeFileName(tag);
    parts_.dialogs.WaveletSave.FileName = tag;
}

}  // namespace kestrave
