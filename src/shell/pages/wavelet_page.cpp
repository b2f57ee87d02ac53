#include "shell/pages/wavelet_page.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <cmath>
#include <tuple>

#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "shell/tool_windows.h"
#include "widgets/check_box.h"
#include "widgets/event_scroll_box.h"
#include "widgets/radio_group.h"
#include "widgets/rect_shape.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

constexpr int ColumnWidth = 340;

TPCheck* checkedOption(QWidget* parent, const char* objectName, const char* caption) {
    TPCheck* check = optionCheck(parent, objectName, caption);
    check->setChecked(true);
    return check;
}

QWidget* optionTab(QTabWidget* pages, const char* objectName, const char* caption) {
    auto* tab = named(new QWidget(pages), objectName);
    pages->addTab(tab, QString::fromUtf8(caption));
    return tab;
}

}  // namespace

WaveletPage::WaveletPage(QWidget* parent) : QWidget(parent) {
    setObjectName("WaveletPage");
    glPageControl4 = optionPages(this, "glPageControl4");
    buildLayersTab();
    buildContrastTab();
    buildShiftTab();
    buildLrgbTab();
    buildAreaTab();
    buildActions();
    buildDeveloperControls();
    layOutPage();
    connect(Resizebutton, &QToolButton::clicked, this, &WaveletPage::resizeViewToggled);
    connect(Showstackcount, &QToolButton::clicked, this, &WaveletPage::stackDepthToggled);
    connect(ProcessViewfull, &TPCheck::OnClick, this, &WaveletPage::processedViewFitToggled);
    connect(savebmp2button, &QToolButton::clicked, this, &WaveletPage::saveRequested);
    Scrollbox3->installEventFilter(this);
    auto* scrolling = static_cast<TEventScrollBox*>(Scrollbox3);
    connect(scrolling, &TEventScrollBox::OnScrollHorz, this, &WaveletPage::Scrollbox3ScrollHorz);
    connect(scrolling, &TEventScrollBox::OnScrollVert, this, &WaveletPage::Scrollbox3ScrollVert);
}

// Layers and scheme.
void WaveletPage::buildLayersTab() {
    QWidget* layers = optionTab(glPageControl4, "TabWaveletLayers", "Wavelets");
    Waveletscheme = radioGroup(layers, "Waveletscheme", "Wavelet scheme", {"Dyadic (2^n)", "Linear"}, 1);
    LevelStep = integerSpin(layers, "LevelStep", 1, 32, 1);
    Multiplicant = integerSpin(layers, "Multiplicant", 0, 32, 0);
    Convolvemethod = radioGroup(layers, "Convolvemethod", "Wavelet filter", {"Default", "Gaussian"}, 0);
    CopyConvolveMethod =
        radioGroup(layers, "CopyConvolveMethod", "Wavelet filter", {"Default", "Gaussian"}, 0);
    CopyConvolveMethod->hide();
    Layer1checkbox = checkedOption(layers, "Layer1checkbox", "1:");
    Layer2checkbox = checkedOption(layers, "Layer2checkbox", "2:");
    Layer3checkbox = checkedOption(layers, "Layer3checkbox", "3:");
    layer4checkbox = checkedOption(layers, "layer4checkbox", "4:");
    layer5checkbox = checkedOption(layers, "layer5checkbox", "5:");
    layer6checkbox = checkedOption(layers, "layer6checkbox", "6:");
    Layer1slider = rangeSlider(layers, "Layer1slider", -50, 1000, 10);
    Layer2slider = rangeSlider(layers, "Layer2slider", -50, 1000, 10);
    Layer3slider = rangeSlider(layers, "Layer3slider", -50, 1000, 10);
    Layer4slider = rangeSlider(layers, "Layer4slider", -50, 1000, 10);
    Layer5slider = rangeSlider(layers, "Layer5slider", -50, 1000, 10);
    Layer6slider = rangeSlider(layers, "Layer6slider", -50, 1000, 10);
    // The layer weights follow the pointer freely and draw no ticks.
    for (TRxSlider* layer :
         {Layer1slider, Layer2slider, Layer3slider, Layer4slider, Layer5slider, Layer6slider})
        layer->setOptions(TRxSlider::soShowFocus | TRxSlider::soSmooth);
    layer1button = pushButton(layers, "layer1button", "1.0");
    layer2button = pushButton(layers, "layer2button", "1.0");
    layer3button = pushButton(layers, "layer3button", "1.0");
    layer4button = pushButton(layers, "layer4button", "1.0");
    layer5button = pushButton(layers, "layer5button", "1.0");
    layer6button = pushButton(layers, "layer6button", "1.0");
    Gausslayer1 = floatSpin(layers, "Gausslayer1", 0, 0, 0.01, 0.1, 2);
    Gausslayer2 = floatSpin(layers, "Gausslayer2", 0, 0, 0.01, 0.1, 2);
    Gausslayer3 = floatSpin(layers, "Gausslayer3", 0, 0, 0.01, 0.1, 2);
    Gausslayer4 = floatSpin(layers, "Gausslayer4", 0, 0, 0.01, 0.1, 2);
    Gausslayer5 = floatSpin(layers, "Gausslayer5", 0, 0, 0.01, 0.1, 2);
    Gausslayer6 = floatSpin(layers, "Gausslayer6", 0, 0, 0.01, 0.1, 2);
    Resetbutton = speedButton(layers, "Resetbutton", "Reset");
    loadschemebutton = speedButton(layers, "loadschemebutton", "Load\r\nScheme");
    saveschembutton = speedButton(layers, "saveschembutton", "Save\r\nScheme");
    HoldWavelets = optionCheck(layers, "HoldWavelets", "Hold wavelets");
    auto* layersLayout = new QVBoxLayout(layers);
    compact(layersLayout, 4);
    auto* layerGrid = new QGridLayout;
    compact(layerGrid, 0);
    for (int i = 0; i < 6; ++i) {
        layerGrid->addWidget(layerCheckboxes()[i], i + 1, 0);
        layerGrid->addWidget(layerSliders()[i], i + 1, 1);
        layerGrid->addWidget(layerButtons()[i], i + 1, 2);
        layerGrid->addWidget(gaussLayers()[i], i + 1, 3);
        layerButtons()[i]->setFixedWidth(44);
        gaussLayers()[i]->setMaximumWidth(64);
        // The widths belong to the Gaussian filter, which is not the one chosen at first.
        gaussLayers()[i]->hide();
    }
    layerGrid->setColumnStretch(1, 1);
    // The Gaussian widths' column has a caption of its own while it shows.
    layerGrid->addWidget(named(caption(layers, "Width", Gausslayer1), "Gaussianlabel"), 0, 3);
    layersLayout->addLayout(layerGrid);
    for (TRxSpinEdit* spin : {LevelStep, Multiplicant}) spin->setMaximumWidth(64);
    auto* scheme = new QHBoxLayout;
    scheme->addWidget(Waveletscheme, 1);
    scheme->addWidget(Convolvemethod, 1);
    layersLayout->addLayout(scheme);
    layersLayout->addLayout(
        controlRow({caption(layers, "Step"), LevelStep, caption(layers, "Increment"), Multiplicant}));
    layersLayout->addLayout(controlRow({Resetbutton, loadschemebutton, saveschembutton}));
    layersLayout->addWidget(HoldWavelets);
    layersLayout->addStretch(1);
}

// Contrast and brightness.
void WaveletPage::buildContrastTab() {
    QWidget* contrast = optionTab(glPageControl4, "TabContrast", "Contrast");
    ContrastSlider = rangeSlider(contrast, "ContrastSlider", 10, 1000, 250);
    ContrastSlider->setOptions(TRxSlider::soShowFocus);
    BrightnessSlider = rangeSlider(contrast, "BrightnessSlider", -512, 512, 0);
    Contrastlevel = integerSpin(contrast, "Contrastlevel", 4, 400, 100);
    Brightnesslevel = integerSpin(contrast, "Brightnesslevel", -127, 128, 0);
    Contrastreset = speedButton(contrast, "Contrastreset", "Reset");
    HoldContrastBrightness = optionCheck(contrast, "HoldContrastBrightness", "Hold contrast/brightness");
    auto* contrastLayout = new QVBoxLayout(contrast);
    compact(contrastLayout, 4);
    auto* contrastGrid = new QGridLayout;
    compact(contrastGrid, 0);
    contrastGrid->addWidget(caption(contrast, "Contrast"), 0, 0);
    contrastGrid->addWidget(ContrastSlider, 0, 1);
    contrastGrid->addWidget(Contrastlevel, 0, 2);
    contrastGrid->addWidget(caption(contrast, "Brightness"), 1, 0);
    contrastGrid->addWidget(BrightnessSlider, 1, 1);
    contrastGrid->addWidget(Brightnesslevel, 1, 2);
    contrastGrid->setColumnStretch(1, 1);
    for (TRxSpinEdit* spin : {Contrastlevel, Brightnesslevel}) spin->setMaximumWidth(70);
    contrastLayout->addLayout(contrastGrid);
    contrastLayout->addLayout(controlRow({Contrastreset, HoldContrastBrightness}));
    contrastLayout->addStretch(1);
}

// RGB shift.
void WaveletPage::buildShiftTab() {
    RGBSHIFT = optionTab(glPageControl4, "RGBSHIFT", "RGB shift");
    RDXSpin = integerSpin(RGBSHIFT, "RDXSpin", 0, 0, 0);
    RdySpin = integerSpin(RGBSHIFT, "RdySpin", 0, 0, 0);
    BDXspin = integerSpin(RGBSHIFT, "BDXspin", 0, 0, 0);
    BDYSpin = integerSpin(RGBSHIFT, "BDYSpin", 0, 0, 0);
    upl = pushButton(RGBSHIFT, "upl", "Up");
    dnl = pushButton(RGBSHIFT, "dnl", "Dn");
    ltl = pushButton(RGBSHIFT, "ltl", "Lt");
    rtl = pushButton(RGBSHIFT, "rtl", "Rt");
    upr = pushButton(RGBSHIFT, "upr", "Up");
    dnr = pushButton(RGBSHIFT, "dnr", "Dn");
    ltr = pushButton(RGBSHIFT, "ltr", "Lt");
    rtr = pushButton(RGBSHIFT, "rtr", "Rt");
    RGBShifter = speedButton(RGBSHIFT, "RGBShifter", "Auto");
    RGBshiftactive = optionCheck(RGBSHIFT, "RGBshiftactive", "Show Area");
    RGBshiftset = optionCheck(RGBSHIFT, "RGBshiftset", "Define Area");
    setrgbareacheckbox = optionCheck(RGBSHIFT, "setrgbareacheckbox", "Move Area");
    Showred = checkedOption(RGBSHIFT, "Showred", "Red");
    Showgreen = checkedOption(RGBSHIFT, "Showgreen", "Green");
    Showblue = checkedOption(RGBSHIFT, "Showblue", "Blue");
    resetrgbbutton = speedButton(RGBSHIFT, "resetrgbbutton", "Reset");
    Colourprocess2 = optionCheck(RGBSHIFT, "Colourprocess2", "Colour");
    for (TRxSpinEdit* spin : {RDXSpin, RdySpin, BDXspin, BDYSpin}) spin->setMaximumWidth(64);
    for (QPushButton* nudge : {upl, dnl, ltl, rtl, upr, dnr, ltr, rtr}) nudge->setFixedWidth(34);
    auto* shiftLayout = new QVBoxLayout(RGBSHIFT);
    compact(shiftLayout, 4);
    for (const auto& [colour, x, y, up, down, left, right] :
         {std::tuple{"Red shift x", RDXSpin, RdySpin, upl, dnl, ltl, rtl},
          std::tuple{"Blue shift x", BDXspin, BDYSpin, upr, dnr, ltr, rtr}}) {
        shiftLayout->addLayout(controlRow({caption(RGBSHIFT, colour), x, caption(RGBSHIFT, "y"), y}));
        shiftLayout->addLayout(controlRow({up, down, left, right}));
    }
    shiftLayout->addLayout(controlRow({RGBShifter, resetrgbbutton}));
    shiftLayout->addLayout(controlRow({RGBshiftactive, RGBshiftset, setrgbareacheckbox}));
    shiftLayout->addLayout(controlRow({Colourprocess2, Showred, Showgreen, Showblue}));
    shiftLayout->addStretch(1);
}

// LRGB and the luminance formula.
void WaveletPage::buildLrgbTab() {
    QWidget* lrgb = optionTab(glPageControl4, "TabLRGB", "LRGB");
    LRGB2 = optionCheck(lrgb, "LRGB2", "LRGB");
    LRGBmixer = named(new QGroupBox("L= R+G+B mixer", lrgb), "LRGBmixer");
    RedLRGBslider = rangeSlider(LRGBmixer, "RedLRGBslider", 1, 1000, 299);
    GreenLRGBSlider = rangeSlider(LRGBmixer, "GreenLRGBSlider", 1, 1000, 587);
    BlueLRGBSlider = rangeSlider(LRGBmixer, "BlueLRGBSlider", 1, 1000, 114);
    auto* mixerLayout = new QVBoxLayout(LRGBmixer);
    for (TRxSlider* slider : {RedLRGBslider, GreenLRGBSlider, BlueLRGBSlider}) {
        slider->setOptions(TRxSlider::soShowFocus);
        mixerLayout->addWidget(slider);
    }
    LRGBmixer->hide();
    Lumichannel = optionCheck(lrgb, "Lumichannel", "Use Luminance (fits)");
    Lumichannel->hide();
    RxSpinEdit1 = floatSpin(lrgb, "RxSpinEdit1", 0, 1, 0.1, 0.299, 3);
    RxSpinEdit2 = floatSpin(lrgb, "RxSpinEdit2", 0, 1, 0.1, 0.587, 3);
    RxSpinEdit3 = floatSpin(lrgb, "RxSpinEdit3", 0, 1, 0.1, 0.114, 3);
    Resetluminanceformula = speedButton(lrgb, "Resetluminanceformula", "Reset");
    for (TRxSpinEdit* spin : {RxSpinEdit1, RxSpinEdit2, RxSpinEdit3}) spin->setMaximumWidth(70);
    auto* lrgbLayout = new QVBoxLayout(lrgb);
    compact(lrgbLayout, 4);
    lrgbLayout->addLayout(controlRow({LRGB2, Lumichannel}));
    lrgbLayout->addWidget(LRGBmixer);
    lrgbLayout->addWidget(
        named(caption(lrgb, "Luminance formula of the registration"), "Luminancecalclabel"));
    lrgbLayout->addLayout(controlRow(
        {caption(lrgb, "R"), RxSpinEdit1, caption(lrgb, "G"), RxSpinEdit2, caption(lrgb, "B"), RxSpinEdit3}));
    lrgbLayout->addLayout(controlRow({Resetluminanceformula}));
    lrgbLayout->addStretch(1);
}

// Processing area.
void WaveletPage::buildAreaTab() {
    QWidget* area = optionTab(glPageControl4, "TabProcessArea", "Area");
    Processarea = named(new QComboBox(area), "Processarea");
    Processarea->addItems({"2048", "1024", "512", "256", "128"});
    Processarea->setCurrentIndex(2);
    HoldProcesarea = optionCheck(area, "HoldProcesarea", "Hold processing area");
    Showprocessingarea = optionCheck(area, "Showprocessingarea", "Show processing area");
    Drizzle2 = optionCheck(area, "Drizzle2", "Drizzle");
    auto* areaLayout = new QVBoxLayout(area);
    compact(areaLayout, 4);
    areaLayout->addLayout(
        controlRow({named(caption(area, "Processing area"), "Processingarealabel"), Processarea}));
    areaLayout->addWidget(HoldProcesarea);
    areaLayout->addWidget(Showprocessingarea);
    areaLayout->addWidget(Drizzle2);
    areaLayout->addStretch(1);
}

void WaveletPage::buildActions() {
    Processbutton = speedButton(this, "Processbutton", "Process");
    DoAll = speedButton(this, "DoAll", "Do All");
    Showbuttonp3 = shape(this, "Showbuttonp3", 20, 4, {}, 1);
    markButton(*Showbuttonp3, *Processbutton);
    Autoprocessbox = optionCheck(this, "Autoprocessbox", "Auto process");
    savebmp2button = speedButton(this, "savebmp2button", "Save");
    ProcessViewfull = optionCheck(this, "ProcessViewfull", "Fit");
    ZoomWavelet = optionCheck(this, "ZoomWavelet", "Show Zoomed");

    // Each view switch is a group of its own that allows all up: it stays down while its window
    // or view is shown, and pressing one never raises another.
    Gammaspeedbutton = speedButton(this, "Gammaspeedbutton", "Gamma", 2);
    Histogramspeedbutton = speedButton(this, "Histogramspeedbutton", "Histogram", 3);
    RGBbalancespeedbutton = speedButton(this, "RGBbalancespeedbutton", "RGB balance", 4);
    Waveletfilterspeedbutton = speedButton(this, "Waveletfilterspeedbutton", "Filter", 5);
    Tonemapspeedbutton = speedButton(this, "Tonemapspeedbutton", "Tone map", 6);
    Resizebutton = speedButton(this, "Resizebutton", "Resize", 7);
    Showstackcount = speedButton(this, "Showstackcount", "View\r\nStacksize", 8);
}

void WaveletPage::buildDeveloperControls() {
    Clipcopy = speedButton(this, "Clipcopy", "Copy\r\nto Clipboard");
    Differ = speedButton(this, "Differ", "Difference \r\nwith Clipboard");
    RadioGroup1 = radioGroup(this, "RadioGroup1", "Toggle", {"Current Image", "Clipboard Image"}, 0);
    RadioGroup1->setEnabled(false);
    for (QWidget* developer : std::initializer_list<QWidget*>{Clipcopy, Differ, RadioGroup1})
        developer->setVisible(false);
}

void WaveletPage::layOutPage() {
    const ImageBox processed = imageBox(this, "Scrollbox3", "ProcessImage", new TEventScrollBox(this));
    Scrollbox3 = processed.box;
    ProcessImage = processed.image;

    // The processed view with the step's options beside it: the option tabs, the view, the tool
    // windows, and Process, Do All and Save at the bottom.
    const PageFrame frame = pictureAndColumn(this, ColumnWidth);
    frame.picture->addWidget(Scrollbox3, 1);
    QWidget* column = frame.column->parentWidget();
    frame.column->addWidget(glPageControl4, 1);
    frame.column->addWidget(
        named(captionedGroup(column, "View", controlRow({ProcessViewfull, ZoomWavelet, Autoprocessbox})),
              "Waveletimagelabel"));
    frame.column->addWidget(
        named(captionedGroup(column, "Tool windows",
                             controlGrid({{Gammaspeedbutton, Histogramspeedbutton, RGBbalancespeedbutton},
                                          {Waveletfilterspeedbutton, Tonemapspeedbutton, Resizebutton},
                                          {Showstackcount}})),
              "Waveletfunctionslabel"));
    frame.column->addLayout(controlRow({Clipcopy, Differ}));
    frame.column->addWidget(RadioGroup1);
    auto* actions =
        named(captionedGroup(column, "Processing", controlRow({Processbutton, DoAll, savebmp2button})),
              "WaveProcesslabel");
    actions->setProperty(ActionButtonsProperty, true);
    frame.column->addWidget(actions);
}

std::array<TPCheck*, 6> WaveletPage::layerCheckboxes() const {
    return {Layer1checkbox, Layer2checkbox, Layer3checkbox, layer4checkbox, layer5checkbox, layer6checkbox};
}

std::array<TRxSlider*, 6> WaveletPage::layerSliders() const {
    return {Layer1slider, Layer2slider, Layer3slider, Layer4slider, Layer5slider, Layer6slider};
}

std::array<QPushButton*, 6> WaveletPage::layerButtons() const {
    return {layer1button, layer2button, layer3button, layer4button, layer5button, layer6button};
}

std::array<TRxSpinEdit*, 6> WaveletPage::gaussLayers() const {
    return {Gausslayer1, Gausslayer2, Gausslayer3, Gausslayer4, Gausslayer5, Gausslayer6};
}

// --- What other parts of the window read or set here -------------------------------------------

void WaveletPage::setProcessedViewFitted(bool fitted) {
    ProcessViewfull->setChecked(fitted);
}

bool WaveletPage::resetForNewInput() {
    Lumichannel->hide();
    Lumichannel->setChecked(false);
    for (TRxSpinEdit* shift : {RDXSpin, RdySpin, BDXspin, BDYSpin}) shift->setValue(0);
    moveProcessedImageToOrigin();
    if (!HoldWavelets->Checked()) {
        for (TRxSlider* layer : layerSliders()) layer->setValue(10);
    }
    const bool toneReset = !HoldContrastBrightness->Checked();
    if (toneReset) {
        ContrastSlider->setValue(250);
        BrightnessSlider->setValue(0);
    }
    for (TPCheck* layer : layerCheckboxes()) layer->setChecked(true);
    return toneReset;
}

void WaveletPage::setColourProcessing(bool colour) {
    Colourprocess2->setChecked(colour);
}

void WaveletPage::followColourChoice(bool colour) {
    Colourprocess2->setChecked(colour);
    emit colourChoiceFollowed(colour);
}

void WaveletPage::enableColourProcessing() {
    Colourprocess2->setEnabled(true);
    Colourprocess2->setChecked(true);
}

void WaveletPage::allowLrgb(bool allowed) {
    LRGB2->setEnabled(allowed);
}

void WaveletPage::offerLuminance() {
    Lumichannel->show();
    LRGB2->setChecked(true);
}

void WaveletPage::allowSaving() {
    savebmp2button->setEnabled(true);
}

void WaveletPage::centreView() {
    for (QScrollBar* bar : {Scrollbox3->horizontalScrollBar(), Scrollbox3->verticalScrollBar()})
        bar->setValue((bar->maximum() - bar->minimum()) / 2 - bar->pageStep() / 2);
}

void WaveletPage::Scrollbox3ScrollHorz() {
    ProcessImage->update();
}

void WaveletPage::Scrollbox3ScrollVert() {
    ProcessImage->update();
}

void WaveletPage::setDrizzled(bool drizzled) {
    Drizzle2->setChecked(drizzled);
}

void WaveletPage::useLuminanceStack() {
    Lumichannel->setChecked(true);
    for (TRxSlider* slider : {RedLRGBslider, GreenLRGBSlider, BlueLRGBSlider}) slider->setEnabled(false);
}

void WaveletPage::leaveFittedView() {
    const bool fitted = ProcessViewfull->Checked();
    ProcessViewfull->setChecked(false);
    Resizebutton->setChecked(false);
    if (fitted) emit processedViewFitToggled();
}

void WaveletPage::refitProcessedView() {
    emit fittedPictureChanged();
}

void WaveletPage::scrollToOrigin() {
    Scrollbox3->horizontalScrollBar()->setValue(0);
    Scrollbox3->verticalScrollBar()->setValue(0);
}

void WaveletPage::moveProcessedImageToOrigin() {
    // The box places the picture: at its origin, or in its middle when the picture is smaller.
    // Setting the alignment makes it place the picture again now; a picture moved by hand would
    // stay where it was put until the box or the picture changed size.
    Scrollbox3->setAlignment(Scrollbox3->alignment());
}

bool WaveletPage::processedViewFitted() const {
    return ProcessViewfull->Checked();
}

float WaveletPage::fitProcessedImage(bool fitted) {
    return fitImage(*ProcessImage, *Scrollbox3, fitted);
}

void WaveletPage::restoreFilterChoice() {
    Convolvemethod->setItemIndex(CopyConvolveMethod->ItemIndex());
}

bool WaveletPage::followAutoProcessing() {
    const bool automatic = Autoprocessbox->Checked();
    Processbutton->setEnabled(!automatic);
    Showbuttonp3->setVisible(Processbutton->isEnabled());
    return automatic;
}

void WaveletPage::markNextButton(QWidget* button) {
    const bool hidden = Showbuttonp3->isHidden();
    markButton(*Showbuttonp3, button != nullptr ? *button : *Processbutton);
    Showbuttonp3->setHidden(hidden);
}

void WaveletPage::takeContinueButton(QWidget& button) {
    auto* row = qobject_cast<QBoxLayout*>(Processbutton->parentWidget()->layout());
    if (row) row->insertWidget(row->indexOf(savebmp2button) + 1, &button);
}

WaveletSaveValues WaveletPage::saveValues() const {
    return {Colourprocess2->Checked(), layerValues()};
}

WaveletLayerValues WaveletPage::layerValues() const {
    const auto rounded = [](long double value) {
        return static_cast<int>(std::lrint(static_cast<double>(value)));
    };
    WaveletLayerValues values;
    const auto sliders = layerSliders();
    for (std::size_t n = 0; n < values.layers.size(); ++n) values.layers[n] = sliders[n]->Value();
    values.initial = rounded(LevelStep->Value());
    values.step = rounded(Multiplicant->Value());
    values.scheme = Waveletscheme->ItemIndex();
    values.contrast = ContrastSlider->Value();
    values.brightness = BrightnessSlider->Value();
    return values;
}

void WaveletPage::setLayerValues(const WaveletLayerValues& values) {
    const auto sliders = layerSliders();
    for (std::size_t n = 0; n < values.layers.size(); ++n) sliders[n]->setValue(values.layers[n]);
    LevelStep->setValue(values.initial);
    Multiplicant->setValue(values.step);
    Waveletscheme->setItemIndex(values.scheme);
    ContrastSlider->setValue(values.contrast);
    BrightnessSlider->setValue(values.brightness);
}

std::vector<std::pair<QAbstractButton*, ToolWindow*>> WaveletPage::toolWindowButtons(
    const ToolWindows& tools) const {
    return {
        {Gammaspeedbutton, tools.Gammawindow},         {Histogramspeedbutton, tools.HistoWindow},
        {RGBbalancespeedbutton, tools.HistoRGBWindow}, {Waveletfilterspeedbutton, tools.Filterwindow},
        {Tonemapspeedbutton, tools.Tonemapwindow},
    };
}

void WaveletPage::releaseControlsOnClose(const ToolWindows& tools) {
    std::vector<std::pair<QAbstractButton*, ToolWindow*>> buttons = toolWindowButtons(tools);
    buttons.emplace_back(Resizebutton, tools.Shrinkview);
    for (const auto& [button, window] : buttons)
        connect(window, &ToolWindow::OnRollClose, this, [button = button] { button->setChecked(false); });
    connect(tools.WaveZoom, &ToolWindow::OnRollClose, this, [this] { ZoomWavelet->setChecked(false); });
}

bool WaveletPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Scrollbox3 && event->type() == QEvent::Resize) emit processedViewResized();
    return QWidget::eventFilter(watched, event);
}

void WaveletPage::showDeveloperControls() {
    for (QWidget* control :
         {static_cast<QWidget*>(Clipcopy), static_cast<QWidget*>(Differ), static_cast<QWidget*>(RadioGroup1)})
        control->setVisible(true);
}

void WaveletPage::hideDeveloperControls() {
    for (QWidget* control : {static_cast<QWidget*>(Differ), static_cast<QWidget*>(RadioGroup1)})
        control->setVisible(false);
}

}  // namespace kestrave
