#pragma once
// A result compared with a synthesised recording's true scene: the scene and the frames as grey
// pictures, and the measures of how close a picture comes to the scene (registered PSNR, PSNR at
// the picture's own sharpness, PSNR after the best linear sharpening, the residual blur).

#include <array>
#include <filesystem>
#include <vector>

#include "synth/recording.h"

namespace kestrave::test {

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

// The variance of the side x side box of `image` centred on (x, y): how much there is to align on.
double boxVariance(const GreyImage& image, int x, int y, int side);

// The deviation (pixels, in steps of 0.05) of the Gaussian blur of the scene that comes closest to
// the image: the blur the image still carries.
double residualBlur(const GreyImage& image, const GreyImage& scene);

}  // namespace kestrave::test
