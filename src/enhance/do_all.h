#pragma once
// "Do All": the current wavelet settings applied to the whole image. The decomposition and the
// render pass work on the processing area only, so the area is moved over the image in
// overlapping tiles; each tile is composed, decomposed and rendered into the processed view and
// ResultImage16, and at the end the user's area is processed again so that the layers belong to
// it. Neighbouring tiles overlap by O pixels on each side, 2 more than the render's display
// margin, so their displayed parts overlap by 5 pixels and leave no seam.
//
// Tiles run one after the other (a later tile overwrites the overlap of an earlier one); the work
// inside each tile runs on every core.

#include <cstdint>
#include <functional>

#include "codecs/tiff_bitmap.h"
#include "enhance/render.h"
#include "enhance/wavelet_filter.h"
#include "enhance/wavelet_options.h"
#include "platform/errors.h"
#include "platform/progress_port.h"

namespace kestrave {

// The processing area leaves no room between the tile overlaps (the tile step would be 0 or
// negative).
class DoAllError : public KestraveError {
public:
    using KestraveError::KestraveError;
};

struct TileOrigin {
    int x = 0;
    int y = 0;
};

// Overlap O = Round(LevelStep + 5 × Multiplicant) + 5, steps Dx = ProcessAreaWidth - 2O and
// Dy = ProcessAreaHeight - 2O, and nx + 1 columns by ny + 1 rows of tiles with
// nx = ImageWidth div Dx, ny = ImageHeight div Dy. Where the area is as wide (high) as the image,
// that axis has a single tile (nx = 0, ny = 0) and its step is never used.
struct TilePlan {
    int overlap = 0;
    int stepX = 0;
    int stepY = 0;
    int nx = 0;
    int ny = 0;

    std::int64_t tileCount() const { return static_cast<std::int64_t>(nx + 1) * (ny + 1); }
    // Tile k in row-major order: (Dx × (k mod (nx + 1)), Dy × (k div (nx + 1))).
    TileOrigin origin(std::int64_t k) const;
};

// Throws DoAllError when an axis needs more than one tile and its step is below 1.
TilePlan tilePlan(int ImageWidth, int ImageHeight, int ProcessAreaWidth, int ProcessAreaHeight,
                  const WaveletStepOptions& steps);

// How far beyond the processing area the six layers read the working image: per layer the
// filter's half width in taps (2 for the 5 × 5 kernel) times the layer step; the largest.
int decompositionReach(const WaveletFilter& filter, const WaveletProcessOptions& options);

inline constexpr const char* DoAllFinishedStatus = "Do_all processing finished";
inline constexpr const char* DoAllCancelledStatus = "Do_all processing cancelled";

struct DoAllResult {
    bool cancelled = false;
    int tilesProcessed = 0;
    // The histograms of the last pass, over the user's area.
    DisplayHistograms histograms{};
};

// The core of DoAllClick. Clears the cancel flag at its start (and only there: a cancel stays set
// for the caller); sets WholeImageArea; shows the stack view (Stackimage) in ProcessImage and
// ResultImage16; turns the area corners (state.showProcessingArea) off; then for each tile inside
// the image, unless cancelled: progress position + 1, status panel 2 "position X1= " x " Y1=" y,
// compose the tile and its reach, decompose, render, let the window process messages. Afterwards
// the user's area is restored and processed again (not when the only tile was that area), the
// corners follow Showprocessingarea, LayersDirty is cleared, and panel 2 reads "Do_all processing
// finished". After a cancel the tiles done stay processed, the others show the stack view (in
// both pictures); DoAllDone stays false, WholeImageArea again says whether the area covers the
// image, and panel 2 reads "Do_all processing cancelled". Throws DoAllError (before changing anything) for a
// tile step below 1 and WaveletError for planes that do not fit; the user's area is restored either way.
// `tileShown`, when given, runs after each tile has let the window through, to repaint the view.
DoAllResult processWholeImage(RenderContext& context, const WaveletFilter& filter,
                              const WaveletProcessOptions& wavelet, const RenderOptions& options,
                              const TTIFFBitMap& Stackimage, bool Showprocessingarea, ProgressPort& progress,
                              const std::function<void()>& tileShown = {});

}  // namespace kestrave
