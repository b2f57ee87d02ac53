#pragma once
// The "Optimize" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>
#include <vector>

#include "shell/pages/kernel_editor.h"
#include "widgets/rect_shape.h"
#include "widgets/speed_button.h"  // handlers hold the speed buttons as the tool buttons they are

class QComboBox;
class QFrame;
class QLabel;
class QPixmap;
class QPushButton;
class QScrollArea;
class QTabWidget;

namespace kestrave {

struct OptimizeControllerParts;
struct OptimizerOptions;
class TChart;
class TFastLineSeries;
class TPCheck;
class TRadioGroup;
class TRxSpinEdit;

class OptimizePage : public QWidget {
    Q_OBJECT
public:
    explicit OptimizePage(QWidget* parent = nullptr);
    // The optimize area owns this page. Only that area's controllers (the friends below) reach its controls;
    // the rest of the window uses its functions.
    friend class OptimizeController;

    // The optimize area's readers and writers of the page.
    friend OptimizerOptions readOptimizerOptions(const OptimizeControllerParts& parts);

    // The tests read the chart series.
    friend struct PageTestAccess;

private:
    QTabWidget* glPageControl2;
    TRxSpeedButton* Continuebutton;  // shown while Create waits for the user
    // The prefilter: its kernel preset, weights (row, column), "Reset", "Set", and "Active":
    // frames are filtered before they are compared.
    QComboBox* Filtertype;
    TRxSpinEdit* Prefilter11;
    TRxSpinEdit* Prefilter12;
    TRxSpinEdit* prefilter13;
    TRxSpinEdit* prefilter21;
    TRxSpinEdit* prefilter22;
    TRxSpinEdit* prefilter23;
    TRxSpinEdit* prefilter31;
    TRxSpinEdit* prefilter32;
    TRxSpinEdit* prefilter33;
    QPushButton* Resetprefilter;
    QPushButton* SetPrefilter;
    TPCheck* Filteralignment;
    TRxSpeedButton* Optimizebutton;
    TRxSpeedButton* Optimizeandstackbutton;
    TRxSpeedButton* Referbutton;   // "Create": a new reference from the best frames
    TRxSpeedButton* Restartalign;  // "Realign with" the processed picture
    TRxSpinEdit* Refframes;        // frames that make a new reference
    TPCheck* Optimizegraph;        // "Difference": the registration windows
    TPCheck* ShowMovementwindow;   // "Movements": the window of the frames' shifts

    // Optimizer options.
    TRxSpinEdit* SearchArea;       // search radius in pixels, 1..10
    TPCheck* FastOptim;            // "Single run optimizer": diamond walk, one pass
    TRxSpinEdit* OptimizeSpin;     // stop threshold of the passes, percent
    TPCheck* Warnings;             // ask before the optimizer restarts
    TPCheck* CreateRefMessage;     // the messages of Create
    TRadioGroup* MultiAlign;       // "Simple" or "Multi-Quantity" (every point keeps its own frames)
    TPCheck* Contour;              // hidden: contour lines on the spectrum picture
    TPCheck* MultiOptimtoWavelet;  // hidden: the multi-point optimizer goes on to stack and process

    // The optimizer chart: the key (Series3) and the difference (Series4) of every frame a pass
    // optimizes; the reference window beside the compared box of the frame being optimized; the
    // marker under the next button to press.
    TChart* Chart7;
    TFastLineSeries* Series3;
    TFastLineSeries* Series4;
    // Reports its scrolling; nothing on this page listens.
    QScrollArea* EventScrollBox2;
    QLabel* AlignImage;
    TRectShape* Showbuttonp2;

public:
    // What other parts of the window read or set here.
    // Start-up: the first prefilter is chosen.
    void chooseFirstPrefilter();
    // The optimizer's chart, which the window shows in the Optimize page's registration window.
    TChart& optimizerChart() const { return *Chart7; }
    // The optimizer chart's axes show only when a difference above 1 was measured; the difference
    // axis then steps by `increment`.
    void showDifferenceAxis(bool shown, double increment);
    // The optimizer chart: the keys (Series3) and differences (Series4) of the frames a pass
    // optimizes or a limit keeps, `frameIncrement` the step of the frame axis.
    void showOptimizerChart(const std::vector<double>& qualities, const std::vector<double>& differences,
                            double frameIncrement);
    // Point `index` of Series4 takes a frame's difference as the pass optimizes it.
    void showOptimizedDifference(int index, double difference);
    // After a limit the frame axis runs from 0 to the number of frames kept (until the chart is
    // shown again or emptied).
    void endFrameAxisAt(double count);
    // The frames that make a new reference (Refframes).
    double referenceFrames() const;
    void setReferenceFrames(int frames);
    // `picture` in AlignImage at its own size.
    void showAlignPicture(const QPixmap& picture);
    // After a limit: `preview` beside the chart, and the passes and "Create" ready with the marker
    // under "Optimize and stack".
    void showFramesLimited(const QPixmap& preview);
    // The new reference picture, whole and fitted to the picture's box.
    void showReference(const QPixmap& reference);
    // The prefilter's editor.
    const KernelEditor& prefilter() const { return prefilter_; }
    // A new input: the registration chart of the last run emptied.
    void clearCharts();
    // "Multi-Quantity" is chosen in MultiAlign: every alignment point keeps its own frames.
    bool multiQuantity() const;
    // "Difference": the registration windows are shown.
    void showRegistrationWindows();
    // The optimizer's graph and the movement window are asked for.
    bool showsOptimizerGraph() const;
    bool showsMovements() const;
    // "Optimize" and "Optimize and stack".
    void setPassButtonsEnabled(bool enabled);
    void setOptimizeButtonEnabled(bool enabled);
    // A new input: those two and "Create" greyed.
    void greyPassButtons();
    // "Restart alignment" shows only for a frame-sized stack.
    void showRestartAlign(bool shown);
    // The option tabs are locked while a stack runs.
    void setOptionsEnabled(bool enabled);
    // A new input of frames up to `lastIndex`: the frames that make a new reference kept within
    // what it offers.
    void limitReferenceFrames(int lastIndex);
    // "Continue" shows while Create waits for the user.
    void showContinueButton(bool shown);
    QWidget& continueButton() const;

signals:
    // "Difference" and "Movements" were ticked or cleared.
    void optimizerGraphClicked();
    void movementWindowClicked();
    // "Continue" was pressed.
    void continueRequested();

private:
    QWidget* buildOptimizerOptions();
    QWidget* buildPrefilter();

    KernelEditor prefilter_;
};

}  // namespace kestrave
