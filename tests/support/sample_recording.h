#pragma once
// Sample recordings for tests: a SER file of a synthetic planet under simulated seeing, written
// into a test's temporary folder, together with its ground truth (the true scene and every
// frame's shift, blur and brightness).

#include <filesystem>
#include <string>

#include "synth/recording.h"
#include "synth/ser_writer.h"

namespace kestrave::test {

// A small, quick recording: 96 × 72 pixels, 24 frames, shifts up to 3 pixels.
synth::SynthOptions smallRecordingOptions();

// A close-up of a cratered surface with flat plains (40 % of it) under a strong local warp
// (0.8 pixels, three periods across the frame).
synth::SynthOptions plainsRecordingOptions(int width, int height, int frames);

struct SampleRecording {
    std::filesystem::path path;  // the SER file
    synth::Recording truth;      // scene, planet and per-frame truth
};

// Writes the recording described by `options` as `folder`/`name`.
SampleRecording writeSampleRecording(const std::filesystem::path& folder,
                                     const synth::SynthOptions& options = smallRecordingOptions(),
                                     const std::string& name = "sample.ser",
                                     const synth::SerLayout& layout = {});

}  // namespace kestrave::test
