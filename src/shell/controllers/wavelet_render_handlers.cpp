// Rendering on the wavelet page: the render pass with the page's controls, what a moving layer
// slider shows, the contrast and brightness pairs, and "Do All".

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>

#include "enhance/render_controls.h"
#include "enhance/wavelet_area.h"
#include "platform/errors.h"
#include "shell/busy_cursor.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/pages/histogram_windows.h"
#include "shell/pages/wavelet_page.h"
#include "shell/pages/wavelet_tool_panels.h"
#include "shell/shell_ports.h"
#include "shell/window_entry_points.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

RenderOptions readRenderOptions(const WaveletPage& page, const WaveletToolPanels& panels) {
    const RgbBalancePanel& balance = *panels.rgbBalance;
    const TonemapPanel& tonemap = *panels.tonemap;
    RenderOptions options;
    for (std::size_t i = 0; i < WaveletLayerCount; ++i) {
        options.layerSlider[i] = page.layerSliders()[i]->Value();
        options.layerChecked[i] = page.layerCheckboxes()[i]->Checked();
    }
    options.ContrastSlider = page.ContrastSlider->Value();
    options.BrightnessSlider = page.BrightnessSlider->Value();
    options.RedSlider = balance.RedSlider->Value();
    options.GreenSlider = balance.GreenSlider->Value();
    options.blueslider = balance.blueslider->Value();
    options.Showred = page.Showred->Checked();
    options.Showgreen = page.Showgreen->Checked();
    options.Showblue = page.Showblue->Checked();
    options.ActiveTonemap = tonemap.ActiveTonemap->Checked();
    options.toneMap.Tonegraph = tonemap.Tonegraph->Checked();
    options.toneMap.LogHist = tonemap.LogHist->Checked();
    options.toneMap.LogHistFactor = static_cast<float>(tonemap.RxSpinEdit10->Value());
    options.toneMap.Contrast = tonemap.RxSlider1->Value();
    options.toneMap.Intensity = tonemap.RxSlider2->Value();
    options.toneMap.LightAdaptation = tonemap.RxSlider3->Value();
    options.toneMap.ColourAdaptation = tonemap.RxSlider4->Value();
    return options;
}

void WaveletController::connectRenderControls() {
    connect(page_.DoAll, &QPushButton::clicked, this, &WaveletController::DoAllClick);
    connect(page_.Contrastreset, &QPushButton::clicked, this, &WaveletController::ContrastresetClick);
    connect(page_.Contrastlevel, &TRxSpinEdit::OnChange, this, &WaveletController::ContrastlevelChange);
    connect(page_.Brightnesslevel, &TRxSpinEdit::OnChange, this, &WaveletController::BrightnesslevelChange);
}

bool WaveletController::stackExists() const {
    return pipeline_.state().activepage >= TMainTab::tabWavelet && pipeline_.model().ImageWidth > 0 &&
           pipeline_.model().ImageHeight > 0;
}

void WaveletController::showLayerWeights() {
    for (std::size_t i = 0; i < WaveletLayerCount; ++i) {
        page_.layerButtons()[i]->setText(
            QString::fromStdString(layerWeightCaption(page_.layerSliders()[i]->Value())));
    }
}

void WaveletController::Layer1sliderChanged() {
    render(false);
}

void WaveletController::render(bool autoBalance) {
    if (stackExists()) {
        const BusyCursor busy;
        emit page_.renderStarting();
        showLayerWeights();
        {
            // The level spins mirror the sliders; their own change would move the sliders back.
            const QSignalBlocker quietContrast(page_.Contrastlevel);
            const QSignalBlocker quietBrightness(page_.Brightnesslevel);
            page_.Contrastlevel->setValue(contrastLevelFor(page_.ContrastSlider->Value()));
            page_.Brightnesslevel->setValue(brightnessLevelFor(page_.BrightnessSlider->Value()));
        }
        const WaveletProcessOptions wavelet = processOptions();
        // The balance belongs to the histogram step: it runs only while a histogram window shows.
        const bool histograms = histogramWindowShown();
        try {
            const RenderOptions options =
                pipeline_.renderProcessedView(wavelet, renderOptions(), autoBalance,
                                              histograms && parts_.histograms.Autobalance->Checked());
            keepRenderedView();
            if (histograms) showHistograms();
            if (autoBalance) {
                const RgbBalancePanel& balance = *parts_.panels.rgbBalance;
                balance.RedSlider->setValue(options.RedSlider);
                balance.GreenSlider->setValue(options.GreenSlider);
                balance.blueslider->setValue(options.blueslider);
            }
        } catch (const WaveletError& error) {
            reportWaveletError(error);
        }
    }
    showProcessedView();
    pipeline_.finishRender();
}

void WaveletController::Layer1sliderChange() {
    ports_.progress().setStatus(2, LayerSettingChangedStatus);
    showLayerWeights();
    if (page_.Autoprocessbox->Checked()) Layer1sliderChanged();
    pipeline_.noteWholeImageArea();
}

void WaveletController::ContrastresetClick() {
    for (TRxSlider* slider : {page_.ContrastSlider, page_.BrightnessSlider}) {
        const QSignalBlocker quiet(slider);
        slider->setValue(slider == page_.ContrastSlider ? ContrastSliderDefault : BrightnessSliderDefault);
    }
    Layer1sliderChanged();
}

void WaveletController::ContrastlevelChange() {
    {
        const QSignalBlocker quiet(page_.ContrastSlider);
        page_.ContrastSlider->setValue(contrastSliderFor(static_cast<double>(page_.Contrastlevel->Value())));
    }
    Layer1sliderChanged();
}

void WaveletController::BrightnesslevelChange() {
    {
        const QSignalBlocker quiet(page_.BrightnessSlider);
        page_.BrightnessSlider->setValue(
            brightnessSliderFor(static_cast<double>(page_.Brightnesslevel->Value())));
    }
    Layer1sliderChanged();
}

void WaveletController::DoAllClick() {
    const LongOperation operation(ports_.operations);
    if (!operation || !stackExists()) return;
    const BusyCursor busy;
    page_.moveProcessedImageToOrigin();
    try {
        // The picture shows each tile as it is done.
        const bool completed = pipeline_.processWholeImage(
            processOptions(), renderOptions(), page_.Showprocessingarea->Checked(), ports_.progress(),
            [this] { showProcessedView(); });
        // The whole picture processed is a new result that nobody saved yet.
        if (completed) ports_.shell.ImageSaved = false;
        keepRenderedView();
    } catch (const KestraveError& error) {
        reportWaveletError(error);
    }
    showProcessedView();
    pipeline_.finishRender();
}

}  // namespace kestrave
