// The channel controls of the wavelet page: the red and blue shifts and their search, the LRGB
// mix, the colour balance, the luminance formula of registration, and the lookup tables of the
// render pass (gamma and tone curve).

#include <QGroupBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>

#include "enhance/composition_types.h"
#include "enhance/tone_options.h"
#include "enhance/wavelet_area.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/curve_graph.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/pages/wavelet_tool_panels.h"
#include "shell/shell_ports.h"
#include "shell/window_entry_points.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

ShiftSpins readShiftSpins(const WaveletPage& page) {
    return {static_cast<double>(page.RDXSpin->Value()), static_cast<double>(page.RdySpin->Value()),
            static_cast<double>(page.BDXspin->Value()), static_cast<double>(page.BDYSpin->Value())};
}

namespace {

void nudge(TRxSpinEdit& spin, int step) {
    spin.setValue(spin.Value() + step);
}

}  // namespace

void WaveletController::connectColourControls() {
    for (TRxSpinEdit* spin : {page_.RDXSpin, page_.RdySpin, page_.BDXspin, page_.BDYSpin}) {
        connect(spin, &TRxSpinEdit::OnChange, this, &WaveletController::shiftSpinChange);
    }
    const std::pair<QPushButton*, std::pair<TRxSpinEdit*, int>> nudges[] = {
        {page_.upl, {page_.RdySpin, 1}},  {page_.dnl, {page_.RdySpin, -1}}, {page_.ltl, {page_.RDXSpin, -1}},
        {page_.rtl, {page_.RDXSpin, 1}},  {page_.upr, {page_.BDYSpin, 1}},  {page_.dnr, {page_.BDYSpin, -1}},
        {page_.ltr, {page_.BDXspin, -1}}, {page_.rtr, {page_.BDXspin, 1}},
    };
    for (const auto& [button, change] : nudges) {
        connect(button, &QPushButton::clicked, this,
                [spin = change.first, step = change.second] { nudge(*spin, step); });
    }
    connect(page_.RGBShifter, &QPushButton::clicked, this, &WaveletController::RGBShifterClick);
    connect(page_.RGBshiftactive, &TPCheck::OnClick, this, &WaveletController::RGBSHIFTClick);
    connect(page_.glPageControl4, &QTabWidget::currentChanged, this, [this] {
        if (page_.glPageControl4->currentWidget() == page_.RGBSHIFT) RGBSHIFTClick();
    });
    for (TPCheck* show : {page_.Showred, page_.Showgreen, page_.Showblue}) {
        connect(show, &TPCheck::OnClick, this, &WaveletController::Layer1sliderChanged);
    }
    for (TRxSlider* slider : {page_.RedLRGBslider, page_.GreenLRGBSlider, page_.BlueLRGBSlider}) {
        connect(slider, &TRxSlider::OnChanged, this, &WaveletController::RedLRGBsliderChanged);
    }
    connect(page_.LRGB2, &TPCheck::OnClick, this, &WaveletController::LRGB2Click);
    connect(&parts_.align, &AlignPage::lrgbClicked, this, &WaveletController::LRGB1Click);
    connect(page_.Lumichannel, &TPCheck::OnClick, this, &WaveletController::LumichannelClick);
    connect(page_.Colourprocess2, &TPCheck::OnClick, this, &WaveletController::Colourprocess2Click);
    // The Align page's colour choice: the colour controls follow it.
    connect(&page_, &WaveletPage::colourChoiceFollowed, this, &WaveletController::followColourChoice);
    connect(page_.Drizzle2, &TPCheck::OnClick, this, &WaveletController::Drizzle2Click);
    connect(page_.resetrgbbutton, &QPushButton::clicked, this, &WaveletController::resetrgbbuttonClick);
    for (TRxSpinEdit* spin : {page_.RxSpinEdit1, page_.RxSpinEdit2, page_.RxSpinEdit3}) {
        connect(spin, &TRxSpinEdit::OnChange, this, &WaveletController::luminanceFormulaChange);
    }
    connect(page_.Resetluminanceformula, &QPushButton::clicked, this,
            &WaveletController::ResetluminanceformulaClick);

    RgbBalancePanel& balance = *parts_.panels.rgbBalance;
    for (TRxSpinEdit* spin : {balance.Rbalance, balance.Gbalance, balance.Bbalance}) {
        connect(spin, &TRxSpinEdit::OnChange, this, &WaveletController::balanceChange);
    }
    for (TRxSlider* slider : {balance.RedSlider, balance.GreenSlider, balance.blueslider}) {
        connect(slider, &TRxSlider::OnChanged, this, &WaveletController::Layer1sliderChanged);
    }
    connect(balance.resethisto1button, &QPushButton::clicked, this,
            &WaveletController::resethisto1buttonClick);

    connect(parts_.panels.gamma->Gamma1spin, &TRxSpinEdit::OnChange, this,
            &WaveletController::Gamma1spinChange);
    TonemapPanel& tonemap = *parts_.panels.tonemap;
    connect(tonemap.RxSpinEdit5, &TRxSpinEdit::OnChange, this, &WaveletController::RxSpinEdit5Change);
    connect(tonemap.RxSpinEdit8, &TRxSpinEdit::OnChange, this, &WaveletController::RxSpinEdit5Change);
    connect(tonemap.RxSpinEdit10, &TRxSpinEdit::OnTopClick, this, &WaveletController::RxSpinEdit5Change);
    connect(tonemap.RxSpinEdit10, &TRxSpinEdit::OnBottomClick, this, &WaveletController::RxSpinEdit5Change);
    for (TRxSlider* slider : {tonemap.RxSlider3, tonemap.RxSlider4}) {
        connect(slider, &TRxSlider::OnChanged, this, &WaveletController::Layer1sliderChanged);
    }
}

bool WaveletController::composeWorkingImage() {
    try {
        pipeline_.composeWorkingImage(processOptions());
    } catch (const WaveletError& error) {
        reportWaveletError(error);
        return false;
    }
    return true;
}

void WaveletController::shiftSpinChange() {
    pipeline_.setColourShifts(readShiftSpins(page_));
    pipeline_.markLayersDirty();
    if (composeWorkingImage()) Layer1sliderChanged();
}

void WaveletController::RGBShifterClick() {
    const int width = pipeline_.model().ImageWidth;
    const int height = pipeline_.model().ImageHeight;
    ShiftSpins spins;
    try {
        spins = pipeline_.findColourShifts(rgbSearchBox(searchBoxOptions(false), width, height),
                                           ports_.progress());
    } catch (const WaveletError& error) {
        reportWaveletError(error);
        return;
    }
    // Each spin's change handler takes its shift over, as a change by hand would.
    page_.BDXspin->setValue(spins.BDXspin);
    page_.BDYSpin->setValue(spins.BDYSpin);
    page_.RDXSpin->setValue(spins.RDXSpin);
    page_.RdySpin->setValue(spins.RdySpin);
    pipeline_.markLayersDirty();
    Layer1sliderChanged();
}

SearchBoxOptions WaveletController::searchBoxOptions(bool forDrawing) const {
    SearchBoxOptions options;
    options.FFTSize = parts_.align.alignmentBoxSize();
    const ResamplingOptions resampling = parts_.stack.resamplingOptions();
    options.Resampled = resampling.resampled;
    options.ResampleSpin = static_cast<double>(resampling.resampleSpin);
    options.Drizzling = resampling.drizzling;
    options.FeatureX = pipeline_.state().FeatureX;
    options.FeatureY = pipeline_.state().FeatureY;
    options.RGBArea = ports_.shell.view.RGBArea;
    options.forDrawing = forDrawing;
    return options;
}

void WaveletController::RGBSHIFTClick() {
    const bool lrgb = page_.LRGB2->Checked();
    for (TPCheck* show : {page_.Showred, page_.Showgreen, page_.Showblue}) show->setVisible(!lrgb);
    // The box is an overlay of the view; the view is drawn again with or without it.
    showProcessedView();
}

void WaveletController::RedLRGBsliderChanged() {
    pipeline_.markLayersDirty();
    pipeline_.setLRGBWeights(lrgbWeightsFor(page_.RedLRGBslider->Value(), page_.GreenLRGBSlider->Value(),
                                            page_.BlueLRGBSlider->Value()));
    ProcessButtonClick();
}

// The two "LRGB" boxes (this page's and the Align page's) are kept equal.
void WaveletController::LRGB2Click() {
    parts_.align.setLrgbChosen(page_.LRGB2->Checked());
    showLrgbChoice();
}

void WaveletController::LRGB1Click() {
    page_.LRGB2->setChecked(parts_.align.lrgbChosen());
    showLrgbChoice();
}

void WaveletController::showLrgbChoice() {
    page_.LRGBmixer->setVisible(page_.LRGB2->Checked());
    for (TRxSlider* slider : {page_.RedLRGBslider, page_.GreenLRGBSlider, page_.BlueLRGBSlider}) {
        slider->setEnabled(true);
    }
    // The working image is composed another way now.
    pipeline_.markLayersDirty();
}

void WaveletController::LumichannelClick() {
    if (!page_.Lumichannel->Checked()) {
        for (TRxSlider* slider : {page_.RedLRGBslider, page_.GreenLRGBSlider, page_.BlueLRGBSlider}) {
            slider->setEnabled(true);
        }
    }
    // The luminance comes from another source now.
    pipeline_.markLayersDirty();
    ProcessButtonClick();
}

void WaveletController::Colourprocess2Click() {
    const bool colour = page_.Colourprocess2->Checked();
    parts_.align.followColourChoice(colour);
    followColourChoice(colour);
}

void WaveletController::followColourChoice(bool colour) {
    page_.LRGB2->setEnabled(colour);
    RgbBalancePanel& balance = *parts_.panels.rgbBalance;
    balance.RedSlider->setEnabled(colour);
    balance.blueslider->setEnabled(colour);
    pipeline_.markLayersDirty();
}

void WaveletController::Drizzle2Click() {
    parts_.stack.chooseDrizzling(page_.Drizzle2->Checked());
}

void WaveletController::balanceChange() {
    const RgbBalancePanel& balance = *parts_.panels.rgbBalance;
    pipeline_.setColourBalance(static_cast<float>(balance.Rbalance->Value()),
                               static_cast<float>(balance.Gbalance->Value()),
                               static_cast<float>(balance.Bbalance->Value()));
    Layer1sliderChanged();
}

void WaveletController::resethisto1buttonClick() {
    RgbBalancePanel& balance = *parts_.panels.rgbBalance;
    for (TRxSlider* slider : {balance.RedSlider, balance.GreenSlider, balance.blueslider})
        slider->setValue(0);
    for (TRxSpinEdit* spin : {balance.Rbalance, balance.Gbalance, balance.Bbalance}) spin->setValue(1.0);
    Layer1sliderChanged();
}

void WaveletController::luminanceFormulaChange() {
    pipeline_.setLuminanceWeights(lumWeightsFor(static_cast<double>(page_.RxSpinEdit1->Value()),
                                                static_cast<double>(page_.RxSpinEdit2->Value()),
                                                static_cast<double>(page_.RxSpinEdit3->Value())));
}

void WaveletController::ResetluminanceformulaClick() {
    page_.RxSpinEdit1->setValue(0.299);
    page_.RxSpinEdit2->setValue(0.587);
    page_.RxSpinEdit3->setValue(0.114);
}

void WaveletController::resetrgbbuttonClick() {
    for (TRxSpinEdit* spin : {page_.RDXSpin, page_.RdySpin, page_.BDXspin, page_.BDYSpin}) spin->setValue(0);
}

void WaveletController::Gamma1spinChange() {
    TRxSpinEdit& spin = *parts_.panels.gamma->Gamma1spin;
    if (pipeline_.setGamma(static_cast<double>(spin.Value()))) {
        Layer1sliderChanged();
        // The gamma graph shows the spin's curve in red in place of the edited one.
        std::vector<QPoint> curve;
        for (const GraphPoint& p : pipeline_.gammaCurvePoints()) curve.emplace_back(p.x, p.y);
        parts_.panels.gamma->GammaSplineGraph->showGammaCurve(std::move(curve));
    } else {
        // The change of the spin builds the table with gamma 1.
        spin.setValue(1.0);
    }
}

void WaveletController::RxSpinEdit5Change() {
    TonemapPanel& tonemap = *parts_.panels.tonemap;
    const ToneTableOptions options{static_cast<float>(tonemap.RxSpinEdit5->Value()),
                                   tonemap.RxSlider2->Value(), tonemap.Tonegraph->Checked()};
    const float scale = pipeline_.rebuildTones(options);
    {
        // The scale spin shows the scale in use; writing it is no new change.
        const QSignalBlocker quiet(tonemap.RxSpinEdit8);
        tonemap.RxSpinEdit8->setValue(scale);
    }
    Layer1sliderChanged();
}

}  // namespace kestrave
