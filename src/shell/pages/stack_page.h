#pragma once
// The "Stack" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>
#include <functional>
#include <string>

#include "shell/pages/kernel_editor.h"
#include "widgets/speed_button.h"  // handlers hold the speed buttons as the tool buttons they are

class QComboBox;
class QLabel;
class QPainter;
class QPushButton;
class QScrollArea;
class QTabWidget;

namespace kestrave {

class AviControls;
class TPCheck;
class TRadioGroup;
class TRectShape;
class TRxSpinEdit;
struct CreateStackSettings;
struct OptimizerSearchOptions;
struct StackStyleChoice;
enum class StackStyle : int;

// The resampling and drizzling options as the Stack page holds them, read at once by the steps
// that size a box or a picture by them.
struct ResamplingOptions {
    bool resampled = false;
    long double resampleSpin = 2;  // the resampling spin's value as typed (not clamped)
    bool drizzling = false;
};

class StackPage : public QWidget {
    Q_OBJECT
public:
    explicit StackPage(QWidget* parent = nullptr);
    // The stack area owns this page. Only that area's controllers (the friends below) reach its controls; the
    // rest of the window uses its functions.
    friend class StackController;
    friend class SigmaController;

private:
    QTabWidget* glPageControl3;

    // Stack options (colour, dark and flat, and interlacing are among the Align page's general
    // options).
    TPCheck* Expandstack;    // the canvas grows to hold every shift
    TPCheck* Histostretch;   // the rendered range follows the stack, not the input's levels
    TPCheck* IntensBalance;  // each frame weighs by its relative brightness

    // The stack filter: its kernel preset, weights (row, column), "Reset", "Set", and "Active":
    // every frame is filtered before it is added.
    QComboBox* Stackfiltermethod;
    TRxSpinEdit* Stackfilter11;
    TRxSpinEdit* Stackfilter12;
    TRxSpinEdit* Stackfilter13;
    TRxSpinEdit* Stackfilter21;
    TRxSpinEdit* Stackfilter22;
    TRxSpinEdit* Stackfilter23;
    TRxSpinEdit* Stackfilter31;
    TRxSpinEdit* Stackfilter32;
    TRxSpinEdit* Stackfilter33;
    QPushButton* Stackfilterresetbutton;
    QPushButton* Stackfiltersetbutton;
    TPCheck* Stackfilterset;

    // Resampling and drizzling: the style ("None", "Resampling", "Drizzling") sets the boxes.
    TRadioGroup* ResampleDrizzlegroup;
    TPCheck* Resampled;
    TRxSpinEdit* ResampleSpin;  // the resampling factor, 1..4 (what is typed is kept)
    QComboBox* ResampleMethod;  // the resampling filter
    TPCheck* Drizzling;         // drizzled frames on a drizzle-sized canvas (the wavelet page's
                                // Drizzle2 mirrors it)
    TRxSpinEdit* Drizzlefact;   // 1..3
    TRxSpinEdit* Pixfrac;       // drop size in percent of a frame pixel, 10..100

    // Sigma clipping.
    TPCheck* Statistical;             // checked only while a sigma stack runs (hidden)
    TRxSpinEdit* Statisticspin;       // the factor k of the clip bounds mean ± k·sigma
    TPCheck* sigmahi;                 // reject samples above the upper bound
    TPCheck* Sigmalo;                 // reject samples below the lower bound
    TPCheck* RejectMax;               // the upper bound is the largest sample of the first pass
    TRxSpeedButton* Recordingbutton;  // opens the sigma event window

    // Alignment points.
    TPCheck* Macorrect;  // remove each point's mean shift
    TPCheck* FastStack;  // nearest points from a precomputed map
    TPCheck* Multi;      // alignment points

    // The registered and integrated videos.
    AviControls* aviControls;

    TRxSpeedButton* Stackbutton;
    TRxSpeedButton* Statisticalstackbutton;
    TRxSpeedButton* Savebutton;
    TPCheck* Showstackgraph;   // the stack graph tool window
    TPCheck* ShowStacklist;    // the tool window listing the stacked frames
    TPCheck* Alignmentpoints;  // "Show alignment sections": the points' zones over the stack

    // Green while the frame at the quality cut-off (StackSlider) takes part, red when excluded.
    TRectShape* stackshape;
    QLabel* Stacklabel;  // "Stacking started  ..." while a stack runs

    QScrollArea* ScrollBox2;
    QLabel* Stackimage;

public:
    // What other parts of the window read or set here.
    // The controls of the registered and integrated videos (the "AVI" tab), a part of their own.
    AviControls& aviOutput() const { return *aviControls; }
    // The stack filter's editor.
    const KernelEditor& stackFilter() const { return stackFilter_; }
    // The alignment pass reads whether the stack is resampled.
    bool resampled() const;
    // The resampling controls of an input kind: 16-bit kinds are not resampled.
    void showResampling(bool available);
    // The style group shows what the Resampled and Drizzling boxes hold (set by code too).
    void showStackStyle();
    // The style the user picked in the style group, and the style in force with the options it
    // sets (the group, Resampled, Drizzling and FastStack).
    StackStyle pickedStackStyle() const;
    void applyStackStyle(const StackStyleChoice& choice);
    // A project's resampling: Resampled and the factor; the style group follows the box.
    void restoreResampling(bool resampled, int factor);
    // A single image is not resampled.
    void uncheckResampling();
    // Start-up: the resampling filter named by its restored text is chosen (an unknown text
    // changes nothing); the first resampling filter and the first stack filter are chosen.
    void chooseResampleMethodByName();
    void chooseFirstResampleMethod();
    void chooseFirstStackFilter();
    // Neither resampled nor drizzled; the style group follows.
    void dropResamplingAndDrizzling();
    // The resampling factor of ResampleSpin: the spin keeps what was typed, the factor stays
    // within 1..4.
    float resampleFactor() const;
    // The resampling spin's value as typed (not clamped).
    long double resampleSpin() const;
    // Resampled, the spin as typed and Drizzling, read together.
    ResamplingOptions resamplingOptions() const;
    // The frames are drizzled (Drizzling).
    bool drizzling() const;
    // Drizzling chosen or not from elsewhere (the wavelet page's Drizzle2): drizzling and
    // resampling exclude each other.
    void chooseDrizzling(bool drizzling);
    // The optimizer compares in resampled pixels while the stack is resampled.
    void readResampling(OptimizerSearchOptions& search) const;
    // "Create" changes the stack's settings for its own stack and puts them back afterwards.
    void readCreateSettings(CreateStackSettings& settings) const;
    void applyCreateSettings(const CreateStackSettings& settings);
    // "Stack" and "Statistical stack".
    void setPassButtonsEnabled(bool enabled);
    void setStackButtonEnabled(bool enabled);
    void setStatisticalStackEnabled(bool enabled);
    // Frames of several AVI files are stacked on a canvas that holds every file's shifts.
    void expandStack();
    // A new input is resampled by 2 again.
    void resetResampleFactor();
    // The option tabs are locked while the optimizer runs; its passes take the stack graph away.
    void setOptionsEnabled(bool enabled);
    void uncheckStackGraph();
    // Unchecked and checked again (no click handler runs), so that the graph is drawn anew.
    void recheckStackGraph();
    // The list of stacked frames closed: its box released.
    void uncheckStackList();
    // The stack graph and the list of stacked frames are shown as tool windows.
    bool showsStackGraph() const;
    bool showsStackList() const;
    // "Show alignment sections": the points' zones drawn over the stack.
    bool showsPointZones() const;
    void setPointZonesShown(bool shown);
    // Draws over the stack picture shown (nothing while none is).
    void drawOnStackImage(const std::function<void(QPainter&)>& draw);
    // The stack picture repainted.
    void updateStackImage();
    // Statistical holds whether a sigma stack runs.
    void setSigmaStackRunning(bool running);
    // "Multi": the stack uses the alignment points.
    bool multiPoint() const;
    void setMultiPoint(bool multiPoint);
    // Put before the stacking captions ("Reference" while "Create" makes its reference stack).
    void setStackCaptionPrefix(const std::string& prefix) { stackCaptionPrefix_ = prefix; }
    const std::string& stackCaptionPrefix() const { return stackCaptionPrefix_; }

signals:
    // "Multi" was ticked or cleared.
    void multiPointClicked();
    // A style was picked in the style group.
    void stackStylePicked();
    // The sigma tab's "Start", "Search Events" and "Save" were pressed.
    void sigmaStackRequested();
    void sigmaEventsRequested();
    void saveRequested();

private:
    void buildStackFilter();

    KernelEditor stackFilter_;
    std::string stackCaptionPrefix_;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace kestrave
