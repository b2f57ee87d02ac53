#pragma once
// The end of a stack: the sums are divided by their weights (and the first sigma pass turns its
// statistics into clip bounds), the value range is fixed, and the stack is rendered into the
// 24-bit stack image and the 16-bit result image with its statistics and tone histogram.

#include <array>

#include "codecs/tiff_bitmap.h"
#include "frames/frame_model.h"
#include "frames/image_data_section.h"
#include "stacking/stack_accumulator.h"
#include "stacking/stack_options.h"
#include "stacking/stack_result.h"

namespace kestrave {

// Divides every stack pixel of the width x height canvas by its weight (a weight of at most
// 1e-10 counts, and is stored, as 1). Red, blue and luminance of FITS colour input have weights
// of their own in `sums`. In the first sigma pass the statistics in WorkPlanes become the clip
// bounds (WorkPlanes 0 low, 1 high) and SigmaPlane the relative deviation; a side that is
// switched off gets an unreachable bound.
void normaliseStack(ImageDataSection& section, const StackSums& sums, const StackOptions& options,
                    bool fitsColour, int width, int height);

// The range of plane values that maps to 0..255.
struct StackValueRange {
    double min = 0.0;
    double max = 0.0;
};
// From the measured range of the stack and the input: the sample range of the FITS BITPIX or
// SER depth when their levels are not stretched, 0..255 for other input without Histostretch,
// else the measured range.
StackValueRange stackValueRange(double measuredMin, double measuredMax, const StackOptions& options,
                                const FrameModel& model, bool rawSer);

// Measured minimum and maximum of the rendered channels (red, green and blue, or green alone).
StackValueRange measureStack(const ImageDataSection& section, bool colour, int width, int height);

// Renders the width x height stack with v' = (v - min) x 255 / (max - min + 1e-6): bytes
// Round(v') clamped to 0..255 into `stackImage`, words Round(v' x 255) clamped to 0..65535 into
// its 16-bit samples and into ResultImage16, and the statistics (a mono stack gives all three
// channels the green value and counts only its histogram).
StackStatistics renderStack(ImageDataSection& section, StackValueRange range, bool colour, int width,
                            int height, TTIFFBitMap& stackImage);

// Clips the histogram and makes it the cumulative tone curve, as StackStatistics describes.
void clipToneHistogram(StackStatistics& stats);

}  // namespace kestrave
