#pragma once
// What the wavelet page works on besides the image planes: the smoothing filters in use, the
// lookup tables of the render pass, what stacking hands over with a new stack, and the pictures
// of the processed view. The pipeline owns one.

#include <experimental/propagate_const>
#include <memory>

#include "codecs/tiff_bitmap.h"
#include "enhance/render.h"
#include "enhance/tone_tables.h"
#include "enhance/wavelet_filter.h"
#include "frames/gamma_table.h"
#include "platform/bitmap24.h"

namespace kestrave {

struct WaveletData {
    // The tables start as start-up leaves them: gamma 1.0 and the start-up tone curve.
    WaveletData();

    // The 5 × 5 kernel and the per-layer Gaussians that "Set", "Reset" and "Set Gaussian" build.
    WaveletFilter filter;

    // The gamma table also serves the frame display's pre-gamma. About 256 kB each: on the heap;
    // a const WaveletData gives its tables const, as it gives its other members.
    std::experimental::propagate_const<std::unique_ptr<GammaTableArray>> GammaTable;
    std::experimental::propagate_const<std::unique_ptr<ToneTables>> toneTables;

    // From stacking: the stack's value range and means, its luminance histogram and the stack
    // view (Stackimage) with its 16-bit samples.
    StackFacts stack;
    LuminanceHistogram StackLuminanceHistogram{};
    TTIFFBitMap Stackimage;

    // The picture of ProcessImage (the processed view).
    Bitmap24 ProcessPicture;
    // The compare tools' pictures: the last rendered view, and the copy "Copy to Clipboard" took.
    Bitmap24 Tempimage2;
    Bitmap24 ClipTemp;

    // The display histograms counted by the last render pass; the histogram windows draw them.
    DisplayHistograms displayHistograms{};
};

}  // namespace kestrave
