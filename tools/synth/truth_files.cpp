#include "synth/truth_files.h"

#include <bit>
#include <cstdio>
#include <string>
#include <system_error>

#include "platform/errors.h"
#include "platform/safe_file.h"

namespace kestrave::synth {

namespace {

std::string portableFloatMap(const SceneImage& scene) {
    std::string bytes = (scene.channels == 3 ? "PF\n" : "Pf\n") + std::to_string(scene.width) + " " +
                        std::to_string(scene.height) + "\n-1.0\n";
    bytes.reserve(bytes.size() + scene.values.size() * 4);
    for (int y = scene.height - 1; y >= 0; --y)
        for (int x = 0; x < scene.width; ++x)
            for (int c = 0; c < scene.channels; ++c) {
                const auto bits = std::bit_cast<std::uint32_t>(scene.at(c, x, y));
                for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(bits >> (8 * i)));
            }
    return bytes;
}

std::string frameTable(const std::vector<FrameTruth>& truth) {
    std::string text = "frame,shift_x,shift_y,blur_sigma,gain\n";
    char line[160];
    for (std::size_t i = 0; i < truth.size(); ++i) {
        const FrameTruth& t = truth[i];
        std::snprintf(line, sizeof line, "%zu,%.6f,%.6f,%.6f,%.6f\n", i, t.shiftX, t.shiftY, t.blurSigma,
                      t.gain);
        text += line;
    }
    return text;
}

}  // namespace

void writeTruthFiles(const Recording& recording, const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) throw FileError("Cannot create the folder " + folder.string() + ": " + error.message());
    writeFileAtomically(folder / "scene.pfm", portableFloatMap(recording.scene));
    writeFileAtomically(folder / "frames.csv", frameTable(recording.truth));
}

}  // namespace kestrave::synth
