#pragma once
// The "Align" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>
#include <filesystem>
#include <optional>

#include "frames/calibration_types.h"
#include "output/save_folder_choice.h"
#include "widgets/rect_shape.h"
#include "widgets/speed_button.h"  // handlers hold the speed buttons as the tool buttons they are

class QComboBox;
class QFrame;
class QPushButton;
class QLabel;
class QLineEdit;
class QPixmap;
class QImage;
class QScrollArea;
class QTabWidget;
class QToolButton;

namespace kestrave {

class LanguageBox;
class TDirectoryListBox;
class TglBevel;
class TPCheck;
class TRadioGroup;
class TRectShape;
class TRxSlider;
class TRxSpinEdit;
struct BoxLevelOptions;
struct FrameSourceOptions;
struct OptimizerSearchOptions;
struct QualityMethodChoice;
struct ReferenceOptions;
class Pipeline;
struct StackOptions;
class T2dArrays;
struct ToolWindows;

class AlignPage : public QWidget {
    Q_OBJECT
public:
    explicit AlignPage(QWidget* parent = nullptr);
    // The input and alignment area owns this page. Only that area's controllers (the friends below) reach its
    // controls; the rest of the window uses its functions.
    friend class InputController;
    friend class AlignController;
    friend class AlignWindow;
    friend class PointController;
    // The readers of the options other areas take from this page (align_page_options.h).
    friend QualityMethodChoice qualityMethodChoice(const AlignPage& alignPage);
    friend BoxLevelOptions boxLevelOptions(const AlignPage& alignPage);
    friend FrameSourceOptions readSourceOptions(const AlignPage& alignPage, const Pipeline& pipeline);
    friend ReferenceOptions readReferenceOptions(const AlignPage& alignPage, const Pipeline& pipeline);
    friend bool automaticProcessing(const AlignPage& alignPage, const Pipeline& pipeline);

    friend class Startup;  // the window's start-up restores and sets its controls
private:
    QTabWidget* glPageControl1;
    TPCheck* PreviewFull;    // fit the preview to its box
    TPCheck* Previewzoom;    // the zoom tool window
    TPCheck* ShowFramelist;  // the frame selection tool window
    TPCheck* Haltwindow;     // the alignment tool window with the halt button
    QScrollArea* ScrollBox1;
    QLabel* PreviewImage;
    // Written over the preview when the shown frame is a dropped one; never part of the picture.
    QLabel* DroppedFrameText;
    // The outline of the alignment box that follows the mouse over the preview until a feature is
    // picked, and the rubber band of the free alignment box while it is dragged: both drawn in
    // exclusive-or white over the picture, never into it.
    QFrame* BoxOutline;
    QFrame* FreeBoxBand;

    // Frame browsing.
    TRxSlider* PreviewSlider;  // the frame at each position
    TRxSpinEdit* Sliderset;    // "Goto Frame": 1-based frame number
    QLabel* Frames;            // "Frame (f): p/n"
    TRectShape* UseFramesign;  // green selected, red excluded, grey dropped
    QFrame* Frontpanel;        // shown until a feature is picked
    TglBevel* glBevel1;        // the gradient behind Frontpanel

    // The alignment box's side, "32" … "512" (no item until one is chosen), and the quality
    // method: the visible list and the hidden list of every method, whose item is the one kept
    // from one run to the next.
    TRadioGroup* FFTsizeGroup;
    TRxSpinEdit* FFTFilterspin;  // radius of the FFT band filter
    TPCheck* ManualFFT;          // the radius was set by hand and stays
    TRxSpeedButton* RecalcFFTbutton;
    TRadioGroup* Alignmethod;  // "Default(single)", "Multipoint", "None"
    TPCheck* Freebox;          // "Userdefined Alignment Box": the box is dragged instead of clicked
    TRxSpeedButton* Alignbutton;
    TPCheck* Manualalignbox;
    // "Limit": keeps the ranked frames up to the preview slider's position; enabled by the
    // alignment pass, where the user is when it ends.
    TRxSpeedButton* Setlimitbutton;
    // "Automatic processing": the alignment goes on by itself to the limit, the optimizer, the stack
    // and the wavelet processing.
    TPCheck* Autoprocess;
    QLabel* QualityMethodlabel;
    // The quality limit in percent of the best frame's: where the alignment pass leaves the
    // frame slider, and so what "Limit" keeps; Lowerqualitylabel is its caption.
    QLabel* Lowerqualitylabel;
    TRxSpinEdit* OptimizeQualitySpin;
    TPCheck* Showalignpoints;
    QComboBox* QualityMethodCombo;
    TRadioGroup* CopyAlignmethods;
    // Browses the aligned frames in ranking order; hidden until there are some.
    TRxSlider* AlignSlider;
    QLabel* Framelabel;

    // General options.
    TPCheck* Colourstack;  // colour input
    TPCheck* LRGB;         // luminance from a mix of the colour channels
    TPCheck* Usedarkframe;
    TPCheck* UseFlatfield;
    TPCheck* Rawdark;       // the dark frame is taken off the raw mosaic instead
    TPCheck* Blurbox;       // "Bias subtract": box levels less the Bias value
    TRxSpinEdit* Bias;      // shown with Blurbox
    TPCheck* Trackobject;   // the box follows the object from frame to frame
    TPCheck* predicttrack;  // … ahead by half its last step
    TPCheck* Misalignwarning;
    TPCheck* Ignoredefault;                // a lost lock deselects the frame without asking
    TPCheck* ShowFFTbox;                   // "FFT Graph": the spectrum window
    TPCheck* ShowGraphbox;                 // "Registration Graph": the registration windows
    TPCheck* interlaced;                   // interlaced video: the fields are used one by one
    TPCheck* Interlacehoriz;               // the fields are columns instead of rows
    TDirectoryListBox* DirectoryListBox1;  // the folder files are opened and saved in
    // Input options.
    TPCheck* Negativeimage;     // show the frame as a negative
    TPCheck* Pregamma;          // show the frame through the preview gamma
    TPCheck* HoldPreGamma;      // keep the preview gamma when a feature is picked
    TRxSpinEdit* Previewgamma;  // the preview gamma's value, shown with Pregamma
    TPCheck* Avidebay;          // "Use Debayer"
    TRadioGroup* debayergroup;
    TRadioGroup* Fittifstretch;  // stretch FITS and TIFF levels: always ask, yes, no
    TPCheck* AutoDetectColour;   // decide colour or black-and-white without asking
    TPCheck* Savesubcontrol;     // save into the subfolder Subdirname of that folder
    QLineEdit* Subdirname;       // enabled while Savesubcontrol is ticked
    // Quality options (TabSheet10): the quality method's label, the band of the spectral figure
    // (start bin and width, set automatically unless "Automatic" is off), the centre of the
    // human-vision weighting and the JPEG quality of "Compress".
    QWidget* TabSheet10;
    QLabel* Currentquality;
    TRxSpinEdit* QualityFilter;
    TRxSpinEdit* QualFilterDX;
    TRxSpinEdit* CentralHVS;
    TRxSpinEdit* Compresfactor;
    TPCheck* Autofilter;
    // Additional options: the language of the window's texts.
    LanguageBox* Languagebox;   // the language files' items and the built-in texts
    TPCheck* Autolanguage;      // apply the chosen language at start-up
    QToolButton* Speedbutton1;  // "Create": writes the translators' template
    QComboBox* ComboBox5;       // the window's character set, chosen by hand
    TRxSpinEdit* Fontsize;      // the window's font height in pixels
    QLabel* charset1;           // hidden: the window's character set as a number
    // Developer controls, shown only in the developer mode: the lost-lock ratio and the
    // gradient quality's parameters.
    QLabel* TrackDetector;
    TRxSpinEdit* TrackDetect;
    QLabel* FOMlabel;
    TRxSpinEdit* FOMspin;
    TRxSpinEdit* Pix1;
    TRxSpinEdit* Pix2;
    TRxSpinEdit* Pix3;

    // Indicators: the tab marker under the speed bar and the marker under the next button.
    TRectShape* Showbutton;
    TRectShape* Showbuttonp1;
    QFrame* Showpanel;
    TRectShape* RectShape1;

public:
    // What other parts of the window read or set here.
    // The tab marker, which the window lays over its whole content under the speed bar.
    TRectShape& tabMarker() const { return *Showbutton; }
    // The developer mode: its controls here (TrackDetector, TrackDetect, FOMlabel in red, FOMspin,
    // Pix1, Pix2) shown with every quality method offered, or FOMlabel, Pix1 and Pix2 hidden with
    // the first five offered; the chosen method is kept where it is offered. Where hiding leaves
    // no method chosen, the default takes over as the user would choose it
    // (`qualityMethodRequested`).
    void showDeveloperControls();
    void hideDeveloperControls();
    // Fills QualityMethodCombo with the first `count` items of CopyAlignmethods and chooses `index`
    // (no item when there is no such item).
    void fillQualityMethodCombo(int count, int index);
    // The general options the stack and the optimizer read beside their own: colour, the
    // calibration switches, interlacing, and the optimizer's bias, blur and preview gamma.
    void readGeneralOptions(StackOptions& options) const;
    // The optimizer's take also holds the dark frame's green plane while "Use dark frame" is ticked.
    void readGeneralOptions(OptimizerSearchOptions& search, const T2dArrays& darkGreen) const;
    // "Use dark frame" is ticked.
    bool usesDarkFrame() const;
    // "Show Alignment Points" is ticked.
    bool showsAlignPoints() const;
    // A stack starts: "Show Alignment Points" may be ticked for it.
    void allowShowingAlignPoints();
    // A dark frame or flat field was chosen: its switch may be ticked.
    void allowCalibration(CalibrationKind kind);
    // A dark frame, flat field or raw dark that did not fit the frames stays switched off.
    void switchCalibrationOff(bool dark, bool flat, bool rawDark);
    // The folder of the input browser, where the file dialogs open.
    std::filesystem::path currentFolder() const;
    // Where a saved image goes: the browser's folder, or its subfolder "Subdirname" while
    // Savesubcontrol is ticked.
    SaveFolderChoice saveFolderChoice() const;
    // The ranked frames the frame limit keeps, 0 .. last, as AlignSlider's range (the run holds
    // the limit; the slider shows it), and the rank the slider shows.
    void setLastRankPosition(int last);
    void showRank(int position);
    // The highest frame index of the input (PreviewSlider's MaxValue).
    int lastFrameIndex() const;
    // The alignment box side N: from the box-size choice (FFTsizeGroup), item 0 while it offers
    // none.
    int alignmentBoxSize() const;
    // The alignment method, as the item of Alignmethod.
    int alignMethodIndex() const;
    void setAlignMethodIndex(int index);
    // The frame a pass works on (Framelabel), and the alignment slider hidden while the
    // optimizer runs.
    void showFrameNote(const QString& text);
    void hideAlignSlider();
    // Whether the FFT window (ShowFFTbox) and the registration graph (ShowGraphbox) are chosen.
    bool fftWindowChosen() const;
    bool graphWindowChosen() const;
    void setFftWindowChosen(bool chosen);
    void setGraphWindowChosen(bool chosen);
    // Both switches at once, as the optimizer's steps read and set them.
    struct WindowChoice {
        bool fft = false;
        bool graph = false;
    };
    WindowChoice windowChoice() const;
    void setWindowChoice(WindowChoice choice);
    // Closing one of the page's tool windows (zoom, frame list, halt, FFT graph, registration
    // graphs) releases the switch that opened it, without running the switch's handlers.
    void releaseSwitchesOnClose(const ToolWindows& tools);
    // Whether the halt window is chosen (Haltwindow).
    bool haltWindowChosen() const;

    // Calibration: the dark frame's and flat field's switches wait for a frame to use; a loaded
    // one is switched on (a dark frame allows "Raw" too). "Raw" takes the dark frame off the raw
    // mosaic instead of the frames.
    void disallowCalibration(CalibrationKind kind);
    void useCalibration(CalibrationKind kind);
    bool usesRawDark() const;
    void setUsesDarkFrame(bool used);
    // "Colour": the input is taken in colour.
    void setColourInput(bool colour);

    // The frame slider's position.
    int previewPosition() const;
    void setPreviewPosition(int position);
    // Puts the frame slider on the first frame without announcing the move.
    void moveToFirstFrameQuietly();
    // "Goto Frame": shows the typed frame; a number beyond the input is replaced by the nearest
    // frame number, whose change shows that frame.
    void goToTypedFrame();
    // The picture the preview shows, the width of its control, and a repaint of it.
    QPixmap previewPicture() const;
    int previewWidth() const;
    void repaintPreview();
    // A picture shown in the preview, which takes its size unless it is fitted.
    void showInPreview(const QImage& picture, bool fitted);
    // "Fit": the preview fills its box instead of showing the frame at full size.
    bool fitChosen() const;
    // Sizes the preview to its box (fitted) or to the frame; returns the scale.
    float fitPreview(bool fitted);
    // The frame as it is: no negative, and the preview gamma only while "Hold" keeps it.
    void showPlainPreview();
    // The negative preview and the preview gamma: one excludes the other. The gamma's value and
    // "Hold" show with the gamma, "Hold" unticked.
    bool negativeShown() const;
    bool previewGammaShown() const;
    void showPreviewGammaControls(bool shown);
    void allowPreviewGamma(bool allowed);
    double previewGamma() const;
    // The levels of FITS and TIFF frames are stretched ("Yes" of Fittifstretch).
    bool stretchesInput() const;

    // The quality limit in percent of the best frame's, and whether "Limit" may be pressed.
    double qualityLimit() const;
    void setQualityLimit(double percent);
    bool limitAllowed() const;
    // The FFT filter radius, and the quality band shown without running the band's handlers.
    void setFilterRadius(double radius);
    void showQualityBand(std::optional<double> start, std::optional<double> width);
    // The frame the reference was taken from is shown, and the alignment's steps are open.
    void showReferenceFrame(int frame);
    // The hint to pick a feature goes once there is one.
    void hideFeatureHint();
    // The tabs of the page's options.
    void setOptionsEnabled(bool enabled);
    // The subfolder's name can be edited while "Save in subdirectory" is ticked.
    void followSaveSubfolderChoice();
    // "Colour" as chosen here or on the Wavelet page; "LRGB" is open only with colour.
    void followColourChoice(bool colour);
    // "LRGB" ticked; ticked by code (no click); its click is `lrgbClicked`.
    bool lrgbChosen() const;
    void setLrgbChosen(bool chosen);

    // Asked of the page's own handlers by the steps that take an input (each emits the signal of
    // the same intent below): the alignment method is put in force again (a new input), the
    // debayer switch follows its box (a colour video taken).
    void applyAlignMethod();
    void applyDebayerSwitch();

signals:
    // "Limit" was pressed: the ranked frames up to the preview slider's position are kept.
    void limitRequested();
    // The quality limit (in percent of the best frame's) was changed.
    void qualityLimitChanged();
    // "Goto Frame" was given a frame number.
    void gotoFrameRequested();
    // The calibration switches "Darkframe" and "Raw" were clicked.
    void darkFrameClicked();
    void rawDarkClicked();
    void lrgbClicked();
    // The preview's view options: the negative, the preview gamma and its value, and "Fit".
    void negativePreviewClicked();
    void previewGammaClicked();
    void previewGammaChanged();
    void fitPreviewClicked();
    // The preview's box was resized.
    void previewBoxResized();
    // The debayer method or the stretch of FITS and TIFF levels was chosen.
    void debayerMethodChosen();
    void inputStretchChosen();
    // The halt window's switch was clicked.
    void haltWindowClicked();
    // "Save in subdirectory" was clicked.
    void saveSubfolderClicked();
    // The folder of the input browser, "Save in subdirectory" or the subfolder's name changed,
    // by the user or by code (`saveFolderChoice()` tells what they are now).
    void foldersChanged();
    // What the functions of the same intent above ask for.
    void alignMethodRequested();
    void debayerSwitchRequested();
    void qualityMethodRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The preview with its view options and the overlays drawn on it.
    void buildPreview();
    // The frame slider and what goes with it under the preview.
    void buildFrameBrowser();
    // The alignment's own options and steps.
    void buildStepControls();
    // Markers placed by the handlers, outside the layout.
    void buildMarkers();
    void buildOptionTabs();
    // The preview beside the column of the step's options.
    void layOutPage();
    QWidget* buildGeneralOptions();
    QWidget* buildQualityOptions();
    QWidget* buildAdditionalOptions();
};

}  // namespace kestrave
