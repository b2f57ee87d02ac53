#pragma once
// The frames a frame list or a drop contributes, and how they make an input with the open series
// (frame_list.h reads and writes the lists).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "frames/input_plan.h"

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

}  // namespace kestrave
