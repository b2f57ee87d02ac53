#pragma once
// The ground truth of a recording as files, for checks outside the test programs:
// "scene.pfm" — the true scene as a portable float map ("Pf" grey or "PF" red-green-blue,
// little-endian floats, rows from the bottom as that format stores them), values as a fraction
// of the sample range; and "frames.csv" — one line per frame: frame index, shift x, shift y
// (pixels, scene content moves by them), blur deviation (pixels) and brightness gain.

#include <filesystem>

#include "synth/recording.h"

namespace kestrave::synth {

// Writes both files into `folder`, creating it when needed. Throws FileError on failure.
void writeTruthFiles(const Recording& recording, const std::filesystem::path& folder);

}  // namespace kestrave::synth
