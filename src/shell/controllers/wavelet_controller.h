#pragma once
// Handlers of the Wavelet page and of its tool windows. `ProcessButtonClick` (compose and
// decompose when the layers are out of date, then render) and `Layer1sliderChanged` (render) are
// the entry points the rest of the window calls. The handlers read the controls into the core's
// option structs and call the core; the class is split over several files by area: processing,
// layers, scheme and kernel (wavelet_controller.cpp), rendering and "Do All"
// (wavelet_render_handlers.cpp), the histogram windows, the automatic balance and the slider
// shortcuts (wavelet_histogram_handlers.cpp), channel shifts, mixing, balance and the
// lookup tables (wavelet_colour_handlers.cpp), scheme and filter files (wavelet_file_handlers.cpp),
// the processed view with its mouse tools and single-layer view (wavelet_view_handlers.cpp), and
// the compare tools (wavelet_compare_handlers.cpp).
// the curve editors, tone-map controls and levels (wavelet_curve_handlers.cpp).

#include <QObject>
#include <QPoint>
#include <QPointF>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "enhance/composition_types.h"
#include "enhance/curve_types.h"
#include "enhance/render_options.h"
#include "enhance/scheme_types.h"
#include "enhance/wavelet_options.h"
#include "pipeline/pipeline.h"
#include "shell/file_dialogs.h"

class QPainter;
class QProgressBar;
class QStackedWidget;

namespace kestrave {

class WindowEntryPoints;
class TabStrip;
class AlignPage;
class Pipeline;
class ShellPorts;
class CurveGraph;
class TBSpline;
class StackPage;
class TPCheck;
class TRxSlider;
class WaveletPage;
struct HistogramWindows;
struct ToolWindows;
struct WaveletToolPanels;
struct WaveletLayerValues;

// The options of composing and decomposing, as the controls hold them (the stack's resampling
// and drizzling on the Stack page among them).
WaveletProcessOptions readWaveletProcessOptions(const WaveletPage& page, const StackPage& stack);
// The render controls of the page and its tool windows.
RenderOptions readRenderOptions(const WaveletPage& page, const WaveletToolPanels& panels);

// What the wavelet handlers work with: the page and its tool windows, the histogram windows, the
// stack's style on the Stack page, the alignment box size and the colour choice on the Align
// page, the page switcher (entering the page processes), the progress bar and the shell's
// handlers.
struct WaveletControllerParts {
    Pipeline& pipeline;
    ShellPorts& ports;
    WaveletPage& page;
    WaveletToolPanels& panels;
    HistogramWindows& histograms;
    ToolWindows& tools;
    StackPage& stack;
    AlignPage& align;
    QStackedWidget& pages;
    // Entering the Wavelet tab processes a stack that is new to the page.
    TabStrip& tabs;
    QProgressBar& progressBar;
    // The handlers of the other areas, reached through the window.
    WindowEntryPoints& entries;
};
// The controls a scheme file keeps, as they stand.
WaveletScheme readWaveletScheme(const WaveletPage& page);

class WaveletController : public QObject {
public:
    explicit WaveletController(const WaveletControllerParts& parts);
    // With the processing-info tag in use every render pass rebuilds it; its handlers are made
    // later.

    // ---- processing and rendering ----
    void ProcessButtonClick();
    // Shows the processed picture with its overlays (processing-area corners, search box,
    // rubber band, single-layer legend); the overlays never enter the picture itself.
    void showProcessedView();
    // The render pass: the layers recombined with the page's weights into the processed view and
    // the 16-bit result image.
    void Layer1sliderChanged();
    // A layer slider moves: status text, weight captions, and a render with automatic processing.
    void Layer1sliderChange();
    // "Do All": the whole image processed in tiles.
    void DoAllClick();
    void ContrastresetClick();
    void ContrastlevelChange();
    void BrightnesslevelChange();
    // Entering the page processes a new stack that waits for it.
    void TabSheet4Enter();

    // ---- histogram windows and slider shortcuts ----
    // The automatic colour balance: two render passes, each followed by the balance while a
    // histogram window shows, then the hidden box Autobalance is unchecked again.
    void AutobalanceClick();
    // Checks Autobalance, then balances.
    void AutobalancebuttonClick();
    // RedshowClick, GreenshowClick, BlueshowClick: the channel shown follows its twin; render.
    void showTwinClick(const TPCheck& twin, TPCheck& shown);
    // Layer1sliderDblClick .. Layer6sliderDblClick: weight 1.0 for layer n; render.
    void layerSliderDblClick(int n);
    // ContrastSliderKeyDown, BrightnessSliderKeyDown: the arrows the slider leaves (those with a
    // modifier held) move it by 1 with Ctrl, else by 10; render.
    void ContrastSliderKeyDown(TRxSlider& slider, int key, Qt::KeyboardModifiers shift);
    // The curves and level labels of the last pass in both histogram windows.
    void showHistograms();

    // ---- layers and scheme ----
    void WaveletschemeClick();
    void LevelStepChange();
    void MultiplicantChange();
    // Layer1checkboxClick .. layer6checkboxClick: render, and the slider follows its check box.
    void layerCheckboxClick(int n);
    void ResetButtonClick();
    void AutoprocessboxClick();
    void ContrastSliderChange();
    void ProcessareaChange();

    // ---- the 5 × 5 kernel and the Gaussian ----
    void SetwaveletbuttonClick();
    void REsetwaveletbuttonClick();
    void Filter22Change();
    void GaussianClick();
    void SetFilterlayersClick();
    void Gausslayer1Change();
    void ConvolvemethodClick();

    // ---- scheme and filter files ----
    void saveschembuttonClick();
    // With `batch` set no dialog is shown: the scheme is read from loadwaveletdialog.FileName.
    void loadschemebuttonClick(bool batch = false);
    void SaveFilterClick();
    void LoadfilterClick();
    TFileDialog loadwaveletdialog;
    TFileDialog savewaveletdialog;
    TFileDialog SaveDialog5;  // the filter file to save
    TFileDialog OpenDialog3;  // the filter file to load

    // ---- channel shifts, mixing, balance, lookup tables ----
    // RDXSpinChange, RdySpinChange, BDXspinChange, BDYSpinChange: the shift from the four spins.
    void shiftSpinChange();
    void RGBShifterClick();
    void RGBSHIFTClick();
    void RedLRGBsliderChanged();
    void LRGB2Click();
    void LRGB1Click();
    void LumichannelClick();
    void Colourprocess2Click();
    void Drizzle2Click();
    // RbalanceChange, GbalanceChange, BbalanceChange.
    void balanceChange();
    void resethisto1buttonClick();
    // RxSpinEdit1Change .. RxSpinEdit3Change.
    void luminanceFormulaChange();
    void ResetluminanceformulaClick();
    void resetrgbbuttonClick();
    void Gamma1spinChange();
    void RxSpinEdit5Change();

    // ---- the processed view ----
    void setrgbareacheckboxClick();
    void RGBshiftsetClick();
    void ShowProcessingAreaClick();
    void ZoomWaveletClick();
    // Mouse on ProcessImage, in control pixels (scaled here when the view is fitted).
    void ProcessImageMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at);
    void ProcessImageMouseMove(Qt::KeyboardModifiers shift, QPoint at);
    void ProcessImageMouseUp(QPoint at);
    // layer1buttonMouseDown .. layer6buttonMouseDown and the matching MouseUp: layer n alone.
    void layerButtonMouseDown(int n);
    void layerButtonMouseUp(int n);
    // Readies the single-layer view (false when there is no rendered view) and shows the rendered
    // view again; the picture the processed view shows: the single layer while its button is held,
    // the rendered view otherwise.
    bool PrepareLayerView();
    void RestoreProcessedView();
    const Bitmap24& shownPicture() const;

    // ---- the compare tools ----
    // "Copy to Clipboard": the processed view onto the system clipboard and into ClipTemp.
    void ClipcopyClick();
    // "Difference with Clipboard": the view shows where its green differs from ClipTemp's.
    void DifferClick();
    // "Toggle": the view shows the last rendering (Tempimage2) or the copy (ClipTemp).
    void RadioGroup1Click();
    // ---- curve editors, tone-map controls and levels ----
    // The five curves as the program starts, the gamma and tone curves drawn into their graphs.
    void createCurveObjects();
    // The gamma graph's double click and "Reset": gamma 1.0 and the default curve; the tone
    // graph's double click: bias 2.25 and the default curve.
    void GammaSplineGraphDblClick();
    void TonemapgraphDblClick();
    void LoadgammabuttonClick();
    void savegammabuttonClick();
    TFileDialog GammaSave;
    TFileDialog GammaLoad;
    void ActiveTonemapClick();
    void RxSlider1Changed();
    void RxSlider2Changed();
    void TonegraphClick();
    void mkRangeSlider1BeforeChange();
    void mkRangeSlider1Change();
    void LovalSpinChange();
    void HivalspinChange();
    void Button1Click();
    // "Reset" runs the levels' reset twice; "Stretch" makes the spins' levels the slider's whole
    // range and renders; "Linear" draws the gamma curve as straight lines between its points.
    void HistoResetClick();
    void BitBtn3Click();
    void LinearSplineClick();
    void LogClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The colour choice made here or on the Align page: LRGB and the red and blue balance usable
    // exactly for colour.
    void followColourChoice(bool colour);
    void connectLayerControls();
    void connectColourControls();
    void connectFileControls();
    void connectViewControls();
    void connectRenderControls();
    void connectHistogramControls();
    void connectCompareControls();
    // The rendered view is kept aside in Tempimage2, where "Toggle" finds it.
    void keepRenderedView();
    void connectCurveControls();
    const TBSpline& curveOf(EditedCurve curve) const;
    // The graph that shows a curve.
    CurveGraph& graphOf(EditedCurve curve);
    // GammaSplineGraphMouseDown/Move/Up and TonemapgraphMouseDown/Move/Up, in graph pixels.
    void curveMouseDown(EditedCurve curve, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF at);
    void curveMouseMove(EditedCurve curve, Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPointF at);
    void curveMouseUp(EditedCurve curve);
    void resetCurve(EditedCurve curve);
    // The levels from the range slider, with their lines and captions.
    void showLevels();
    void levelSpinChange(bool lower);
    // The render pass with the page's controls and what follows it: the histogram windows and,
    // with `autoBalance`, the pass run twice with the automatic balance between.
    void render(bool autoBalance);
    bool histogramWindowShown() const;
    // A stack has been made: the page has something to process and render.
    bool stackExists() const;
    // The page's processing and render options as the controls hold them.
    WaveletProcessOptions processOptions() const;
    RenderOptions renderOptions() const;
    void showLayerWeights();

    void updateLayerCaptions(const WaveletStepOptions& steps);
    void askProcessAfterSetupChange();
    // A new stack waits for the page until it is processed.
    Pipeline::Subscription newStackPending_;
    // Sets the controls of a loaded scheme; a new scheme or filter is processed as when chosen.
    void applyWaveletScheme(const WaveletScheme& scheme);
    KernelSpins readKernelSpins() const;
    void writeKernelSpins(const KernelSpins& spins);
    // Composes the working image from the stack; false (reported) when the planes do not fit.
    bool composeWorkingImage();
    void drawOverlays(QPainter& painter) const;
    // The mixer shown with LRGB, its sliders usable; the layers composed anew.
    void showLrgbChoice();
    // The filter chosen: the radio, its hidden copy and the width edits follow.
    void selectConvolveMethod(TConvolveMethod method);
    SearchBoxOptions searchBoxOptions(bool forDrawing) const;
    QPoint imagePoint(QPoint at) const;
    // The pointer at `at` over the processed view: the zoom follows it unless anchored.
    void refreshZoom(QPoint at);
    // The zoom window shows the square around its centre (the anchor, else the pointer where the
    // zoom last followed it) as the processed view now shows it.
    void showZoomSquare();
    void reportWaveletError(const std::exception& error);

    // What the page shows after the operations of other areas, heard from the pipeline: a new
    // input (the page reset, a single image ready), the colour and drizzle choices, a stack run
    // begun, a new stack, a project's wavelet values.
    void hearOtherAreas();
    void showTakenInput();
    void showColourChoice();
    WaveletLayerValues restoredLayerValues() const;
    Pipeline::Subscription otherAreasHeard_;
    // A single image was taken: the view is centred when the page is up.
    bool centreOnShow_ = false;

    WaveletControllerParts parts_;
    Pipeline& pipeline_;
    ShellPorts& ports_;
    WaveletPage& page_;
    // "Wavelet setup changed" was silenced with its check box for the rest of the run.
    bool setupMessageSilenced_ = false;
    // The Gaussian widths are being written by "Set layers" or a scheme: their change handler
    // waits.
    bool gaussLayersHeld_ = false;
    bool defineAreaMode_ = false;
    bool moveAreaMode_ = false;
    bool zoomOn_ = false;
    QPoint zoomAnchor_{-1, -1};
    QPoint zoomPointer_{-1, -1};
    // The single-layer view: readied (engaged) while a layer button is held, and the picture shown
    // instead of the rendered view once drawn (its legend is drawn over it).
    std::optional<Bitmap24> layerView_;
    bool layerViewShown_ = false;
    // Which of the level controls the user is changing: the range slider or a level spin.
    bool levelSliderActive_ = false;
    bool levelSpinActive_ = false;
    // The span of levels the range slider's positions 0..1024 cover.
    float levelRangeLo_ = 0.0f;
    float levelRangeHi_ = 255.0f;
};

}  // namespace kestrave
