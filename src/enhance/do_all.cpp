#include "enhance/do_all.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "enhance/channel_composition.h"
#include "enhance/render_controls.h"
#include "enhance/wavelet_decomposition.h"

namespace kestrave {

namespace {

// Tiles on one axis less one: a single tile where the area spans the image.
int extraTiles(int imageSide, int areaSide, int step, int overlap) {
    if (areaSide >= imageSide) return 0;
    if (step < 1) {
        throw DoAllError("The processing area (" + std::to_string(areaSide) +
                         " pixels) is too small for Do All with these wavelet steps: the tiles overlap by " +
                         std::to_string(overlap) +
                         " pixels on each side. Choose a larger processing area or smaller steps.");
    }
    return imageSide / step;
}

// The user's processing area, put back after the tiles; when the run ends through an exception
// the area corners and WholeImageArea are put back as well.
class UserArea {
public:
    UserArea(RenderContext& context, bool Showprocessingarea)
        : context_(context),
          x_(context.section.ProcessAreaX),
          y_(context.section.ProcessAreaY),
          showProcessingArea_(Showprocessingarea) {}
    ~UserArea() {
        if (finished_) return;
        restore();
        context_.state.showProcessingArea = showProcessingArea_;
        context_.state.WholeImageArea =
            wholeImageArea(context_.section, context_.ImageWidth, context_.ImageHeight);
    }
    UserArea(const UserArea&) = delete;
    UserArea& operator=(const UserArea&) = delete;

    void restore() {
        context_.section.ProcessAreaX = x_;
        context_.section.ProcessAreaY = y_;
    }
    bool isUserArea(const TileOrigin& tile) const { return tile.x == x_ && tile.y == y_; }
    void finish() { finished_ = true; }

private:
    RenderContext& context_;
    int x_;
    int y_;
    bool showProcessingArea_;
    bool finished_ = false;
};

void decomposeLayers(RenderContext& context, const WaveletFilter& filter,
                     const WaveletProcessOptions& wavelet) {
    for (int n = 1; n <= WaveletLayerCount; ++n) {
        ComputeWaveletLayer(context.section, context.ImageWidth, context.ImageHeight, filter, wavelet, n);
    }
}

// One tile: the working image composed over the area and the reach of the layers (all that the
// decomposition reads; the whole image when that covers it), then the six layers.
void decomposeTile(RenderContext& context, const WaveletFilter& filter, const WaveletProcessOptions& wavelet,
                   int reach) {
    const WaveletArea area = waveletArea(context.section, context.ImageWidth, context.ImageHeight);
    const WaveletArea region{area.x0 - reach, area.y0 - reach, area.x1 + reach, area.y1 + reach};
    if (region.x0 <= 0 && region.y0 <= 0 && region.x1 >= context.ImageWidth - 1 &&
        region.y1 >= context.ImageHeight - 1) {
        ApplyRGBShift(context.section, context.ImageWidth, context.ImageHeight, context.state, wavelet);
    } else {
        ApplyRGBShift(context.section, context.ImageWidth, context.ImageHeight, context.state, wavelet,
                      region);
    }
    decomposeLayers(context, filter, wavelet);
}

}  // namespace

TileOrigin TilePlan::origin(std::int64_t k) const {
    const auto column = static_cast<int>(k % (nx + 1));
    const auto row = static_cast<int>(k / (nx + 1));
    return {column == 0 ? 0 : stepX * column, row == 0 ? 0 : stepY * row};
}

TilePlan tilePlan(int ImageWidth, int ImageHeight, int ProcessAreaWidth, int ProcessAreaHeight,
                  const WaveletStepOptions& steps) {
    TilePlan plan;
    plan.overlap = displayMargin(steps) + 2;
    plan.stepX = ProcessAreaWidth - 2 * plan.overlap;
    plan.stepY = ProcessAreaHeight - 2 * plan.overlap;
    plan.nx = extraTiles(ImageWidth, ProcessAreaWidth, plan.stepX, plan.overlap);
    plan.ny = extraTiles(ImageHeight, ProcessAreaHeight, plan.stepY, plan.overlap);
    return plan;
}

int decompositionReach(const WaveletFilter& filter, const WaveletProcessOptions& options) {
    int reach = 0;
    for (int n = 1; n <= WaveletLayerCount; ++n) {
        const int taps = options.Convolvemethod == TConvolveMethod::Gaussian ? filter.LayerHalfWidth[n] : 2;
        reach = std::max(reach, taps * std::abs(layerStep(options.steps, n)));
    }
    return reach;
}

DoAllResult processWholeImage(RenderContext& context, const WaveletFilter& filter,
                              const WaveletProcessOptions& wavelet, const RenderOptions& options,
                              const TTIFFBitMap& Stackimage, bool Showprocessingarea, ProgressPort& progress,
                              const std::function<void()>& tileShown) {
    ImageDataSection& section = context.section;
    ProgramState& state = context.state;
    const TilePlan plan = tilePlan(context.ImageWidth, context.ImageHeight, section.ProcessAreaWidth,
                                   section.ProcessAreaHeight, wavelet.steps);
    progress.setCancelRequested(false);
    state.WholeImageArea = true;
    state.DoAllDone = false;
    showStackView(Stackimage, context.ProcessImage, section.ResultImage16, context.ImageWidth,
                  context.ImageHeight);
    UserArea userArea(context, Showprocessingarea);
    state.showProcessingArea = false;
    progress.setMaximum(static_cast<int>(std::min<std::int64_t>(plan.tileCount(), 1 << 30)));
    progress.setPosition(0);
    const int reach = decompositionReach(filter, wavelet);

    DoAllResult result;
    for (std::int64_t k = 0; k < plan.tileCount(); ++k) {
        if (progress.cancelRequested()) {
            result.cancelled = true;
            break;
        }
        progress.setPosition(static_cast<int>(std::min<std::int64_t>(k + 1, 1 << 30)));
        const TileOrigin tile = plan.origin(k);
        // A tile that starts beyond the image would change nothing.
        if (tile.x >= context.ImageWidth || tile.y >= context.ImageHeight) continue;
        section.ProcessAreaX = tile.x;
        section.ProcessAreaY = tile.y;
        progress.setStatus(2, "position X1= " + std::to_string(tile.x) + " Y1=" + std::to_string(tile.y));
        decomposeTile(context, filter, wavelet, reach);
        result.histograms = renderPass(context, wavelet, options);
        ++result.tilesProcessed;
        progress.processMessages();
        if (tileShown) tileShown();
    }

    userArea.restore();
    // The layers must belong to the user's area again; a single tile that was that area (and
    // composed the whole image) has done so already.
    const bool onlyTileWasUserArea =
        plan.tileCount() == 1 && result.tilesProcessed == 1 && userArea.isUserArea(plan.origin(0));
    if (!onlyTileWasUserArea) {
        ApplyRGBShift(section, context.ImageWidth, context.ImageHeight, state, wavelet);
        decomposeLayers(context, filter, wavelet);
        result.histograms = renderPass(context, wavelet, options);
    }
    state.LayersDirty = false;
    state.showProcessingArea = Showprocessingarea;
    if (result.cancelled) {
        state.WholeImageArea = wholeImageArea(section, context.ImageWidth, context.ImageHeight);
        progress.setStatus(2, DoAllCancelledStatus);
    } else {
        state.DoAllDone = true;
        progress.setStatus(2, DoAllFinishedStatus);
    }
    userArea.finish();
    return result;
}

}  // namespace kestrave
