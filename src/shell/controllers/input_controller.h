#pragma once
// Handlers of the input: choosing it (the speed bar's Select item, or the batch runner's input
// file), the per-input reset of the controls, the frame slider and the two frame lists.

#include <QObject>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "frames/frame_list_entries.h"
#include "frames/input_plan.h"
#include "pipeline/pipeline.h"
#include "platform/message_port.h"

class QImage;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QStackedWidget;
class QToolButton;
class QWidget;

namespace kestrave {

class WindowEntryPoints;
class AreaStages;
class AlignPage;
class Bitmap24;
class Pipeline;
class ShellPorts;
class WaveletPage;
struct FrameWindows;
struct ImageInfoWindow;
struct RegistrationWindows;
struct ToolWindows;
struct WaveletToolPanels;
struct WindowDialogs;

// What the input's handlers work on: the Align page (their own), the controls of the other pages
// that a new input resets, the frame lists and charts, and the controllers they hand on to.
struct InputControllerParts {
    Pipeline& pipeline;
    ShellPorts& ports;
    AlignPage& page;
    WaveletPage& waveletPage;
    WaveletToolPanels& waveletTools;
    FrameWindows& frameWindows;
    RegistrationWindows& registrationWindows;
    ToolWindows& tools;
    ImageInfoWindow& imageInfoWindow;
    WindowDialogs& dialogs;
    // The speed bar's Select item, marked while no input is taken, and its clipboard item.
    QToolButton& selectButton;
    QToolButton& clipboardButton;
    QProgressBar& progressBar;
    // Files are dropped on the Align page only.
    QStackedWidget& pages;
    // The window whose cursor a new input resets.
    QWidget& window;
    // The stack of a single image, and the close question's save.
    AreaStages& stages;
    // The handlers of the other areas, reached through the window.
    WindowEntryPoints& entries;
};

// The clipboard picture as the input picture: 24 bits, blue-green-red; a picture wider or higher
// than the largest frame keeps its top-left part, as the frame readers keep it.
Bitmap24 clipboardPicture(const QImage& image);

// What the input dialog returned: the chosen files (full paths) and the filter index; no files
// when the user cancelled.
struct ChosenInput {
    std::vector<std::string> files;
    InputFilter filter = InputFilter::None;
};

// How the intensity stretch of a new input's frames is decided: asked (or answered by the
// FIT/TIF stretch choice), left as it was, or set.
enum class StretchRule { Ask, Keep, Stretch };

// A message shown as its caption, text and dialog type.
struct InputNotice {
    std::string caption;
    std::string text;
    std::uint8_t type = 0;
};

// How a new input is taken: from the dialog, a frame list or dropped files.
struct InputTaking {
    StretchRule fit = StretchRule::Ask;
    StretchRule tif = StretchRule::Ask;
    StretchRule ser = StretchRule::Keep;
    // Colour or black-and-white processing is decided from the first frame.
    bool decideColour = true;
    // Shown when a still frame is larger than MaxFrameSize.
    InputNotice tooLarge{"File warning",
                         "AVI or BMP frames too large (max " + std::to_string(MaxFrameSize) + "x" +
                             std::to_string(MaxFrameSize) + " !!!",
                         mtWarning};
    // The notice also stands for a video's first frame, in place of the video's own.
    bool tooLargeForVideo = false;
    // A video's saves, the result's among them, propose the video's name; a project's load
    // proposes its own names.
    bool proposeVideoName = true;
    // Dropped files: the smaller reset of a drop, which keeps the wavelet page, the colour and
    // resampling settings; the colour is asked about only while it is not detected on its own.
    bool dropped = false;
};

class InputController : public QObject {
public:
    explicit InputController(const InputControllerParts& parts);
    // The Align page's handlers, built after this controller; set once by the window.

    // Takes a new input: from the multi-select open dialog, or in a batch run from
    // BatchInputFile with the filter its extension picks.
    void SelectFileButtonClick();
    // Takes `file` as the new input, as if it had been chosen in the dialog under `filter`.
    void openInputFile(const std::string& file, InputFilter filter);
    // The per-input reset: the model's and the controls' start values before a new input.
    void initializesettings();

    // Frame lists (".kfl"): the checked frames saved; a list taken as the input or appended to
    // the open series.
    void SaveFramelistbuttonClick();
    void LoadframelistbuttonClick();
    void AddframelistbuttonClick();
    // Takes the list as the input (the list dialog's choice, or the list named on the command
    // line). A list that cannot be read, names a missing file or no frame changes nothing.
    void loadFrameList(const std::filesystem::path& file);
    // Takes a project's input: FITS and SER frames stretched, TIFF as before, colour left to the
    // project's stored control values. False (the old input kept) when it cannot be taken.
    bool takeProjectInput(const InputPlan& plan);
    // "Empty List": a series' list is emptied so that dropped files start a new one; no frame is
    // read until they come.
    void EmptyframelistbuttonClick();
    // Files dropped on the main window (Align page only): still frames or one SER video, made the
    // input or appended to the open series of their kind.
    void PJFormDropFiles1DropFiles(const std::vector<std::string>& files);
    // Sorts a still-frame series by file name and shows its first frame.
    void SortFramelistbuttonClick();
    // The picture on the clipboard becomes the input: saved as "clipkestrave.bmp" in the current
    // folder and taken as one still image, which is stacked and processed at once.
    void ClipboardFrontClick();

    // Shows the frame at the frame slider's position. A call made while one runs (from a loop
    // that lets events through) returns at once.
    void PreviewSliderChange();
    // Shows the frame of rank AlignSlider.Value.
    void AlignSliderChange();
    // Status panel 2 after a video frame was read for the preview.
    void showVideoFrameRead(int frame);
    // Space (32) selects or excludes the shown frame; a dropped frame stays as it is.
    void PreviewSliderKeyDown(int key);
    // PreviewImage shows the preview picture (the frame read last).
    void showPicture();

    // "Frame list": the frame selection window shows while the box is checked; shown, it comes
    // to the front and every dropped frame is excluded and unchecked.
    void ShowFramelistClick();
    void SelectFramesChecklistClick();
    void SelectFramesChecklistClickCheck(QListWidgetItem* item);
    void SelectFramesChecklistDblClick();
    void SetallbuttonClick();
    void SetnoneframelistbuttonClick();
    void StackFramesListClick();
    void StackFramesListClickCheck(QListWidgetItem* item);
    void StackFramesListDblClick();

    // SelectFramesChecklist holds these entries, every one checked.
    void fillFrameList(const std::vector<std::string>& items);
    // The entries added after those there, every one checked.
    void appendFrameEntries(const std::vector<std::string>& items);
    // How frames are read now: the debayer switch and pattern, the dark frame, the TIFF stretch
    // (the same reader as `readSourceOptions` of align_page_options.h, on its own page).
    FrameSourceOptions readSourceOptions() const;
    // The highest frame index of the input (the run's, `input().lastIndex`).
    int lastIndex() const;

    // The multi-select open dialog (a Qt file dialog); tests put their own choice here.
    std::function<ChosenInput()> chooseInput;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ChosenInput runInputDialog();
    bool askStretch(const char* caption);
    bool decideStretch(StretchRule rule, bool current, const char* caption);
    // Runs `change` unless a long operation loops or another input is being taken.
    void changeInput(const std::function<void()>& change);
    // Takes the planned files as the new input; false (the old input kept) when a file is missing
    // or the first frame cannot be read.
    bool takeInput(const InputPlan& plan, const InputTaking& how);
    // The steps of taking an input: the window's part in the pipeline's take.
    struct TakeSteps;
    InputStretches decideStretches(InputFilter filter, const InputTaking& how);
    void prepareControlsForInput(bool dropped);
    // The reset of a drop in place of initializesettings.
    void resetForDrop();
    void showTakenInput(InputFilter filter, const ProbedInput& facts, const InputRecord& record,
                        const InputTaking& how);
    // `videoSizeTold`: a video's oversized frame was already reported.
    void showTakenSeries(const InputRecord& record, bool decideColourNow, bool videoSizeTold);
    // Takes `entries` as the input, or (`append`) appends them to the open series of their kind
    // keeping the open frames' choices; tells what was left out under `caption`. False when the
    // old input was kept.
    bool takeEntries(const FrameListEntries& entries, InputTaking how, const char* caption, bool append);
    // The listed frames appended to the open series: nothing else changes.
    void appendListedFrames(const FrameListEntries& entries);
    // The files of the open still-frame series; none once its list was emptied.
    std::vector<std::string> openSeriesFiles() const;
    void reportMissing(const std::string& file);
    void resetControlsBeforeInput();
    // The buttons of the passes that need frames (align, limit, optimize, stack) are greyed.
    void disablePassButtons();
    void clearLastInputTexts();
    void showKindControls(InputFilter filter);
    void takeSingleImage(const InputRecord& record);
    void decideColour();
    // A luminance frame was read: the luminance channel is offered and LRGB chosen.
    void showLuminanceChoice();
    // The read error of `file` (none for the open video: its name is in the caption).
    void showFrameError(const std::exception& error, const std::string& file);

    int position() const;
    // Entry j of a list shows whether the frame at position j takes part.
    void syncEntry(QListWidget& list, int entry);
    void colourSign(int frame);
    // usedframes recounted after a change in the lists, and the label with it.
    void recountAndLabel();

    InputControllerParts parts_;
    Pipeline& pipeline_;
    ShellPorts& ports_;
    // A frame read for another page (the stack graph's cut-off) shows on the preview; the sign
    // beside the preview follows the frame records (`showFrameSign`).
    Pipeline::Subscription runHeard_;
    void showFrameSign();
    bool previewBusy_ = false;
    bool selecting_ = false;
};

}  // namespace kestrave
