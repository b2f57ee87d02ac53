#include "support/sample_recording.h"

namespace kestrave::test {

synth::SynthOptions smallRecordingOptions() {
    synth::SynthOptions options;
    options.width = 96;
    options.height = 72;
    options.frames = 24;
    options.maxShift = 3.0;
    return options;
}

synth::SynthOptions plainsRecordingOptions(int width, int height, int frames) {
    synth::SynthOptions options;
    options.width = width;
    options.height = height;
    options.frames = frames;
    options.seed = 5;
    options.surface = true;
    options.flatPlains = 0.4;
    options.warp = 0.8;
    options.warpPeriods = 3;
    return options;
}

SampleRecording writeSampleRecording(const std::filesystem::path& folder, const synth::SynthOptions& options,
                                     const std::string& name, const synth::SerLayout& layout) {
    SampleRecording sample{folder / name, synth::planRecording(options)};
    synth::writeSerRecording(sample.truth, sample.path, layout);
    return sample;
}

}  // namespace kestrave::test
