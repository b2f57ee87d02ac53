#pragma once
// The à trous decomposition of the working image over the processing area: layer n is the
// difference between the working image and a copy smoothed with taps s(n) pixels apart; the
// smoothed copy becomes the working image of layer n + 1, so after layer 6 the working planes
// hold the residual inside the area (outside it they keep the input). The layers plus the
// residual add up to the input.
//
// Taps outside the image read the picture mirrored about its edge pixels, so an edge pixel is
// smoothed with the full kernel, as an inner one is, and a flat picture has flat layers up to its
// border. Sums run in double precision in a fixed tap order per pixel, and the passes run column
// by column on every core: each pass writes only a plane it does not read, so the result is the
// same for any thread count.

#include "enhance/wavelet_area.h"
#include "enhance/wavelet_options.h"
#include "frames/image_data_section.h"
#include "platform/bitmap24.h"
#include "platform/errors.h"

namespace kestrave {

// x0 = ProcessAreaX raised to 0, x1 = x0 + ProcessAreaWidth - 1 lowered to ImageWidth - 1; y alike.
WaveletArea waveletArea(const ImageDataSection& section, int ImageWidth, int ImageHeight);

// Splits layer n (1..6) off WorkPlanes into LayerPlanes[n] for the processed channels (the other
// channels' layers keep their contents), through ScratchPlane. Throws WaveletError when a plane
// it touches is smaller than the image or the area needs.
void ComputeWaveletLayer(ImageDataSection& section, int ImageWidth, int ImageHeight,
                         const WaveletFilter& filter, const WaveletProcessOptions& options, int n);

// The single-layer view: channel 1 of layer n over the processing area, drawn into the 24-bit
// picture at the pixels' image positions. With m, M the layer's minimum and maximum over the area
// shrunk by 10 pixels on every side (r = M - m, or 1 when not above 0) and b = (v - m) / r × 255
// rounded into 0..255: a negative value shows red 255 - b, a positive one green b, zero black.
// Pixels outside the picture are left out. The legend (LayerViewLegend, yellow on a transparent
// background at (x0 + 5, y0)) is the window's part.
void DrawWaveletLayer(const ImageDataSection& section, int ImageWidth, int ImageHeight, int n,
                      Bitmap24& picture);

// Throws WaveletError unless every plane is at least xCount × yCount cells.
void requirePlaneSize(const T2dArrays& plane, int xCount, int yCount);

}  // namespace kestrave
