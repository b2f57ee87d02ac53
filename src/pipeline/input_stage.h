#pragma once
// The start of a run and its input: the program's state as a start leaves it, a new input taken,
// its frames read and shown, the frames the user chooses and the frame lists.

#include "pipeline/pipeline_core.h"

namespace kestrave {

// How the frames of a new input are stretched: FITS, TIFF and SER samples.
struct InputStretches {
    bool fit = false;
    bool tif = false;
    bool ser = false;
};

// What the probe of a new input found that the window shows once the input is taken.
struct ProbedInput {
    InputFilter filter = InputFilter::None;
    bool serBayer = false;
    int serDebayerItem = -1;
    bool luminance = false;
};

// A new input taken: what the window shows of it.
struct InputTaken {
    InputRecord record;
    ProbedInput probed;
};

// The window's part in taking an input (Pipeline::takeInput): what it is told and asked.
class InputTakePorts {
public:
    virtual ~InputTakePorts() = default;
    // The file of the plan that is not there; nothing was opened.
    virtual void missingFile(const std::string& file) = 0;
    // The input could not be read; the current one stays.
    virtual void unreadable(const std::exception& error) = 0;
    // Whether the current work may be given up, and how the new frames are stretched; none when
    // the user keeps the current work.
    virtual std::optional<InputStretches> giveUpCurrent() = 0;
    // The current input is given up: the window puts its controls back (the per-input reset) and
    // shows those of the probed kind. Returns how the new input's frames are read.
    virtual FrameSourceOptions prepareFor(const ProbedInput& probed) = 0;
    // The files were dropped on the window (see InputState::takenByDrop).
    virtual bool dropped() const { return false; }
};

class InputStage : public virtual PipelineCore {
public:
    // --- Start-up -------------------------------------------------------------------------------
    // The program's state as a start leaves it: no stage, the Align page, no waiting click, the
    // default kernel, resampling ×2, drizzle ×2, no master-frame mode.
    void setStartState();
    // The standard luminance weights of LRGB and a neutral colour balance.
    void setStandardColourWeights();
    // No pass has run; no video is named.
    void clearProgress();
    void forgetVideoName();
    // The image planes of the processing area the stored item chooses.
    bool createImagePlanes(int processareaItem, ProgressPort& progress, MessagePort& messages);
    // The FFT tables for a box of `size` at (left, top).
    void setUpAlignmentBox(int size, int left, int top);
    // The per-input marks as for a fresh input: no feature, the full level range, the processing
    // area at the origin, no single image.
    void resetMarks();
    // The memory this process holds and the machine has, read from the system now.
    MemoryFacts memoryFacts() const;
    // The page opened moves the stage to `stage`. Announces `Stage`.
    void enterPageStage(TProcessStage stage);
    // Questions take their unattended answers while on; returns what it was.
    bool setBatchMode(bool batch);

    // --- The input ----------------------------------------------------------------------------
    // Before a new input: the furthest page back to Align, one alignment box, no master-frame
    // mode, no feature, no 16-bit PNG, nothing charted; one more input given up. Announces
    // `Stage`.
    void resetBeforeInput();
    // The per-input reset of the tables, the feature, the boxes, the levels and the FFT engine
    // (`controls` are the page's values it keeps), and the shown picture's state.
    ResetResult resetForInput(const ResetControls& controls, ProgressPort& progress);
    // Takes the planned files as the new input, asking the window through `ports`: a missing
    // file or a first frame that cannot be read is told before any question and changes nothing;
    // the current work is given up only when the window agrees, and the window's controls are
    // put back before the probed input becomes the current one. None when the input was not
    // taken (the old one stays). Announces `Input`.
    std::optional<InputTaken> takeInput(const InputPlan& plan, InputTakePorts& ports);
    // Takes the probed input: the frame model, the stage and the shown first frame, with the
    // stretch chosen for FITS, TIFF and SER frames; the input's last frame index is kept
    // (`input().lastIndex`). Announces `Input`. Throws FileError when a SER
    // file can no longer be opened (nothing is announced then).
    InputRecord takeInput(InputProbe&& probe, const FrameSourceOptions& options, bool fitStretch,
                          bool tifStretch, bool serStretch);
    // The window's caption of the current input (see inputCaption), set again after a save:
    // "HI-AVI" for a video of more than 8 bits per sample, frame 0 for SER.
    // Nothing before any input.
    void restoreInputCaption(ProgressPort& progress, SavedWork saved = SavedWork::Other) const;
    // A pasted picture kept as the BMP file "clipkestrave.bmp" in `folder` (written through a
    // temporary file), ready to be taken as the input; returns the file. Throws FileError when it
    // cannot be written (an older file is then left as it was).
    std::filesystem::path keepPastedPicture(const std::filesystem::path& folder,
                                            const Bitmap24& picture) const;
    // The image planes for frames of the input's size.
    bool setUpImagePlanes(ProgressPort& progress, MessagePort& messages);
    // Reads frame `frame` with the read options `read` into the shown picture, then its negative
    // and its preview gamma when asked. A failed read throws and leaves the frame shown before.
    ShownFrame showFrame(int frame, const FrameSourceOptions& read, bool negative, bool pregamma);
    // The preview gamma builds the table the shown frames are brightened with.
    void setPreviewGamma(double gamma);
    // FITS, TIFF and SER frames are stretched to their full range, or read as they are.
    void setInputStretch(bool stretch);
    // A series of pictures sorted by name; the frame source reads them in that order. Returns the
    // sorted names (`count` of them); other inputs keep their order and return nothing.
    std::vector<std::string> sortSeries(int count, int lastFrame, const FrameSourceOptions& options);
    // Appends frames of the open series' kind after its last one, selected, up to the 10001-frame
    // cap; nothing else of the input changes (no frame is read, usedframes stays). Returns the new
    // last frame index.
    int appendSeriesFrames(const std::vector<std::string>& files, const FrameSourceOptions& options);
    // The folder a saved image goes into: the chosen folder, or its subfolder while one is chosen,
    // made with any missing parents. Throws FileError when it cannot be made.
    std::filesystem::path saveFolder(const SaveFolderChoice& choice) const;
    // The folder the program works in and the save subfolder beside it, as chosen on the Align
    // page (`folders()`).
    void chooseFolders(const SaveFolderChoice& choice);
    // Frame lists. The frames a list file names of `kind` (None: the kind of its first line);
    // throws FileError when it cannot be read or is too large.
    FrameListEntries listedFrames(const std::filesystem::path& file, InputFilter kind) const;
    // The files a saved list holds: those of the frames whose list entry is checked, in frame
    // order (entry j stands for the frame at position j). A SER input is its video file, once,
    // when any entry is checked. None for AVI input.
    std::vector<std::string> checkedFrameFiles(const std::vector<bool>& entryChecked) const;
    // The files of the open still-frame series, frames 0..lastIndex in frame order; none for
    // video input.
    std::vector<std::string> seriesFiles(int lastIndex) const;
    // Writes the list of `files`; an existing file is replaced only once the new one is complete.
    // Throws FileError when it cannot.
    void saveFrameList(const std::filesystem::path& file, const std::vector<std::string>& files) const;
    // The user's choice of frames: one frame in or out, all in (dropped frames stay out), all
    // out; each recounts `usedframes` over frames 0 .. lastIndex. Announces `Frames`.
    void selectFrame(int frame, bool selected);
    void selectAllFrames(int lastIndex);
    void excludeAllFrames(int lastIndex);
    // `usedframes` counted again as the stage counts it; returns the count.
    int recountUsedFrames(int position, int lastIndex);
    int countSelectedFrames(int lastIndex);
    // The frames 0 .. lastFrame of the current input, read as the options say. Throws FileError
    // when a SER input cannot be opened.
    std::unique_ptr<InputFrameSource> inputFrames(int lastFrame, const FrameSourceOptions& options);
    // The debayer switch of the Align page turned on or off (a 16-bit colour SER input warns).
    // Debayering chooses colour (`colourChoice()`, announced as `Colour`).
    DebayerSwitchResult switchDebayer(bool debayer, bool highBitSer, MessagePort& messages);
    // Colour or black-and-white processing chosen, and by what. Announces `Colour`, also when the
    // choice stays.
    void chooseColour(bool colour, ColourChoice::By by);
    // The frame list emptied: no frame is ranked, used or read (the browser reaches position 1),
    // no stage, the Align page the furthest. Announces `Frames` and `Stage`.
    void emptyFrameList();
    // The preview shows nothing (a one-pixel picture).
    void blankPreview();
    // The file a batch takes as its input.
    void nameBatchInput(const std::string& file);
    // Every record of the frame table and the ranking back to "nothing known".
    void clearFrameTables();

protected:
    ~InputStage() = default;
};

}  // namespace kestrave
