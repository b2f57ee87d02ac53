#pragma once
// Inputs for the input-selection and frame-source tests: pattern bitmaps, and a new input taken
// the way the window takes it.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "frames/input_selection.h"
#include "frames/still_test_files.h"
#include "support/tagged_avi.h"

namespace kestrave::test {

// A 24-bit bitmap of width x height whose pixels follow `seed`.
inline void writePatternBmp(const std::filesystem::path& path, int width, int height, std::uint32_t seed) {
    BmpParams params;
    params.width = width;
    params.height = height;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = (seed * 2654435761u + i * 40503u) & 0xFFFFFFu;
    writeFile(path, makeBmp(params, pixels));
}

// Plans, probes and applies the chosen files as the window does after the reset.
inline InputRecord takeInput(FrameModel& model, ProgramState& state, ImageDataSection& section,
                             InputState& input, const std::vector<std::filesystem::path>& files,
                             InputFilter filter, const FrameSourceOptions& options = {}) {
    std::vector<std::string> names;
    for (const auto& file : files) names.push_back(file.string());
    InputProbe probe = probeInput(planInput(names, filter), options.TifStretch);
    return applyInput(model, state, section, input, std::move(probe), options);
}

}  // namespace kestrave::test
