#pragma once
// One optimizer step for one frame: the luminance window around the feature in the reference
// picture is compared with the same window at the frame's shifted position, for every integer
// offset around the current shift (a full raster, or a diamond walk with the "Single run
// optimizer"); the offset with the smallest mean squared difference becomes the frame's shift and
// the differences next to it give a sub-pixel offset.
//
// Both windows have side S = 2(h + r) + 1 for the half box h and the search radius r, and are
// buffers of their own: the reference window is built once per pass and shared (read-only) by
// every frame of the pass, the frame window lives in a per-thread workspace. The step works on a
// private copy of the part of the frame it reads, so the frame as read stays untouched and steps
// of different frames can run at the same time.

#include <array>
#include <vector>

#include "frames/frame_model.h"
#include "frames/gamma_table.h"
#include "frames/kernel3x3.h"
#include "frames/plane.h"
#include "platform/bitmap24.h"
#include "platform/level_bitmap.h"
#include "registration/optimizer_options.h"

namespace kestrave {

// Where the windows lie and what is compared, in working pixels (resampled pixels when
// resampling, frame pixels otherwise).
struct OptimizerGeometry {
    int N = 0;   // the alignment box side (FFTSize)
    int h = 0;   // half the box
    int hx = 0;  // half the compared box (the free box's half size with a free box)
    int hy = 0;
    int r = 0;  // search radius, at most 10
    int S = 0;  // window side 2(h + r) + 1
    int featureX = 0;
    int featureY = 0;
    int centreX = 0;  // centre of the compared box: the feature, or the free box's centre
    int centreY = 0;
    int imageWidth = 0;  // the working picture: the frame, or Round(frame x factor) - 1
    int imageHeight = 0;
    bool resampled = false;
    double factor = 1.0;
    // Working pixels per frame pixel along each axis as Stretch enlarges the reference picture to
    // the working image (end pixel onto end pixel); the frame's patches are enlarged and placed at
    // the same scale, so that both show a feature at the same working position. 1 without
    // resampling.
    double scaleX = 1.0;
    double scaleY = 1.0;
    // The part of the frame read around the shifted feature before resampling reaches
    // patchReach pixels to the left and above and is patchSide pixels wide and high.
    int patchReach = 0;
    int patchSide = 0;
    // The compared cells: columns firstColumn..lastColumn and rows firstRow..lastRow of the windows
    // (empty when the compared box lies outside the windows).
    int firstColumn = 0;
    int lastColumn = -1;
    int firstRow = 0;
    int lastRow = -1;
};

OptimizerGeometry optimizerGeometry(int FFTSize, int FeatureX, int FeatureY, const FrameModel& model,
                                    const OptimizerSearchOptions& options);

// A picture in working pixels: `pixels` (a 24-bit picture, or a grey one's levels when read
// without colour) holds the pixels from (left, top) on; positions outside it or outside the
// working image count as not in the picture.
struct WorkingPicture {
    FramePixels pixels;
    int left = 0;
    int top = 0;
};

// The reference window of one pass, S x S cells, row j at j x S, mean removed.
struct OptimizerReference {
    OptimizerGeometry geometry;
    std::vector<float> window;
    std::vector<float> compared;  // the window column by column, as the differences read it
    // The reference picture in working pixels (Image1, or its resampled copy Image2).
    Bitmap24 resampledPicture;
};

// Builds the reference window from the reference picture (Image1): resampled first when
// resampling. A cell is filled where its picture position lies inside the working image and the
// picture; the others are 0 before the mean of the filled cells is removed. Throws KestraveError
// when there is no reference picture.
OptimizerReference buildReferenceWindow(const Bitmap24& Image1, const FrameModel& model,
                                        const OptimizerGeometry& geometry,
                                        const OptimizerSearchOptions& options);

// The part of a frame that one step reads, in frame pixels, with the step's preparation (filter,
// pre-gamma, field interpolation) still to come.
struct FramePatch {
    Bitmap24 pixels;
    // The patch as grey levels alone, where the step reads no more of it (`pixels` is then empty):
    // without colour, prefilter, gamma, fields or resampling.
    LevelBitmap levels;
    int left = 0;
    int top = 0;
    int field = 0;   // InterlaceField of the step
    int startX = 0;  // the start shift of the step in working pixels
    int startY = 0;
    bool valid = false;  // the frame picture covers the frame
};

// The slot a step works on: slot 0, or in interlaced mode slot 2 for field 0 and slot 0 for
// field 1.
int optimizerSlot(const OptimizerSearchOptions& options, int field);

// Copies the part of `picture` (the frame as read, FrameWidth x FrameHeight) that the step for
// `field` of the frame with record `record` reads. The start shift is the slot's shift taken into
// working pixels from the unit it is in (frame pixels after the alignment, times the factor,
// rounded, when resampling).
FramePatch takeFramePatch(const Bitmap24& picture, const TFrameRec& record, const FrameModel& model,
                          const OptimizerGeometry& geometry, const OptimizerSearchOptions& options,
                          int field);
// The same from a grey picture's levels: the patch is the one its 24-bit form gives.
FramePatch takeFramePatch(const LevelBitmap& levels, const TFrameRec& record, const FrameModel& model,
                          const OptimizerGeometry& geometry, const OptimizerSearchOptions& options,
                          int field);
// The rows of the frame picture that takeFramePatch reads for the first `fieldCount` fields of
// the frame with record `record`, as it stands.
RowBand patchRows(const TFrameRec& record, const OptimizerGeometry& geometry,
                  const OptimizerSearchOptions& options, int fieldCount);

// Scratch of one thread: the frame window and the pictures of the preparation.
struct OptimizerWorkspace {
    std::vector<float> frameWindow;
    std::vector<float> comparedFrame;  // the frame window column by column
    Bitmap24 scratch;
    Bitmap24 resampled;
};

struct OptimizeStepResult {
    // Difference of offset (a, b) at [(a + 10) * 21 + (b + 10)]; NotComputed where not measured
    // (everything in the diamond walk).
    std::array<float, DifferenceTableSide * DifferenceTableSide> table{};
    bool accepted = false;  // a candidate was accepted
    int offsetX = 0;        // offset of the last accepted candidate from the start shift
    int offsetY = 0;
    // The compared box of the prepared frame around its new position (2 hx + 1 by 2 hy + 1,
    // resampled: 2 h + 1 square), for the display.
    Bitmap24 currentBox;

    float at(int a, int b) const {
        return table[(a + MaxSearchRadius) * DifferenceTableSide + b + MaxSearchRadius];
    }
};

// One optimizer step (OptimizeFrame) for the field of `patch`: writes the working slot's X, Y
// (in working pixels, with their unit) and Difference, Improvement and SubPixelX/Y of `record`.
//
// The start difference B is the slot's Difference (1.0 counts as not measured: 1.5e38). A
// candidate offset (a, b) within the radius is accepted when its difference D <= B (< B in
// interlaced mode); then Difference := D, Improvement := 100 - 100 D / (B + 1), B := D and the
// shift := start + (a, b). The full raster tries a = -r..r (outer), b = -r..r (inner); the
// diamond walk moves its centre to strictly better candidates of a large and then a small diamond
// until it stays, never beyond the radius, and offers the final centre once. The sub-pixel offset
// along each axis is the V-fit (D+ - D-) / (2 (D0 - max(D+, D-))) around the accepted offset (the
// start when none was accepted), 0 where a neighbour was not measured, and at most 0.5 either way.
// The patch is prepared in place.
OptimizeStepResult optimizeFramePatch(FramePatch& patch, TFrameRec& record, const FrameModel& model,
                                      const OptimizerReference& reference,
                                      const OptimizerSearchOptions& options,
                                      const GammaTableArray& GammaTable, OptimizerWorkspace& workspace);

// Both in one: the step for one field of the frame whose picture is `picture`. A picture smaller
// than the frame leaves the record as it was.
OptimizeStepResult OptimizeFrame(const Bitmap24& picture, TFrameRec& record, const FrameModel& model,
                                 const OptimizerReference& reference, const OptimizerSearchOptions& options,
                                 const GammaTableArray& GammaTable, int InterlaceField,
                                 OptimizerWorkspace& workspace);

}  // namespace kestrave
