#include "shell/controllers/wavelet_controller.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <algorithm>
#include <memory>
#include <vector>

#include "enhance/wavelet_area.h"
#include "persist/reg_settings.h"
#include "shell/busy_cursor.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/pages/wavelet_tool_panels.h"
#include "shell/shell_ports.h"
#include "shell/stored_settings.h"
#include "shell/tab_strip.h"
#include "shell/window_entry_points.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

WaveletStepOptions readStepOptions(const WaveletPage& page) {
    return {page.Waveletscheme->ItemIndex() == static_cast<int>(TWaveletScheme::Linear)
                ? TWaveletScheme::Linear
                : TWaveletScheme::Dyadic,
            static_cast<double>(page.LevelStep->Value()), static_cast<double>(page.Multiplicant->Value())};
}

namespace {

TConvolveMethod convolveMethodOf(const TRadioGroup& group) {
    return group.ItemIndex() == static_cast<int>(TConvolveMethod::Gaussian) ? TConvolveMethod::Gaussian
                                                                            : TConvolveMethod::Default;
}

std::array<float, 6> gaussWidths(const WaveletPage& page) {
    std::array<float, 6> widths{};
    for (std::size_t i = 0; i < widths.size(); ++i)
        widths[i] = static_cast<float>(page.gaussLayers()[i]->Value());
    return widths;
}

}  // namespace

WaveletProcessOptions readWaveletProcessOptions(const WaveletPage& page, const StackPage& stack) {
    WaveletProcessOptions options;
    // Colourprocess2 mirrors the colour switch of the input (Colourstack).
    options.Colourstack = page.Colourprocess2->Checked();
    options.LRGB2 = page.LRGB2->Checked();
    options.Lumichannel = page.Lumichannel->Checked();
    options.steps = readStepOptions(page);
    options.Convolvemethod = convolveMethodOf(*page.Convolvemethod);
    options.Resampled = stack.resampled();
    options.Drizzle2 = page.Drizzle2->Checked();
    // The spin keeps what was typed; the factor in use stays within 1..4.
    options.ResampleFactor = stack.resampleFactor();
    return options;
}

WaveletScheme readWaveletScheme(const WaveletPage& page) {
    WaveletScheme scheme;
    const WaveletStepOptions steps = readStepOptions(page);
    scheme.Waveletscheme = steps.Waveletscheme;
    scheme.Convolvemethod = convolveMethodOf(*page.Convolvemethod);
    scheme.LevelStep = steps.LevelStep;
    scheme.Multiplicant = steps.Multiplicant;
    for (std::size_t i = 0; i < WaveletLayerCount; ++i) {
        scheme.layerChecked[i] = page.layerCheckboxes()[i]->Checked();
        scheme.layerSlider[i] = page.layerSliders()[i]->Value();
        scheme.Gausslayer[i] = static_cast<double>(page.gaussLayers()[i]->Value());
    }
    return scheme;
}

WaveletController::WaveletController(const WaveletControllerParts& parts)
    : parts_(parts), pipeline_(parts.pipeline), ports_(parts.ports), page_(parts.page) {
    // The page takes a new stack over when its tab is chosen or the page entered; the stack
    // depth is shown as soon as it is made.
    newStackPending_ = pipeline_.subscribe([this](PipelineChange change) {
        if (change == PipelineChange::Stack)
            ports_.shell.WaveletTabPending = ports_.shell.WaveletPagePending = true;
        if (change == PipelineChange::StackDepth) showProcessedView();
    });
    connect(page_.Processbutton, &QPushButton::clicked, this, &WaveletController::ProcessButtonClick);
    connect(&parts.tabs, &TabStrip::pageEntering, this, [this](int tab) {
        if (tab == static_cast<int>(TMainTab::tabWavelet) && ports_.shell.WaveletTabPending)
            ProcessButtonClick();
    });
    connect(&parts.pages, &QStackedWidget::currentChanged, this, [this](int) {
        if (parts_.pages.currentWidget() == &page_) TabSheet4Enter();
    });
    connectLayerControls();
    connectColourControls();
    connectFileControls();
    connectViewControls();
    connectRenderControls();
    connectHistogramControls();
    connectCompareControls();
    connectCurveControls();
    hearOtherAreas();
}

void WaveletController::connectLayerControls() {
    WaveletFilterPanel& filter = *parts_.panels.filter;
    connect(page_.Waveletscheme, &TRadioGroup::OnClick, this, &WaveletController::WaveletschemeClick);
    connect(page_.Convolvemethod, &TRadioGroup::OnClick, this, &WaveletController::ConvolvemethodClick);
    connect(page_.LevelStep, &TRxSpinEdit::OnChange, this, &WaveletController::LevelStepChange);
    connect(page_.Multiplicant, &TRxSpinEdit::OnChange, this, &WaveletController::MultiplicantChange);
    for (int n = 1; n <= WaveletLayerCount; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        connect(page_.layerCheckboxes()[i], &TPCheck::OnClick, this, [this, n] { layerCheckboxClick(n); });
        connect(page_.layerSliders()[i], &TRxSlider::OnChange, this, &WaveletController::Layer1sliderChange);
        connect(page_.layerSliders()[i], &TRxSlider::OnChanged, this,
                &WaveletController::Layer1sliderChanged);
        connect(page_.gaussLayers()[i], &TRxSpinEdit::OnChange, this, &WaveletController::Gausslayer1Change);
    }
    connect(page_.Resetbutton, &QPushButton::clicked, this, &WaveletController::ResetButtonClick);
    connect(page_.Autoprocessbox, &TPCheck::OnClick, this, &WaveletController::AutoprocessboxClick);
    for (TRxSlider* slider : {page_.ContrastSlider, page_.BrightnessSlider}) {
        connect(slider, &TRxSlider::OnChange, this, &WaveletController::ContrastSliderChange);
        connect(slider, &TRxSlider::OnChanged, this, &WaveletController::Layer1sliderChanged);
    }
    connect(page_.Processarea, &QComboBox::activated, this, &WaveletController::ProcessareaChange);

    connect(filter.Setwaveletbutton, &QPushButton::clicked, this, &WaveletController::SetwaveletbuttonClick);
    connect(filter.ResetWaveletbutton, &QPushButton::clicked, this,
            &WaveletController::REsetwaveletbuttonClick);
    connect(filter.Filter22(), &TRxSpinEdit::OnChange, this, &WaveletController::Filter22Change);
    connect(filter.Gaussian, &QPushButton::clicked, this, &WaveletController::GaussianClick);
    connect(filter.Setfilterlayers, &QPushButton::clicked, this, &WaveletController::SetFilterlayersClick);
    for (TRxSpinEdit* spin : {filter.Gauss, filter.Gaussstart, filter.Gaussstep}) {
        connect(spin, &TRxSpinEdit::OnChange, this, &WaveletController::SetFilterlayersClick);
    }
}

WaveletProcessOptions WaveletController::processOptions() const {
    return readWaveletProcessOptions(page_, parts_.stack);
}

RenderOptions WaveletController::renderOptions() const {
    return readRenderOptions(page_, parts_.panels);
}

void WaveletController::ProcessButtonClick() {
    const LongOperation operation(ports_.operations);
    if (!operation) return;
    const WaveletProcessOptions options = processOptions();
    ports_.shell.WaveletTabPending = ports_.shell.WaveletPagePending = false;
    page_.savebmp2button->setEnabled(true);
    const BusyCursor busy;
    try {
        const ProcessStart start = pipeline_.process(options, ports_.progress());
        if (!start.stack) return;
        page_.moveProcessedImageToOrigin();
        if (start.decomposed) {
            // The next button to press: "Do All" while it can be used.
            page_.markNextButton(page_.DoAll->isEnabled() ? page_.DoAll : nullptr);
            updateLayerCaptions(options.steps);
            // A new result that nobody saved yet: closing the window asks again.
            ports_.shell.ImageSaved = false;
        }
    } catch (const WaveletError& error) {
        page_.moveProcessedImageToOrigin();
        reportWaveletError(error);
        return;
    }
    Layer1sliderChanged();
    parts_.entries.ShowMemoryUsage();
}

void WaveletController::TabSheet4Enter() {
    if (ports_.shell.WaveletPagePending) ProcessButtonClick();
}

void WaveletController::updateLayerCaptions(const WaveletStepOptions& steps) {
    for (int n = 1; n <= WaveletLayerCount; ++n) {
        page_.layerCheckboxes()[static_cast<std::size_t>(n - 1)]->setCaption(
            QString::fromStdString(layerCaption(steps, n)));
    }
}

void WaveletController::WaveletschemeClick() {
    pipeline_.markLayersDirty();
    const bool linear = page_.Waveletscheme->ItemIndex() == static_cast<int>(TWaveletScheme::Linear);
    page_.LevelStep->setEnabled(linear);
    page_.Multiplicant->setEnabled(linear);
    ProcessButtonClick();
}

void WaveletController::askProcessAfterSetupChange() {
    if (page_.Autoprocessbox->Checked()) {
        ProcessButtonClick();
        return;
    }
    if (setupMessageSilenced_) return;
    MessageRoutine& messages = ports_.messages();
    messages.inform("Wavelet setup changed", "Press Process to update \n\r or set Autoprocess ",
                    "Do not repeat this message");
    if (messages.DoNotRepeat()) setupMessageSilenced_ = true;
}

void WaveletController::LevelStepChange() {
    pipeline_.markLayersDirty();
    updateLayerCaptions(readStepOptions(page_));
    // The message only once the wavelet page can be reached.
    if (page_.Autoprocessbox->Checked() || pipeline_.state().activepage > TMainTab::tabWavelet) {
        askProcessAfterSetupChange();
    }
}

void WaveletController::MultiplicantChange() {
    pipeline_.markLayersDirty();
    updateLayerCaptions(readStepOptions(page_));
    // Restoring the stored values at start-up stays silent.
    if (page_.Autoprocessbox->Checked() || !ports_.shell.StartingUp) askProcessAfterSetupChange();
}

void WaveletController::layerCheckboxClick(int n) {
    ProcessButtonClick();
    const auto i = static_cast<std::size_t>(n - 1);
    page_.layerSliders()[i]->setEnabled(page_.layerCheckboxes()[i]->Checked());
}

void WaveletController::ResetButtonClick() {
    // The steps' own change handlers run as for any new value.
    page_.LevelStep->setValue(1.0);
    page_.Multiplicant->setValue(0.0);
    pipeline_.markLayersDirty();
    for (TRxSlider* slider : page_.layerSliders()) slider->setValue(10);
    ProcessButtonClick();
}

void WaveletController::AutoprocessboxClick() {
    const bool automatic = page_.followAutoProcessing();
    ports_.shell.AutoProcess = automatic;
    storeSetting(ports_.regSettings.get(), "Autoprocess", automatic);
}

void WaveletController::ContrastSliderChange() {
    if (ports_.shell.AutoProcess) Layer1sliderChanged();
}

void WaveletController::ProcessareaChange() {
    pipeline_.changeProcessArea(page_.Processarea->currentIndex(), ports_.messages());
}

KernelSpins WaveletController::readKernelSpins() const {
    KernelSpins spins{};
    const auto& filter = parts_.panels.filter->Filter;
    for (std::size_t i = 0; i < spins.size(); ++i) spins[i] = static_cast<int>(filter[i]->Value());
    return spins;
}

void WaveletController::writeKernelSpins(const KernelSpins& spins) {
    const auto& filter = parts_.panels.filter->Filter;
    for (std::size_t i = 0; i < spins.size(); ++i) filter[i]->setValue(spins[i]);
}

void WaveletController::selectConvolveMethod(TConvolveMethod method) {
    page_.Convolvemethod->setItemIndex(static_cast<int>(method));
    for (TRxSpinEdit* width : page_.gaussLayers()) width->setVisible(method == TConvolveMethod::Gaussian);
    page_.CopyConvolveMethod->setItemIndex(static_cast<int>(method));
}

void WaveletController::SetwaveletbuttonClick() {
    selectConvolveMethod(TConvolveMethod::Default);
    pipeline_.markLayersDirty();
    parts_.panels.filter->CentreWavelet->setText(
        QString::fromStdString(pipeline_.setWaveletKernel(readKernelSpins())));
    ProcessButtonClick();
}

void WaveletController::REsetwaveletbuttonClick() {
    writeKernelSpins(defaultKernelSpins());
    SetwaveletbuttonClick();
}

void WaveletController::Filter22Change() {
    const TRxSpinEdit& centre = *parts_.panels.filter->Filter22();
    if (!centre.text().isEmpty()) {
        parts_.panels.filter->Waveletcentrelabel->setText("Wavelet centre: " + centre.text());
    }
}

void WaveletController::GaussianClick() {
    WaveletFilterPanel& panel = *parts_.panels.filter;
    selectConvolveMethod(TConvolveMethod::Gaussian);
    // The working image is composed again by "Process", which finds the layers out of date.
    pipeline_.markLayersDirty();
    panel.CentreGaussian->setText(QString::fromStdString(
        pipeline_.buildGaussianLayers(static_cast<float>(panel.Gauss->Value()), gaussWidths(page_))));
    ProcessButtonClick();
}

void WaveletController::SetFilterlayersClick() {
    WaveletFilterPanel& panel = *parts_.panels.filter;
    const FilterLayerWidths widths = SetFilterLayers(static_cast<float>(panel.Gauss->Value()),
                                                     static_cast<float>(panel.Gaussstart->Value()),
                                                     static_cast<float>(panel.Gaussstep->Value()));
    {
        const QSignalBlocker quiet(panel.Gauss);
        panel.Gauss->setValue(widths.Gauss);
    }
    // The six widths are written first and the Gaussian built once from all of them.
    gaussLayersHeld_ = true;
    for (std::size_t i = 0; i < widths.Gausslayer.size(); ++i)
        page_.gaussLayers()[i]->setValue(widths.Gausslayer[i]);
    gaussLayersHeld_ = false;
    GaussianClick();
}

void WaveletController::Gausslayer1Change() {
    if (!gaussLayersHeld_) GaussianClick();
}

void WaveletController::ConvolvemethodClick() {
    // Each handler shows or hides the width edits and copies the choice.
    if (convolveMethodOf(*page_.Convolvemethod) == TConvolveMethod::Gaussian) {
        GaussianClick();
    } else {
        SetwaveletbuttonClick();
    }
    Layer1sliderChange();
}

void WaveletController::applyWaveletScheme(const WaveletScheme& scheme) {
    const WaveletScheme before = readWaveletScheme(page_);
    // The scheme and filter choices and the widths are set quietly and their handlers' work is done
    // once below: run one by one, the width edits would switch a "Default" scheme to the Gaussian
    // filter. The steps and the layer sliders follow with their own handlers, as when typed.
    {
        std::vector<std::unique_ptr<QSignalBlocker>> quiet;
        for (TRxSpinEdit* width : page_.gaussLayers())
            quiet.push_back(std::make_unique<QSignalBlocker>(width));
        page_.Waveletscheme->setItemIndex(static_cast<int>(scheme.Waveletscheme));
        page_.Convolvemethod->setItemIndex(static_cast<int>(scheme.Convolvemethod));
        page_.CopyConvolveMethod->setItemIndex(static_cast<int>(scheme.Convolvemethod));
        for (std::size_t i = 0; i < WaveletLayerCount; ++i) {
            page_.layerCheckboxes()[i]->setChecked(scheme.layerChecked[i]);
            page_.layerSliders()[i]->setEnabled(scheme.layerChecked[i]);
            page_.gaussLayers()[i]->setValue(scheme.Gausslayer[i]);
            page_.gaussLayers()[i]->setVisible(scheme.Convolvemethod == TConvolveMethod::Gaussian);
        }
    }
    const bool linear = scheme.Waveletscheme == TWaveletScheme::Linear;
    page_.LevelStep->setEnabled(linear);
    page_.Multiplicant->setEnabled(linear);

    // A filter that was chosen anew goes into use; so does a Gaussian whose widths changed.
    const bool methodChanged = scheme.Convolvemethod != before.Convolvemethod;
    const bool widthsChanged =
        scheme.Convolvemethod == TConvolveMethod::Gaussian && scheme.Gausslayer != before.Gausslayer;
    WaveletFilterPanel& panel = *parts_.panels.filter;
    if (scheme.Convolvemethod == TConvolveMethod::Gaussian && (methodChanged || widthsChanged)) {
        panel.CentreGaussian->setText(QString::fromStdString(
            pipeline_.buildGaussianLayers(static_cast<float>(panel.Gauss->Value()), gaussWidths(page_))));
    } else if (scheme.Convolvemethod == TConvolveMethod::Default && methodChanged) {
        panel.CentreWavelet->setText(QString::fromStdString(pipeline_.setWaveletKernel(readKernelSpins())));
    }
    pipeline_.markLayersDirty();
    // A new scheme or filter is processed at once, as choosing it by hand does.
    if (scheme.Waveletscheme != before.Waveletscheme || methodChanged || widthsChanged) ProcessButtonClick();

    page_.LevelStep->setValue(scheme.LevelStep);
    page_.Multiplicant->setValue(scheme.Multiplicant);
    updateLayerCaptions(readStepOptions(page_));
    for (std::size_t i = 0; i < WaveletLayerCount; ++i)
        page_.layerSliders()[i]->setValue(scheme.layerSlider[i]);
}

void WaveletController::reportWaveletError(const std::exception& error) {
    ports_.messages().error("Wavelet processing", error.what());
}

// --- What the page shows after the operations of other areas -------------------------------------

void WaveletController::hearOtherAreas() {
    otherAreasHeard_ = pipeline_.subscribe([this](PipelineChange change) {
        switch (change) {
            case PipelineChange::Input:
                return showTakenInput();
            case PipelineChange::Colour:
                return showColourChoice();
            case PipelineChange::Drizzle:
                return page_.setDrizzled(pipeline_.drizzled());
            case PipelineChange::StackRun:
                // A new stack: the view is neither fitted nor resized.
                return page_.leaveFittedView();
            case PipelineChange::Stack:
                // FITS luminance frames were stacked into their own plane: the page uses it.
                if (pipeline_.stack().result.luminanceStacked) page_.useLuminanceStack();
                return;
            case PipelineChange::Wavelet:
                return page_.setLayerValues(restoredLayerValues());
            default:
                return;
        }
    });
    // The user's choice of the drizzle-sized canvas is the run's.
    connect(page_.Drizzle2, &TPCheck::OnClick, this,
            [this] { pipeline_.setDrizzled(page_.Drizzle2->Checked()); });
    connect(&parts_.tabs, &TabStrip::pageShown, this, [this](int tab) {
        if (tab != static_cast<int>(TMainTab::tabWavelet) || !centreOnShow_) return;
        centreOnShow_ = false;
        page_.centreView();
    });
    // Closing one of the page's tool windows (or the resize or zoom view) releases its control.
    page_.releaseControlsOnClose(parts_.tools);
}

void WaveletController::showTakenInput() {
    // Nothing of the last input stays: the view unfitted, the balance, the shifts, the layers and
    // (unless held) the tone at their start.
    page_.setProcessedViewFitted(false);
    // Dropped files keep them.
    if (!pipeline_.input().takenByDrop) {
        parts_.panels.rgbBalance->resetForNewInput();
        if (page_.resetForNewInput()) parts_.panels.gamma->resetDisplayGamma();
    }
    // A single image goes straight to processing: it may be saved, in colour when it is coloured,
    // and it shows centred once its page is up.
    centreOnShow_ = pipeline_.model().SingleImage;
    if (!pipeline_.model().SingleImage) return;
    if (colourimage(pipeline_.input().PreviewBitmap)) page_.setColourProcessing(true);
    page_.allowSaving();
}

void WaveletController::showColourChoice() {
    const ColourChoice& choice = pipeline_.colourChoice();
    switch (choice.by) {
        case ColourChoice::By::Input:
            page_.setColourProcessing(choice.colour);
            page_.allowLrgb(choice.colour);
            break;
        case ColourChoice::By::Debayering:
            page_.enableColourProcessing();
            break;
        case ColourChoice::By::User:
            page_.followColourChoice(choice.colour);
            break;
    }
}

WaveletLayerValues WaveletController::restoredLayerValues() const {
    const ProjectWavelet& w = pipeline_.restoredWavelet();
    return {w.layer, w.initial, w.step, w.scaletype, w.contrast, w.brightness};
}

}  // namespace kestrave
