#pragma once
// A new input as values: the kind the input dialog's filter names, the chosen files that make up
// the input, and what the window shows of it once taken.

#include <filesystem>
#include <string>
#include <vector>

#include "frames/frame_model.h"

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
    // Taken as a series of frames even when it is one file (files dropped on the window).
    bool series = false;
    // Exactly one still image (not SER, not dropped): it is stacked and processed without alignment.
    bool singleImage() const;
};

// Orders the chosen files case-insensitively by name (the file list's sort order) and keeps
// those of the filter's kind, up to the input's limit.
InputPlan planInput(std::vector<std::string> chosen, InputFilter filter);
// The plan of the files chosen in the input dialog (or a batch's input file): as planInput, but
// when none of them is of the filter's kind the first is taken as one (its reader then says
// whether it is); a name of no input kind is taken as a video. No files only when none was chosen.
InputPlan planChosenInput(const std::vector<std::string>& chosen, InputFilter filter);

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

// The reference-frame count kept for a new input: at most 50 and at most lastIndex div 2.
int limitRefframes(int refframes, int lastIndex);

// The main window's caption while frame `frame` of a series or SER input is shown; empty for
// AVI input. Shown by the stack's quality cut-off (`ShownBy::StackCutoff`), a TIF series reads
// "TIFs: " and a SER frame number stands after two blanks.
enum class ShownBy { Browsing, StackCutoff };
std::string seriesCaption(const FrameModel& model, int frame, ShownBy shownBy = ShownBy::Browsing);

// The main window's caption of the input as a whole, set again after a save: "Kestrave processing
// BMPs: " (or "JPGs: ", "FITs: ", "TIFs: ", "PNGs: ") and the first frame's path; for SER
// "Kestrave processing SER: ", the video and " 0"; for video "Kestrave processing AVI: " (or
// "HI-AVI: " while its frames hold more than 8 bits per sample) and the first video file.
// After an image is saved a PNG series reads "PNG: " (`SavedWork::Image`).
enum class SavedWork { Other, Image };
std::string inputCaption(const FrameModel& model, bool highBitVideo, SavedWork saved = SavedWork::Other);

}  // namespace kestrave
