#pragma once
// The options of a batch run. Line 0 of the batch lines is the input file; every later line is
// an option: its first three characters, upper-cased, name it, and the rest of the line (from the
// fourth character, no separator) is its value. A later line of the same option overrides an
// earlier one; a line that names no option is ignored. Every option is checked before any work
// starts, so a mistyped value stops the run before anything is done.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

namespace kestrave {

struct BatchCommands;

// A batch line that cannot be honoured: a value that is not an integer. The run does not start.
class BatchOptionError : public KestraveError {
public:
    using KestraveError::KestraveError;
};

struct BatchOptions {
    // Line 0: the input file, or its name inside InputFolder.
    std::string inputLine;
    // "-XP", "-YP": the alignment feature in frame pixels; 0 means not given.
    int FeatureX = 0;
    int FeatureY = 0;
    // "-NF": the frame slider's position before the frame limit is applied (only when above 0).
    int FrameLimit = 0;
    // "-BF", "-EF": accepted; they select nothing.
    int FirstFrame = 0;
    int LastFrame = 0;
    // "-CR": a reference frame is built after the limit; above 0 it is the number of frames in it.
    bool CreateReference = false;
    int Refframes = 0;
    // "-MA": an alignment-point file; the frames are aligned on its points (multi-point alignment).
    std::optional<std::string> PointsFile;
    // "-FW": above 0, the zones of the points blend over seams this many pixels wide.
    int SeamWidth = 0;
    // "-DI": the folder the input file's name is taken in.
    std::optional<std::string> InputFolder;
    // The folder of the command file the lines came from (empty: the command line).
    std::filesystem::path CommandFolder;
    // "-WS": the wavelet scheme applied to the whole image (a name in the program folder, or a
    // path of its own).
    std::optional<std::string> WaveletScheme;
    // "-AS": the result is saved in this format ("bmp", "jpg", "fit", "tif", "png", any case).
    std::optional<std::string> SaveType;
    // "-EX": the program ends after the run.
    bool ExitAfterRun = false;
};

// Reads the option lines 1 .. BatchLineCount - 1. Throws BatchOptionError for an integer option
// whose value is not an integer.
BatchOptions parseBatchOptions(const BatchCommands& batch);

// Whether an option line, whatever the lines before it hold, is "-EX".
bool batchAsksToExit(const BatchCommands& batch);

// The input file: line 0, or with "-DI" the folder directly followed by line 0, a "/" put
// between them when the folder does not end in one. Line 0 without a folder of its own, from a
// command file, is the command file's neighbour, wherever the program was started.
std::string batchInputFile(const BatchOptions& options);

// The wavelet scheme file: a name is looked up in the program folder, a path is taken as given.
std::filesystem::path batchSchemeFile(const std::string& scheme, const std::filesystem::path& programDir);

// The filter index of the wavelet save dialog that "-AS" chooses: the row whose key the value
// names in any case ("bmp", "jpg", "fit", "tif", "png"), the first row for an empty value; any
// other value keeps `current`.
int batchSaveFilterIndex(std::string_view saveType, int current);

// The feature position the run aligns on. When x or y was not given (0), the feature is the
// image centre (width div 2, height div 2). The box of side `box` around it must stay inside the
// frame, so each coordinate is kept within box div 2 .. side - 1 - box div 2 (the centre when the
// frame is narrower than the box); `moved` says that was needed.
struct BatchFeature {
    int x = 0;
    int y = 0;
    bool moved = false;
};
BatchFeature placeBatchFeature(int x, int y, int width, int height, int box);

// The name the result is saved under (the file name preset in the save dialog; the saver puts
// its type's extension in place of this name's): `inputFile`, or `inputFile` + "_result" when
// the saver would otherwise write over one of `inputFiles`.
std::filesystem::path batchSaveName(const std::filesystem::path& inputFile, int filterIndex,
                                    const std::vector<std::filesystem::path>& inputFiles);

}  // namespace kestrave
