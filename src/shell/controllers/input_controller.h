#pragma once
// Handlers of the input: choosing it (the speed bar's Select item, or the batch runner's input
// file), the per-input reset of the controls, the frame slider and the two frame lists.

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "frames/input_selection.h"

class QListWidget;
class QListWidgetItem;

namespace kestrave {

class ApplicationContext;
class TMainForm;

// What the input dialog returned: the chosen files (full paths) and the filter index; no files
// when the user cancelled.
struct ChosenInput {
    std::vector<std::string> files;
    InputFilter filter = InputFilter::None;
};

class InputController : public QObject {
public:
    explicit InputController(TMainForm& form);

    // Takes a new input: from the multi-select open dialog, or in a batch run from
    // BatchInputFile with the filter its extension picks.
    void SelectFileButtonClick();
    // Takes `file` as the new input, as if it had been chosen in the dialog under `filter`.
    void openInputFile(const std::string& file, InputFilter filter);
    // The per-input reset: the model's and the controls' start values before a new input.
    void initializesettings();

    // Shows the frame at the frame slider's position. A call made while one runs (from a loop
    // that lets events through) returns at once.
    void PreviewSliderChange();
    // Shows the frame of rank AlignSlider.Value.
    void AlignSliderChange();
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
    // How frames are read now: the debayer switch and pattern, the dark frame, the TIFF stretch.
    FrameSourceOptions readSourceOptions() const;
    // The highest frame index of the input (the frame slider's MaxValue, which cannot be 0).
    int lastIndex() const;

    // The multi-select open dialog (a Qt file dialog); tests put their own choice here.
    std::function<ChosenInput()> chooseInput;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ChosenInput runInputDialog();
    // Takes the chosen files as the new input once everything that can fail has been tried.
    void takeInput(const ChosenInput& chosen);
    bool askStretch(const char* caption);
    void resetControlsBeforeInput();
    void clearLastInputTexts();
    void showKindControls(const InputProbe& probe);
    void takeSingleImage(const InputRecord& record);
    void decideColour();
    // A luminance frame was read: the luminance channel is offered and LRGB chosen.
    void showLuminanceChoice();
    void showFrameError(const std::exception& error);

    int position() const;
    // Entry j of a list shows whether the frame at position j takes part.
    void syncEntry(QListWidget& list, int entry);
    void colourSign(int frame);
    // usedframes recounted after a change in the lists, and the label with it.
    void recountAndLabel();

    TMainForm& form_;
    ApplicationContext& app_;
    // The highest frame index of the input (the frame slider's MaxValue).
    int lastIndex_ = 0;
    bool previewBusy_ = false;
    bool selecting_ = false;
};

}  // namespace kestrave
