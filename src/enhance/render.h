#pragma once
// The render pass of the wavelet page: the residual and the weighted wavelet layers are added up
// over the processing area, and each value is mapped through contrast, the gamma table,
// brightness, the black and white levels, the colour offsets and the colour balance (optionally
// tone mapping) into the 24-bit processed view and the 16-bit result image, whose samples are the
// 8-bit values × 255. The pass also counts the display histograms.
//
// Only the displayed region is written: the processing area less a margin on every side that
// does not touch the image edge, where the layers lack neighbours. Outside it the processed view
// and ResultImage16 keep what they had: the same picture, as a processing run starts by showing
// the stack view in both (showStackView). Overlays (area corners, alignment points) are the
// window's: they are drawn in a display layer over the view, never into it, so that they cannot
// end up in saved files.
//
// The pass runs column by column on every core; every pixel is computed on its own and the
// histograms are integer counts, so the result is the same for any thread count.

#include <array>
#include <cstdint>

#include "codecs/tiff_bitmap.h"
#include "enhance/render_options.h"
#include "enhance/tone_mapping.h"
#include "enhance/wavelet_decomposition.h"
#include "enhance/wavelet_filter.h"
#include "enhance/wavelet_options.h"
#include "frames/gamma_table.h"
#include "frames/image_data_section.h"
#include "frames/program_state.h"
#include "platform/bitmap24.h"

namespace kestrave {

// The image and the tables a render pass works on. ProcessImage is the 24-bit processed view;
// state supplies the levels (LevelHi is raised to LevelLo + 1 when both are equal), the colour
// balance and the channel shifts.
struct RenderContext {
    ImageDataSection& section;
    int ImageWidth;
    int ImageHeight;
    ProgramState& state;
    const GammaTableArray& GammaTable;
    const ToneTables& toneTables;
    StackFacts stack;
    Bitmap24& ProcessImage;
};

// The display margin M = Round(LevelStep + 5 × Multiplicant) + 3.
int displayMargin(const WaveletStepOptions& steps);

// The pixels one pass writes, inclusive corners (empty when none). With the area (x0, y0) raised
// to 0 and xe = x0 + ProcessAreaWidth: columns x0 + M .. xe - M, except that the first column is
// 0 when x0 is 0 and the last one is the area's last column inside the image when xe reaches
// ImageWidth - 1; rows alike.
WaveletArea displayedRegion(const ImageDataSection& section, int ImageWidth, int ImageHeight, int margin);

// ProcessImage becomes ImageWidth × ImageHeight with the stack view in it (the part of
// Stackimage that fits; black elsewhere), and ResultImage16 takes the stack view's 16-bit
// samples over the same pixels (0 where the view is black): the picture a processing run starts
// from. The final page and the savers read ResultImage16, so what a run leaves outside its
// displayed region must be what the processed view shows there, not an earlier run's pixels.
void showStackView(const TTIFFBitMap& Stackimage, Bitmap24& ProcessImage, TTIFFBitMap& ResultImage16,
                   int ImageWidth, int ImageHeight);

// The render pass (the core of Layer1sliderChanged): recombines LayerPlanes[0] = WorkPlanes +
// Σ checked weight × layer over the area (single precision), then writes the displayed region of
// ProcessImage (made ImageWidth × ImageHeight first, keeping its pixels) and of ResultImage16 and
// returns the display histograms. Throws WaveletError when a plane or the 16-bit image is
// smaller than the image or the area needs.
DisplayHistograms renderPass(RenderContext& context, const WaveletProcessOptions& wavelet,
                             const RenderOptions& options);

}  // namespace kestrave
