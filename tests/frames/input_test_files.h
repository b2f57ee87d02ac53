#pragma once
// Inputs for the input-selection and frame-source tests: tagged grey AVI videos, tiny bitmaps,
// and a frame model filled the way a new input fills it.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "frames/avi_test_sink.h"
#include "frames/input_selection.h"
#include "frames/still_test_files.h"
#include "support/avi_test_writer.h"

namespace kestrave::test {

// A grey (Y800) video of 8 x 6 pixels; frame k carries the tag first + k in its first two
// pixels (low byte, high byte; read back with tagOf) and a pattern of its own in the others.
inline void writeTaggedAvi(const std::filesystem::path& path, int count, int first = 0) {
    AviTestFormat format;
    format.handler = format.compression = "Y800";
    format.width = 8;
    format.height = 6;
    AviTestWriter writer(path, format);
    for (int k = 0; k < count; ++k) {
        const int tag = first + k;
        std::vector<std::uint8_t> frame(48);
        for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(tag * 13 + i * 7);
        frame[0] = static_cast<std::uint8_t>(tag);
        frame[1] = static_cast<std::uint8_t>(tag >> 8);
        writer.addFrame(frame);
    }
    writer.finish();
}

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
