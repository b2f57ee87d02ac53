#include "reference_bench.h"

#include <algorithm>
#include <cmath>

namespace kestrave::test {

Bitmap24 greyPicture(int width, int height, const std::function<double(int, int)>& level) {
    Bitmap24 picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto v = static_cast<std::uint8_t>(std::nearbyint(std::clamp(level(x, y), 0.0, 255.0)));
            SetRGBTriple(v, v, v, picture.pixel(x, y));
        }
    }
    return picture;
}

void RecordingWindow::showFrame(int position) {
    calls.push_back("show " + std::to_string(position));
    if (onShow) onShow(position);
}

void RecordingWindow::applyAutomaticValues(const AutomaticFilterValues& values) {
    calls.push_back("apply");
    applied.push_back(values);
}

bool RecordingAligner::AlignFrame() {
    calls_.push_back("align");
    if (onAlign) onAlign();
    const bool answer =
        count < static_cast<int>(answers.size()) ? answers[static_cast<std::size_t>(count)] : true;
    ++count;
    return answer;
}

ReferenceBench::ReferenceBench(int width, int height, int n) : preview(width, height) {
    model->FrameWidth = model->ImageWidth = width;
    model->FrameHeight = model->ImageHeight = height;
    InitFFT(fft, n);
    BuildFFTBandMask(fft, 10.0);
    program.ProcessStage = TProcessStage::stFFTSizeSet;
}

AutomaticFilterValues ReferenceBench::reference(const ReferenceOptions& options) {
    return CalculateReferenceFFT(fft, registration, program, *model, *section, preview, options, messages);
}

std::vector<std::string> ReferenceBench::captions() const {
    std::vector<std::string> result;
    for (const Message& message : messages.history()) result.push_back(message.caption);
    return result;
}

}  // namespace kestrave::test
