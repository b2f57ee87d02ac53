#include "batch_test_support.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>

#include "support/avi_test_writer.h"
#include "support/qt_test_application.h"

namespace kestrave::test {

synth::SynthOptions batchRecordingOptions(int bitsPerSample) {
    synth::SynthOptions options;
    options.width = 160;
    options.height = 120;
    options.frames = 40;
    options.maxShift = 4.0;
    options.seed = 21;
    options.bitsPerSample = bitsPerSample;
    return options;
}

void writeGreyAvi(const synth::Recording& recording, const std::filesystem::path& path) {
    const int width = recording.options.width, height = recording.options.height;
    AviTestFormat format;
    format.width = width;
    format.height = height;
    for (int i = 0; i < 256; ++i)
        format.colorTable.insert(format.colorTable.end(),
                                 {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0});
    AviTestWriter writer(path, format);
    const int rowBytes = (width + 3) / 4 * 4;
    std::vector<std::uint16_t> samples(recording.samplesPerFrame());
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(rowBytes) * height);
    for (int f = 0; f < recording.options.frames; ++f) {
        synth::renderFrame(recording, f, samples);
        // Rows bottom-up, as in an upright DIB.
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                frame[static_cast<std::size_t>(height - 1 - y) * rowBytes + x] =
                    static_cast<std::uint8_t>(samples[static_cast<std::size_t>(y) * width + x]);
        writer.addFrame(frame);
    }
    writer.finish();
}

std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool BatchRun::logged(const std::string& text) {
    return std::any_of(log().begin(), log().end(), [&](const Message& message) {
        return message.caption.find(text) != std::string::npos ||
               message.text.find(text) != std::string::npos;
    });
}

std::unique_ptr<BatchRun> runHeadless(std::vector<std::string> arguments) {
    app();
    auto run = std::make_unique<BatchRun>();
    run->form = std::make_unique<TMainForm>(run->context);
    run->outcome = run->form->FormCreate({std::move(arguments), true});
    return run;
}

}  // namespace kestrave::test
