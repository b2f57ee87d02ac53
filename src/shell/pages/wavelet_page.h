#pragma once
// The "Wavelet" tab page: builds its controls; the handlers live in the controllers. The option
// groups sit on the tabs of glPageControl4: the wavelet layers and scheme, contrast and
// brightness, the RGB shift, LRGB and the luminance formula, and the processing area.

#include <QWidget>
#include <array>
#include <utility>
#include <vector>

#include "widgets/speed_button.h"  // handlers hold the speed buttons as the tool buttons they are

class QAbstractButton;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QTabWidget;

namespace kestrave {

class TRectShape;
class TPCheck;
class TRadioGroup;
class TRxSlider;
class TRxSpinEdit;
class ToolWindow;
class StackPage;
struct RenderOptions;
struct ShiftSpins;
struct ToolWindows;
struct WaveletProcessOptions;
struct WaveletScheme;
struct WaveletStepOptions;
struct WaveletToolPanels;

// The layer weights, the layer steps and the tone of the rendering, as a project keeps them.
struct WaveletLayerValues {
    std::array<int, 6> layers{10, 10, 10, 10, 10, 10};  // Layer1slider..Layer6slider
    int initial = 1;                                    // LevelStep, rounded
    int step = 0;                                       // Multiplicant, rounded
    int scheme = 0;                                     // Waveletscheme's item
    int contrast = 250;                                 // ContrastSlider
    int brightness = 0;                                 // BrightnessSlider
};

// What a save of the processed picture takes from the page: colour or black and white, and the
// layer values its stamp names.
struct WaveletSaveValues {
    bool colour = false;
    WaveletLayerValues layers;
};

class WaveletPage : public QWidget {
    Q_OBJECT
public:
    explicit WaveletPage(QWidget* parent = nullptr);
    // The wavelet area owns this page. Only that area's controllers (the friends below) reach its controls;
    // the rest of the window uses its functions.
    friend class WaveletController;

    friend class Startup;  // the window's start-up restores and sets its controls
    // The wavelet area's readers of the page's options.
    friend WaveletStepOptions readStepOptions(const WaveletPage& page);
    friend WaveletProcessOptions readWaveletProcessOptions(const WaveletPage& page, const StackPage& stack);
    friend WaveletScheme readWaveletScheme(const WaveletPage& page);
    friend RenderOptions readRenderOptions(const WaveletPage& page, const WaveletToolPanels& panels);
    friend ShiftSpins readShiftSpins(const WaveletPage& page);

private:
    QTabWidget* glPageControl4;

    // Layers and scheme.
    TRadioGroup* Waveletscheme;       // "Dyadic (2^n)", "Linear": the layer step rule
    TRxSpinEdit* LevelStep;           // linear scheme: step of layer 1 (1..32)
    TRxSpinEdit* Multiplicant;        // linear scheme: step increment per layer (0..32)
    TRadioGroup* Convolvemethod;      // "Default" (the 5 × 5 kernel), "Gaussian"
    TRadioGroup* CopyConvolveMethod;  // hidden copy of the filter choice
    TPCheck* Layer1checkbox;          // layer on or off; the caption shows the step ("1 : 1")
    TPCheck* Layer2checkbox;
    TPCheck* Layer3checkbox;
    TPCheck* layer4checkbox;
    TPCheck* layer5checkbox;
    TPCheck* layer6checkbox;
    TRxSlider* Layer1slider;  // layer weight × 10 (-50..1000)
    TRxSlider* Layer2slider;
    TRxSlider* Layer3slider;
    TRxSlider* Layer4slider;
    TRxSlider* Layer5slider;
    TRxSlider* Layer6slider;
    QPushButton* layer1button;  // held down: the layer is shown alone; caption: its weight
    QPushButton* layer2button;
    QPushButton* layer3button;
    QPushButton* layer4button;
    QPushButton* layer5button;
    QPushButton* layer6button;
    TRxSpinEdit* Gausslayer1;  // per-layer Gaussian width, shown with the Gaussian filter only
    TRxSpinEdit* Gausslayer2;
    TRxSpinEdit* Gausslayer3;
    TRxSpinEdit* Gausslayer4;
    TRxSpinEdit* Gausslayer5;
    TRxSpinEdit* Gausslayer6;
    TRxSpeedButton* Resetbutton;       // steps and layer sliders back to their defaults
    TRxSpeedButton* loadschemebutton;  // "Load\r\nScheme"
    TRxSpeedButton* saveschembutton;   // "Save\r\nScheme"
    TPCheck* HoldWavelets;             // a new input keeps the layer sliders

    // Contrast and brightness.
    TRxSlider* ContrastSlider;     // 10..1000; 250 maps the stack range onto full scale
    TRxSlider* BrightnessSlider;   // -512..512
    TRxSpinEdit* Contrastlevel;    // mirrors ContrastSlider × 0.4
    TRxSpinEdit* Brightnesslevel;  // mirrors BrightnessSlider × 0.25
    TRxSpeedButton* Contrastreset;
    TPCheck* HoldContrastBrightness;  // a new input keeps contrast, brightness and gamma

    // RGB shift (the tab RGBSHIFT).
    QWidget* RGBSHIFT;
    TRxSpinEdit* RDXSpin;  // red shift: RedShiftX = -RDXSpin, RedShiftY = RdySpin
    TRxSpinEdit* RdySpin;
    TRxSpinEdit* BDXspin;  // blue shift: BlueShiftX = -BDXspin, BlueShiftY = BDYSpin
    TRxSpinEdit* BDYSpin;
    QPushButton* upl;  // nudges of the red spins
    QPushButton* dnl;
    QPushButton* ltl;
    QPushButton* rtl;
    QPushButton* upr;  // nudges of the blue spins
    QPushButton* dnr;
    QPushButton* ltr;
    QPushButton* rtr;
    TRxSpeedButton* RGBShifter;   // automatic search of both shifts
    TPCheck* RGBshiftactive;      // "Show Area": draw the search box
    TPCheck* RGBshiftset;         // "Define Area": drag the search box on the image
    TPCheck* setrgbareacheckbox;  // "Move Area": the box and processing area follow the pointer
    TPCheck* Showred;             // channels shown in the processed view
    TPCheck* Showgreen;
    TPCheck* Showblue;
    TRxSpeedButton* resetrgbbutton;  // the four shifts back to 0
    TPCheck* Colourprocess2;         // mirror of Colourstack: colour processing

    // LRGB and the luminance formula.
    TPCheck* LRGB2;            // the green plane carries a luminance
    QGroupBox* LRGBmixer;      // "L= R+G+B mixer"
    TRxSlider* RedLRGBslider;  // 1..1000, the mix weights
    TRxSlider* GreenLRGBSlider;
    TRxSlider* BlueLRGBSlider;
    TPCheck* Lumichannel;      // "Use Luminance (fits)": the separate luminance plane
    TRxSpinEdit* RxSpinEdit1;  // luminance formula of registration: R, G, B weights
    TRxSpinEdit* RxSpinEdit2;
    TRxSpinEdit* RxSpinEdit3;
    TRxSpeedButton* Resetluminanceformula;

    // Processing area and view.
    QComboBox* Processarea;       // area side "2048", "1024", "512", "256", "128"
    TPCheck* HoldProcesarea;      // start-up keeps the stored area side
    TPCheck* Showprocessingarea;  // outline the processing area
    TPCheck* Drizzle2;            // mirror of Drizzling

    TRxSpeedButton* Processbutton;
    TRxSpeedButton* DoAll;     // "Do All": the settings applied to the whole image in tiles
    TRectShape* Showbuttonp3;  // marks Processbutton while it must be pressed by hand
    TPCheck* Autoprocessbox;   // render on every change instead of on Processbutton
    TRxSpeedButton* savebmp2button;
    TPCheck* ProcessViewfull;  // fit the processed image to its box
    TPCheck* ZoomWavelet;      // the wavelet zoom tool window
    // Speed buttons of the tool windows: down while their window shows.
    TRxSpeedButton* Gammaspeedbutton;
    TRxSpeedButton* Histogramspeedbutton;
    TRxSpeedButton* RGBbalancespeedbutton;
    TRxSpeedButton* Waveletfilterspeedbutton;
    TRxSpeedButton* Tonemapspeedbutton;
    TRxSpeedButton* Resizebutton;
    TRxSpeedButton* Showstackcount;  // "View\r\nStacksize": the stack depth instead of the rendering
    QScrollArea* Scrollbox3;
    QLabel* ProcessImage;
    // Clipboard compare, shown only in the developer mode.
    TRxSpeedButton* Clipcopy;
    TRxSpeedButton* Differ;
    TRadioGroup* RadioGroup1;

public:
    // The per-layer controls in layer order 1..6.
    std::array<TPCheck*, 6> layerCheckboxes() const;
    std::array<TRxSlider*, 6> layerSliders() const;
    std::array<QPushButton*, 6> layerButtons() const;
    std::array<TRxSpinEdit*, 6> gaussLayers() const;

    // What other parts of the window read or set here.
    // The developer mode: Clipcopy, Differ and RadioGroup1 shown, or Differ and RadioGroup1 hidden.
    void showDeveloperControls();
    void hideDeveloperControls();
    // A new input: the processed view is no longer fitted.
    void setProcessedViewFitted(bool fitted);
    // A new input: the luminance channel hidden and off, the colour shifts zeroed, the picture at
    // the origin, the layer weights and the contrast and brightness at their start unless held,
    // every layer on. True when contrast and brightness were reset.
    bool resetForNewInput();
    // Colour or black-and-white processing, and whether LRGB may be chosen.
    void setColourProcessing(bool colour);
    void allowLrgb(bool allowed);
    // Colour processing made possible and chosen (a colour input was found).
    void enableColourProcessing();
    // A luminance frame was read: the luminance channel is offered and LRGB chosen.
    void offerLuminance();
    // A single image goes straight to processing: it may be saved, and the view is centred.
    void allowSaving();
    void centreView();
    // The processed view's scroll handlers: the picture is drawn anew where it now lies.
    void Scrollbox3ScrollHorz();
    void Scrollbox3ScrollVert();
    // Drizzle2 mirrors the run's drizzle-sized canvas (the Stack page's Drizzling).
    void setDrizzled(bool drizzled);
    // A stack with its own luminance plane (FITS luminance frames): the plane is used, the mix
    // weights are off.
    void useLuminanceStack();
    // A new stack: the processed view is no longer fitted (when it was, the fit's handler runs,
    // as a click on "Fit" runs it), and the shrink button is released.
    void leaveFittedView();
    // A new picture in the fitted view: the window's fitted views are fitted again.
    void refitProcessedView();
    // The processed view scrolled back to its origin.
    void scrollToOrigin();
    // The processed picture placed back where its box puts it: at the top left corner, or in the
    // middle of the box when it is smaller.
    void moveProcessedImageToOrigin();
    // "Fit" is checked: the processed view is fitted to its box.
    bool processedViewFitted() const;
    // The processed picture shown reduced (or enlarged) to fill its box, or at full size; returns
    // the scale.
    float fitProcessedImage(bool fitted);
    // The page opens: the filter choice is taken back from its hidden copy.
    void restoreFilterChoice();
    // Process is needed only while "Auto process" is off: it and its mark follow the box. True
    // when processing is automatic.
    bool followAutoProcessing();
    // The mark of the next button to press moves below `button` (Process when null); whether it
    // shows stays as it is.
    void markNextButton(QWidget* button);
    // "Continue" of a new reference stands beside Process, where the picture is enhanced.
    void takeContinueButton(QWidget& button);
    // The values a save of the processed picture takes, read together.
    WaveletSaveValues saveValues() const;
    // The layer weights, the layer steps and the contrast and brightness, read or set together.
    WaveletLayerValues layerValues() const;
    void setLayerValues(const WaveletLayerValues& values);
    // The speed buttons that show tool windows, each with its window: a button is down while its
    // window shows. Handed out as plain buttons for the rule the tool windows share.
    std::vector<std::pair<QAbstractButton*, ToolWindow*>> toolWindowButtons(const ToolWindows& tools) const;
    // Closing one of the page's tool windows (or the resize or zoom view) releases the control that
    // opened it, without running its handler.
    void releaseControlsOnClose(const ToolWindows& tools);

    // Asked of the page's handlers by other areas' steps (emits the signal of the same intent
    // below): "Colour" follows the Align page's colour choice, with the colour controls it opens.
    void followColourChoice(bool colour);

protected:
    // Scrollbox3 reports its new size.
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // "Resize" was pressed: the resize view opens (`open`) or closes.
    void resizeViewToggled(bool open);
    // "View Stacksize" was pressed: the stack depth is shown instead of the rendering (`shown`),
    // or no more.
    void stackDepthToggled(bool shown);
    // "Fit" was clicked: the processed view is fitted to its box, or shown at full size.
    void processedViewFitToggled();
    // The processed view's box has a new size.
    void processedViewResized();
    // The fitted view shows a new picture (what `refitProcessedView` asks for).
    void fittedPictureChanged();
    // "Save" was pressed: the processed image is to be saved.
    void saveRequested();
    void colourChoiceFollowed(bool colour);
    // A rendering of the processed view begins (the image info shows the wavelet scheme it uses).
    void renderStarting();

private:
    // The option tabs, in their order.
    void buildLayersTab();
    void buildContrastTab();
    void buildShiftTab();
    void buildLrgbTab();
    void buildAreaTab();
    // Process, Do All, Save, the view options and the tool windows' buttons.
    void buildActions();
    void buildDeveloperControls();
    // The processed view beside the column of options and actions.
    void layOutPage();
};

}  // namespace kestrave
