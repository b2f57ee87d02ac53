#pragma once
// What the end-to-end batch tests share: synthesised recordings in the containers the program
// reads, a headless run of the program in this process, and the measures that compare a result
// with the recording's true scene.

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "shell/application_context.h"
#include "shell/main_form.h"
#include "shell/startup.h"
#include "support/sample_recording.h"

namespace kestrave::test {

// A small recording for the batch tests: 160 x 120 pixels, 40 frames, shifts up to 4 pixels.
synth::SynthOptions batchRecordingOptions(int bitsPerSample = 8);

// The recording as an uncompressed 8-bit grey AVI (frames from the first one on).
void writeGreyAvi(const synth::Recording& recording, const std::filesystem::path& path);

// A grey picture with values as fractions of the full range.
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<double> values;  // row after row from the top
    double at(int x, int y) const { return values[static_cast<std::size_t>(y) * width + x]; }
    double& at(int x, int y) { return values[static_cast<std::size_t>(y) * width + x]; }
};

GreyImage sceneImage(const synth::Recording& recording);
GreyImage frameImage(const synth::Recording& recording, int index);
// The plain average of every frame, without any registration.
GreyImage averageOfFrames(const synth::Recording& recording);
// The frame whose seeing blurred it least.
int sharpestFrame(const synth::Recording& recording);
// A saved 16-bit PNG (its first channel).
GreyImage readResultPng(const std::filesystem::path& file);
GreyImage gaussianBlurred(const GreyImage& image, double sigma);

// How close `image` comes to `reference`: the image is moved onto the reference (whole and
// sub-pixel shifts) and its values mapped by the best gain and offset; the PSNR (dB, full range
// 1) is taken over the inner part, away from the edges stacking leaves partly covered.
double registeredPsnr(const GreyImage& image, const GreyImage& reference);
// The PSNR against the true scene blurred to the image's own sharpness (the blur that fits it
// best): what remains is noise, not blur.
double psnrAtOwnSharpness(const GreyImage& image, const GreyImage& scene);

// The PSNR against the true scene after the best linear sharpening of the image (a 7 x 7 kernel
// fitted by least squares, with the image registered on the scene): how much of the scene's
// detail the image still holds, whatever its own sharpness.
double psnrAfterSharpening(const GreyImage& image, const GreyImage& scene);
// Where the part x0..x1 - 1, y0..y1 - 1 of the image shows the scene: the image at (x, y) shows the
// scene at (x + dx, y + dy).
std::array<double, 2> localOffset(const GreyImage& image, const GreyImage& scene, int x0, int y0, int x1,
                                  int y1);

// One headless start of the program in this process with the given arguments.
struct BatchRun {
    ApplicationContext context;
    std::unique_ptr<TMainForm> form;
    StartupOutcome outcome;
    const std::vector<Message>& log() { return context.messages().batchLog(); }
    // Whether a logged message's caption or text holds `text`.
    bool logged(const std::string& text);
};
std::unique_ptr<BatchRun> runHeadless(std::vector<std::string> arguments);

std::string fileBytes(const std::filesystem::path& file);

}  // namespace kestrave::test
