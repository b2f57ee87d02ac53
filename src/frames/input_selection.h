#pragma once
// Taking a new input: one or several AVI files read one after the other as one frame sequence,
// one SER video, or a series of still frames (BMP, JPEG, FITS, TIFF, PNG).
//
// The work is split so that nothing of the current input is lost to a bad choice:
//   planInput    the chosen files, in frame order, of the kind the dialog's filter names;
//   probeInput   opens the input and reads its first frame without touching the current one
//                (a missing or unreadable file throws here, and the old input stays usable);
//   applyInput   after the per-input reset, describes the new input in the frame model, lists
//                its frames and installs the first frame as the shown picture.

#include <experimental/propagate_const>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "frames/frame_source.h"
#include "frames/input_sources.h"
#include "frames/program_state.h"
#include "frames/still_frames.h"
#include "platform/bitmap24.h"

namespace kestrave {

// The input dialog's filter index, which decides the kind of input.
enum class InputFilter : int { None = 0, AVI = 1, BMP = 2, FIT = 3, JPG = 4, TIF = 5, PNG = 6, SER = 7 };

// The alignment points saved on leaving the multi-point mode, kept in the current folder (the
// input's) and taken again when that mode is chosen once more; a new input removes it.
inline constexpr char TempPointFile[] = "temp.kap";

inline constexpr char TooManyFramesCaption[] = "Too many frames";
inline constexpr char TooManyFramesText[] = "Warning : maximum processing limit is 10000 frames ";

// The input type of a filter index (1..7) and the name stored as "Lasttype" and shown in the
// window caption ("AVI", "BMP", "FIT", "JPG", "TIF", "PNG", "SER").
TInputType inputTypeOf(InputFilter filter);
const char* inputKindName(InputFilter filter);

// The filter a file's lower-cased extension picks in a batch run: ".avi" AVI, ".bmp" BMP,
// ".fit", ".fts", ".fits" FIT, ".jpg" JPG, ".tif", ".tiff" TIF, ".png" PNG, ".ser" SER; None for
// any other.
InputFilter filterOfFile(const std::filesystem::path& file);

// The chosen files that make up the input, in frame order.
struct InputPlan {
    InputFilter filter = InputFilter::None;
    // Full paths. Files of another kind than the filter's are left out; a SER input is its first
    // SER file; a still series holds at most 10001 files and an AVI input at most 101 files.
    std::vector<std::string> files;
    // More files of the filter's kind were chosen than an input takes; the rest were left out.
    bool filesCapped = false;
    // Exactly one still image (not SER): it is stacked and processed without alignment.
    bool singleImage() const;
};

// Orders the chosen files case-insensitively by name (the file list's sort order) and keeps
// those of the filter's kind, up to the input's limit.
InputPlan planInput(std::vector<std::string> chosen, InputFilter filter);

// The first file of the plan that does not exist, or an empty string.
std::string firstMissingFile(const InputPlan& plan);

// What opening the input found. The first frame is read into buffers of the probe's own.
struct InputProbe {
    InputPlan plan;
    FrameBuffers first;
    FrameSamples firstSamples = FrameSamples::Bitmap;
    // Size of the first frame as the file declares it, and as its reader took it (SER, FITS,
    // TIFF keep at most MaxFrameSize; AVI and the other stills their whole size).
    int fileWidth = 0;
    int fileHeight = 0;
    int width = 0;
    int height = 0;
    // Frames of the input before the 10001-frame cap (AVI: of every file together).
    std::int64_t frameCount = 0;
    std::vector<int> aviFrameCounts;  // AVI: frames of each file
    // AVI: what is said of files that hold fewer frames than their headers count (empty when
    // none is cut short); their missing frames count as dropped.
    std::string aviMissingFrames;
    FrameReaderState facts;           // what the still and SER readers left about frame 0
    bool serBayer = false;            // SER: a colour-sensor mosaic
    int serDebayerItem = -1;          // SER: the Bayer pattern's item, -1 for none
    bool luminance = false;           // FITS: a luminance frame
    bool png16 = false;               // PNG: 16 bits per sample
    std::string fileDate;             // the first file's date, "yyyymmdd_hhmmss" (local time)
};

// Opens the input of the plan and reads its first frame (AVI: frame 0 of every file, for its
// frame count). Changes nothing outside the probe. Throws FileError (and its kinds) with the
// reader's message when a file is missing or cannot be read.
InputProbe probeInput(const InputPlan& plan, bool TifStretch);

// The input-side state the application keeps beside the frame model.
struct InputState {
    // The picture of PreviewImage: the frame shown last, 24 bits, blue-green-red.
    Bitmap24 PreviewBitmap;
    // What the readers left about the first frame of the input and the frame shown since.
    FrameReaderState readers;
    // The current folder: the folder of the input. TempPointFile lives there.
    std::filesystem::path inputFolder;
    // The frames of the current input, read by the frame browser (none before an input).
    std::experimental::propagate_const<std::unique_ptr<InputFrameSource>> source;
    // Hand-over buffers of the browser's reads.
    FrameBuffers browseBuffers;
    // The input file of a batch run, taken in place of the dialog's choice.
    std::string BatchInputFile;
    // The highest frame index of the input taken last, after the 10001-frame cap (0 before any);
    // a new input's reset keeps it until the next input is taken.
    int lastIndex = 0;
};

// The per-input part of InputState that the reset puts back before a new input is taken.
void resetInputState(InputState& input);

// What the window shows of the new input.
struct InputRecord {
    // The highest frame index (PreviewSlider.MaxValue), after the 10001-frame cap.
    int lastIndex = 0;
    bool singleImage = false;
    // "Too many frames": the input had more than 10001 frames; only frames 0..10000 are used.
    bool tooManyFrames = false;
    // More than 101 AVI files were chosen; those after the 101st were left out.
    bool aviFilesLeftOut = false;
    // "File warning" for a first frame wider or higher than MaxFrameSize: series (the "frames"
    // text) or AVI (the "frame" text).
    bool seriesFramesTooLarge = false;
    bool aviFrameTooLarge = false;
    std::string caption;                 // the main window's caption
    std::string objectName;              // the first file's name without folder and extension
    std::string fileDate;                // "yyyymmdd_hhmmss"
    std::string statusText;              // "Frames : n Imagesize : WxH"
    std::string aviMissingFrames;        // as in InputProbe
    std::vector<std::string> listItems;  // one per frame, in frame order
};

// Describes the probed input in the frame model and the program state (the per-input reset has
// run before): kind and flags, the frame names or the segment table, the sizes (clamped to
// MaxFrameSize), every frame selected, the stage. The first frame becomes the shown picture
// (preview, and RawFramePlane or HighBitFrame as the reader filled them) and the browser's
// frame source is set up with `sourceOptions`. Throws FileError when the SER file can no longer
// be opened.
InputRecord applyInput(FrameModel& model, ProgramState& state, ImageDataSection& section, InputState& input,
                       InputProbe&& probe, const FrameSourceOptions& sourceOptions);

// The reference-frame count kept for a new input: at most 50 and at most lastIndex div 2.
int limitRefframes(int refframes, int lastIndex);

// The colour test of a 24-bit picture: on a grid of about 101 × 101 samples, whether any
// sample's green or blue byte differs from its red byte.
bool colourimage(const Bitmap24& picture);

// The main window's caption while frame `frame` of a series or SER input is shown; empty for
// AVI input.
std::string seriesCaption(const FrameModel& model, int frame);

}  // namespace kestrave
