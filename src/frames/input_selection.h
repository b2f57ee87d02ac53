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
#include "frames/input_plan.h"
#include "frames/input_sources.h"
#include "frames/program_state.h"
#include "frames/still_frames.h"
#include "platform/bitmap24.h"

namespace kestrave {

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
    FrameReaderState facts;   // what the still and SER readers left about frame 0
    bool serBayer = false;    // SER: a colour-sensor mosaic
    int serDebayerItem = -1;  // SER: the Bayer pattern's item, -1 for none
    bool luminance = false;   // FITS: a luminance frame
    bool png16 = false;       // PNG: 16 bits per sample
    std::string fileDate;     // the first file's date, "yyyymmdd_hhmmss" (local time)
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
    // The input taken last came as files dropped on the window, which keep the wavelet page's,
    // the colour balance's and the resampling settings.
    bool takenByDrop = false;
    // The input file of a batch run, taken in place of the dialog's choice.
    std::string BatchInputFile;
    // The video taken last holds more than 8 bits per sample (its caption says "HI-AVI").
    bool highBitVideo = false;
    // The highest frame index of the input taken last, after the 10001-frame cap (0 before any);
    // a new input's reset keeps it until the next input is taken.
    int lastIndex = 0;
    // The last frame position the frame browser reaches: the last frame index of a series (1 for
    // a series of one frame or an emptied list, as a range cannot end at its start); a single
    // image of one frame leaves it where it was.
    int browseLast = 1;
};

// The per-input part of InputState that the reset puts back before a new input is taken.
void resetInputState(InputState& input);

// Describes the probed input in the frame model and the program state (the per-input reset has
// run before): kind and flags, the frame names or the segment table, the sizes (clamped to
// MaxFrameSize), every frame selected, the stage. The first frame becomes the shown picture
// (preview, and RawFramePlane or HighBitFrame as the reader filled them) and the browser's
// frame source is set up with `sourceOptions`. Throws FileError when the SER file can no longer
// be opened.
InputRecord applyInput(FrameModel& model, ProgramState& state, ImageDataSection& section, InputState& input,
                       InputProbe&& probe, const FrameSourceOptions& sourceOptions);

// The colour test of a 24-bit picture: on a grid of about 101 × 101 samples, whether any
// sample's green or blue byte differs from its red byte.
bool colourimage(const Bitmap24& picture);

}  // namespace kestrave
