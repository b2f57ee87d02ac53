#pragma once
// Frame lists and dropped files: two more ways to name the files of a still-frame series (or
// one SER video) besides the input dialog.
//
// A frame list (".kfl") is a plain text file holding one full path of a frame file per line,
// in frame order, each line ended by CR LF, with no header and nothing else. The kind of the
// frames is not stored: it is that of the first line's file. Lists are read with LF or CR LF
// line ends; blank lines are skipped.
//
// Both lists and drops may add to the series that is open: the new files are appended when the
// open input is a still-frame series of the same kind, and otherwise make an input of their
// own. Either way the result is an InputPlan that the input selection takes like a choice made
// in the dialog.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "frames/frame_model.h"
#include "frames/input_selection.h"

namespace kestrave {

inline constexpr char FrameListExtension[] = "kfl";
// The longest line a list may hold: a path of the file system's largest length.
inline constexpr std::size_t MaxFrameListLine = 4096;
// A list of FrameCapacity such lines, with room for blank lines and lines of other kinds.
inline constexpr std::uintmax_t MaxFrameListBytes = 64u << 20;

// The kind of frames of a list whose first line names `file`: the kind its extension gives when
// that is a still-frame kind or SER, a BMP series for any other name (".jpeg" included; such a
// series fails cleanly when its first frame is read).
InputFilter frameListKind(const std::string& file);

// The frames a list (or a drop) contributes.
struct FrameListEntries {
    InputFilter kind = InputFilter::None;
    // Full paths of the kind, in list order; at most FrameCapacity.
    std::vector<std::string> files;
    // Lines (or dropped files) left out: of another kind, or SER videos after the first (a SER
    // input is one video).
    std::size_t leftOut = 0;
    // More than FrameCapacity files of the kind; the rest were left out.
    bool capped = false;
};

// Reads the text of a frame list. `kind` is the kind the files must have (None: that of the first
// line, by frameListKind); lines of another kind are counted and left out. Throws FileError when
// the text is not a frame list: a NUL or other control byte, or a line longer than
// MaxFrameListLine.
FrameListEntries parseFrameList(std::string_view text, InputFilter kind);
// The same for a list file; throws FileError also when it cannot be read or is larger than
// MaxFrameListBytes.
FrameListEntries readFrameList(const std::filesystem::path& file, InputFilter kind);

// The text of a list of `files`: each path and CR LF. Throws FileError for a path that a list
// cannot hold (a line break or NUL in it, or longer than MaxFrameListLine).
std::string frameListText(const std::vector<std::string>& files);
// Writes the list; an existing file is replaced only once the new one is complete.
void writeFrameList(const std::filesystem::path& file, const std::vector<std::string>& files);

// The files a saved list holds: those of the frames whose list entry is checked, in frame order
// (entry j stands for the frame at position j, which differs from frame j once the frames are
// ranked). A SER input is its video file, once, when any entry is checked. None for AVI input.
std::vector<std::string> checkedFrameFiles(const FrameModel& model, const std::vector<bool>& entryChecked);

// The files of the open still-frame series, frames 0..lastIndex in frame order (a single image
// is its one file); none for video input.
std::vector<std::string> seriesFiles(const FrameModel& model, int lastIndex);

// The dropped files that make or extend an input. The kind is that of the first file, which must
// be a still-frame kind or SER (otherwise the result's kind is None and it holds no file); files
// of another kind are left out, and a SER drop is its first video.
FrameListEntries droppedEntries(const std::vector<std::string>& dropped);

// The input that `entries` make with the open series `current` of kind `currentKind`: appended
// to it when both are still frames of one kind, else an input of their own; at most
// FrameCapacity files, filesCapped when more were given.
struct AppendedInput {
    InputPlan plan;
    // How many files of the open series lead the plan (0 for an input of their own).
    std::size_t kept = 0;
};
AppendedInput appendToSeries(const std::vector<std::string>& current, InputFilter currentKind,
                             const FrameListEntries& entries);

// The filter index of an input type.
InputFilter filterOfInputType(TInputType type);

// The window caption after a list was saved: "Kestrave processing BMPs: " (or "JPGs: ", "FITs: ",
// "TIFs: ", "PNGs: ") and the first frame's path; for SER "Kestrave processing SER: ", the video
// and " 0".
std::string savedListCaption(const FrameModel& model);

}  // namespace kestrave
