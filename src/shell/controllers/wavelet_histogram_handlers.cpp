// The histogram windows of the wavelet page: their curves and level labels after every render
// pass, the channel check boxes, the automatic colour balance, and the shortcuts of the layer,
// contrast and brightness sliders.

#include <QPushButton>
#include <QSignalBlocker>

#include "enhance/render_controls.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/pages/histogram_windows.h"
#include "shell/pages/wavelet_page.h"
#include "shell/shell_ports.h"
#include "shell/tool_windows.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

// A layer slider at 10 gives the layer its own weight, 1.0.
constexpr int UnitLayerWeight = 10;

SliderKey sliderKeyOf(int key) {
    if (key == Qt::Key_Left) return SliderKey::Left;
    if (key == Qt::Key_Right) return SliderKey::Right;
    return SliderKey::Other;
}

}  // namespace

void WaveletController::connectHistogramControls() {
    HistogramWindows& windows = parts_.histograms;
    const std::pair<TPCheck*, TPCheck*> twins[] = {{windows.Redshow, page_.Showred},
                                                   {windows.Greenshow, page_.Showgreen},
                                                   {windows.Blueshow, page_.Showblue}};
    for (const auto& [twin, shown] : twins) {
        connect(twin, &TPCheck::OnClick, this,
                [this, twin = twin, shown = shown] { showTwinClick(*twin, *shown); });
    }
    // A new smoothing redraws the curves of the last pass.
    connect(windows.HistoSmoother, &TRxSpinEdit::OnChange, this, &WaveletController::showHistograms);
    connect(windows.Autobalance, &TPCheck::OnClick, this, &WaveletController::AutobalanceClick);
    connect(windows.Autobalancebutton, &QPushButton::clicked, this,
            &WaveletController::AutobalancebuttonClick);
    for (int n = 1; n <= WaveletLayerCount; ++n) {
        connect(page_.layerSliders()[static_cast<std::size_t>(n - 1)], &TRxSlider::OnDblClick, this,
                [this, n] { layerSliderDblClick(n); });
    }
    for (TRxSlider* slider : {page_.ContrastSlider, page_.BrightnessSlider}) {
        connect(slider, &TRxSlider::OnKeyDown, this,
                [this, slider](QObject*, int key, Qt::KeyboardModifiers shift) {
                    ContrastSliderKeyDown(*slider, key, shift);
                });
    }
}

bool WaveletController::histogramWindowShown() const {
    return parts_.tools.HistoWindow->isVisible() || parts_.tools.HistoRGBWindow->isVisible();
}

void WaveletController::showHistograms() {
    const DisplayHistograms& histograms = pipeline_.wavelet().displayHistograms;
    const double smoother = static_cast<double>(parts_.histograms.HistoSmoother->Value());
    std::array<std::array<double, 255>, 4> curves{};
    for (std::size_t c = 0; c < curves.size(); ++c) curves[c] = smoothedHistogram(histograms[c], smoother);
    const QString lo = QString::fromStdString(levelLoCaption(pipeline_.state().LevelLo));
    const QString hi = QString::fromStdString(levelHiCaption(pipeline_.state().LevelHi));
    for (HistogramView* view : parts_.histograms.views()) view->showCurves(curves, lo, hi);
}

void WaveletController::AutobalanceClick() {
    render(true);
    parts_.histograms.Autobalance->setChecked(false);
}

void WaveletController::AutobalancebuttonClick() {
    parts_.histograms.Autobalance->setChecked(true);
    AutobalanceClick();
}

void WaveletController::showTwinClick(const TPCheck& twin, TPCheck& shown) {
    shown.setChecked(twin.Checked());
    Layer1sliderChanged();
}

void WaveletController::layerSliderDblClick(int n) {
    page_.layerSliders()[static_cast<std::size_t>(n - 1)]->setValue(UnitLayerWeight);
    Layer1sliderChanged();
}

void WaveletController::ContrastSliderKeyDown(TRxSlider& slider, int key, Qt::KeyboardModifiers shift) {
    const SliderKey arrow = sliderKeyOf(key);
    if (arrow == SliderKey::Other) return;
    {
        // The step ends the user's action, as the slider's own keys do: one render, not a
        // second one for the change while automatic processing is on.
        const QSignalBlocker quiet(&slider);
        slider.setValue(sliderAfterKey(slider.Value(), arrow, shift.testFlag(Qt::ControlModifier),
                                       slider.MinValue(), slider.MaxValue()));
    }
    Layer1sliderChanged();
}

}  // namespace kestrave
