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

#include "frames/frame_list_entries.h"
#include "frames/frame_model.h"
#include "frames/input_selection.h"

namespace kestrave {

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

}  // namespace kestrave
