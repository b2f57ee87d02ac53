#pragma once
// The alignment-point file (".kap"): INI text holding the frame the points were placed on and
// each point's position and box side.
//
//   [Frame]  Number   the preview position when the points were saved
//   [Points] Number   points + 1
//            Xi, Yi, FFTi  point i (1..Number - 1): position in frame pixels and box side

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "registration/alignment_points.h"

namespace kestrave {

// Writes the points as a new file that replaces `path` only once it is complete. Throws FileError
// when it cannot be written; an existing file then stays as it was.
void writeAlignPointFile(const std::filesystem::path& path, int frameNumber,
                         std::span<const AlignPoint> points);

// Reads a point file for a frame of the given size. Only rows 1..99 are read, whatever count the
// file claims; a row that is not a point (a value that is not an integer, a box side other than
// the five sizes, a position off the frame) is left out and named in `problems`, so the arrays
// never receive a stale or bogus entry. Throws FileError when the file is missing, is not a
// regular file of a point file's size, or cannot be read.
PointFileContent readAlignPointFile(const std::filesystem::path& path, int frameWidth, int frameHeight);

}  // namespace kestrave
