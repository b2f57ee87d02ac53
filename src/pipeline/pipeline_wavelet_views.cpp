// The wavelet page's settings (colour shifts and weights, the filter, the curves, the levels), its
// views (the render pass, the processing area, the single-layer view) and the final
// page's picture state.

#include <algorithm>
#include <cmath>

#include "enhance/channel_composition.h"
#include "enhance/clamped_round.h"
#include "enhance/do_all.h"
#include "enhance/filter_file.h"
#include "enhance/gamma_curve_file.h"
#include "enhance/render_controls.h"
#include "frames/gamma_table.h"
#include "pipeline/pipeline.h"

namespace kestrave {

namespace {

RenderContext renderContextOf(RunState& run) {
    WaveletData& data = run.wavelet;
    return {run.images,       run.model.ImageWidth, run.model.ImageHeight, run.state, *data.GammaTable,
            *data.toneTables, data.stack,           data.ProcessPicture};
}

}  // namespace

// ---- colour ----

void WaveletStage::composeWorkingImage(const WaveletProcessOptions& options) {
    ApplyRGBShift(run_.images, run_.model.ImageWidth, run_.model.ImageHeight, run_.state, options);
}

void WaveletStage::setColourShifts(const ShiftSpins& spins) {
    setShiftsFromSpins(run_.state, spins);
}

ShiftSpins WaveletStage::findColourShifts(const SearchBox& box, ProgressPort& progress) {
    return RGBShifter(run_.images, run_.model.ImageWidth, run_.model.ImageHeight, box, run_.state, progress);
}

void WaveletStage::setLRGBWeights(const std::array<float, 3>& weights) {
    run_.state.LRGBWeights = weights;
}

void WaveletStage::setColourBalance(float red, float green, float blue) {
    run_.state.RGBBalance = {red, green, blue};
}

void WaveletStage::setLuminanceWeights(const std::array<float, 3>& weights) {
    run_.state.LumWeights = weights;
}

// ---- the filter ----

bool WaveletStage::changeProcessArea(int item, MessagePort& messages) {
    if (!ProcessareaChange(run_.images, item, messages)) return false;
    // The layer planes were replaced: the layers must be computed again for the new area.
    markLayersDirty();
    return true;
}

std::string WaveletStage::setWaveletKernel(const KernelSpins& spins) {
    return SetWaveletKernel(run_.wavelet.filter, spins);
}

std::string WaveletStage::buildGaussianLayers(float gauss, const std::array<float, 6>& widths) {
    return BuildGaussianLayers(run_.wavelet.filter, gauss, widths);
}

// ---- curves and levels ----

void WaveletStage::createCurves(bool linear) {
    createCurveObjects(run_.curves, linear);
}

void WaveletStage::takeGammaCurve(const std::vector<SplinePoint>& points, bool linear) {
    TBSpline& spline = run_.curves.GammaSpline;
    spline.Clear();
    for (const SplinePoint& p : points) spline.AddPoint(p);
    setEditedCurveStyle(spline, linear);
}

void WaveletStage::setCurveStyle(EditedCurve curve, bool linear) {
    setEditedCurveStyle(curveIn(run_.curves, curve), linear);
}

void WaveletStage::resetHueCurves() {
    kestrave::resetHueCurves(run_.curves, run_.finalImage.tables);
}

bool WaveletStage::insertCurvePoint(EditedCurve curve, float x, float y) {
    return kestrave::insertCurvePoint(curveIn(run_.curves, curve), x, y);
}

bool WaveletStage::deleteCurvePoint(EditedCurve curve, float x, float y, const CurveGraphRules& graph) {
    return kestrave::deleteCurvePoint(curveIn(run_.curves, curve), x, y, graph);
}

bool WaveletStage::dragCurvePoint(EditedCurve curve, float x, float y, const CurveGraphRules& graph,
                                  bool linear) {
    TBSpline& spline = curveIn(run_.curves, curve);
    const bool moved = kestrave::dragCurvePoint(spline, x, y, graph);
    setEditedCurveStyle(spline, linear);
    return moved;
}

void WaveletStage::resetCurve(EditedCurve curve) {
    setDefaultCurve(curveIn(run_.curves, curve));
}

void WaveletStage::loadGammaCurve(const std::filesystem::path& file, bool linear) {
    takeGammaCurve(kestrave::loadGammaCurve(file), linear);
}

void WaveletStage::saveGammaCurve(const std::filesystem::path& file) const {
    kestrave::saveGammaCurve(file, run_.curves.GammaSpline);
}

void WaveletStage::saveScheme(const std::filesystem::path& file, const WaveletScheme& scheme) const {
    saveWaveletScheme(file, scheme);
}

WaveletScheme WaveletStage::loadScheme(const std::filesystem::path& file) const {
    return loadWaveletScheme(file);
}

void WaveletStage::saveFilter(const std::filesystem::path& file, const KernelSpins& spins) const {
    saveFilterKernel(file, spins);
    keepFilterCopy(spins);
}

KernelSpins WaveletStage::loadFilter(const std::filesystem::path& file, const KernelSpins& spins) const {
    KernelSpins loaded = spins;
    loadFilterKernel(file, loaded);
    return loaded;
}

void WaveletStage::keepFilterCopy(const KernelSpins& spins) const {
    saveFilterKernel(filterCopyPath(), spins);
}

std::array<GraphPoint, 251> WaveletStage::gammaCurvePoints() const {
    return kestrave::gammaCurvePoints(*run_.wavelet.GammaTable);
}

void WaveletStage::buildCurveTable(EditedCurve curve) {
    const TBSpline& spline = curveIn(run_.curves, curve);
    HueCurveTables& hue = run_.finalImage.tables;
    switch (curve) {
        case EditedCurve::Gamma:
            kestrave::buildCurveTable(spline, GammaCurveShape, *run_.wavelet.GammaTable);
            return;
        case EditedCurve::Tone:
            kestrave::buildCurveTable(spline, ToneCurveShape, run_.wavelet.toneTables->ToneCurve);
            return;
        case EditedCurve::Hue:
            buildHueCurveTable(spline, hue.HueCurveTable);
            return;
        case EditedCurve::Saturation:
            buildHueCurveTable(spline, hue.SatCurveTable);
            return;
        case EditedCurve::Lightness:
            buildHueCurveTable(spline, hue.LightCurveTable);
            return;
    }
}

bool WaveletStage::setGamma(double gamma) {
    return applyGammaSpin(*run_.wavelet.GammaTable, gamma);
}

float WaveletStage::rebuildTones(const ToneTableOptions& options) {
    return rebuildToneTables(*run_.wavelet.toneTables, options, run_.wavelet.StackLuminanceHistogram);
}

void WaveletStage::resetGammaAndTone(float toneBias, float toneScale, bool toneGraph) {
    BuildGammaTable(*run_.wavelet.GammaTable, 1.0f);
    BuildToneCurve(run_.wavelet.toneTables->ToneCurve, toneBias, toneScale, toneGraph);
}

void WaveletStage::setLevels(float lo, float hi) {
    run_.state.LevelLo = lo;
    run_.state.LevelHi = hi;
}

// ---- rendering ----

RenderOptions WaveletStage::renderProcessedView(const WaveletProcessOptions& wavelet, RenderOptions options,
                                                bool autoBalance, bool balanceHistograms) {
    RenderContext context = renderContextOf(run_);
    run_.wavelet.displayHistograms = autoBalance
                                         ? renderWithAutoBalance(context, wavelet, options, balanceHistograms)
                                         : renderPass(context, wavelet, options);
    return options;
}

bool WaveletStage::processWholeImage(const WaveletProcessOptions& wavelet, const RenderOptions& options,
                                     bool showProcessingArea, ProgressPort& progress,
                                     const std::function<void()>& tileShown) {
    RenderContext context = renderContextOf(run_);
    return !kestrave::processWholeImage(context, run_.wavelet.filter, wavelet, options,
                                        run_.wavelet.Stackimage, showProcessingArea, progress, tileShown)
                .cancelled;
}

void WaveletStage::finishRender() {
    announce(PipelineChange::Processed);
}

void WaveletStage::noteWholeImageArea() {
    run_.state.WholeImageArea = wholeImageArea(run_.images, run_.model.ImageWidth, run_.model.ImageHeight);
}

// ---- the areas on the processed view ----

void WaveletStage::followColourArea(int x, int y, double scale) {
    run_.state.FeatureX = clampedRound(x / scale, 0, MaxFrameSize);
    run_.state.FeatureY = clampedRound(y / scale, 0, MaxFrameSize);
}

void WaveletStage::centreProcessAreaOnFeature(double scale) {
    kestrave::moveProcessAreaToFeature(run_.images,
                                       clampedRound(run_.state.FeatureX * scale, 0, MaxFrameSize),
                                       clampedRound(run_.state.FeatureY * scale, 0, MaxFrameSize));
}

void WaveletStage::computeWaveletLayer(const WaveletProcessOptions& options, int n) {
    ComputeWaveletLayer(run_.images, run_.model.ImageWidth, run_.model.ImageHeight, run_.wavelet.filter,
                        options, n);
}

void WaveletStage::setShowProcessingArea(bool show) {
    run_.state.showProcessingArea = show;
}

// ---- the single-layer view ----

void WaveletStage::takeResampledImageSize(const WaveletProcessOptions& options) {
    const ImageSize size = resampledImageSize(run_.model.FrameWidth, run_.model.FrameHeight, options);
    run_.model.ImageWidth = size.width;
    run_.model.ImageHeight = size.height;
}

WaveletArea WaveletStage::clippedProcessArea() const {
    return waveletArea(run_.images, run_.model.ImageWidth, run_.model.ImageHeight);
}

std::optional<std::string> WaveletStage::pixelReadout(int x, int y) const {
    return kestrave::pixelReadout(run_.images, x, y);
}

std::vector<AlignPointMark> WaveletStage::alignPointMarks() const {
    const AlignmentPoints& points = run_.alignPoints;
    const StackResult& stack = run_.stack.result;
    std::vector<AlignPointMark> marks;
    if (points.Alignpoints <= 1) {
        const int x = run_.state.FeatureX + stack.StackMaxShiftX;
        const int y = run_.state.FeatureY + stack.StackMaxShiftY;
        const T2dArrays& weight = run_.images.StackWeightPlane;
        const bool inside = x >= 0 && y >= 0 && x < weight.xCount() && y < weight.yCount();
        const int stacked = inside ? static_cast<int>(std::nearbyint(weight[x][y])) : 0;
        marks.push_back({x, y, run_.fft.FFTSize / 2, stacked, 1});
        return marks;
    }
    for (int p = 1; p <= std::min(points.Alignpoints, MaxAlignPoints); ++p) {
        const auto at = static_cast<std::size_t>(p);
        if (!points.PointEnabled[at]) continue;
        marks.push_back({points.PointPos[at].X + stack.StackMaxShiftX,
                         points.PointPos[at].Y + stack.StackMaxShiftY, points.PointFFTSize[at] / 2,
                         stack.PointStackDepth[at], p});
    }
    return marks;
}

Bitmap24 WaveletStage::waveletLayerView(int n) const {
    Bitmap24 view;
    CopyBitmap(run_.wavelet.ProcessPicture, view);
    DrawWaveletLayer(run_.images, run_.model.ImageWidth, run_.model.ImageHeight, n, view);
    return view;
}

// ---- the final page ----

void FinalStage::setRotationCentre(int x, int y) {
    run_.state.RotationCentreX = x;
    run_.state.RotationCentreY = y;
    run_.state.RotationCentreSet = true;
}

void FinalStage::setCropRect(const TEdgeRect& crop) {
    run_.state.CropRect = crop;
}

const FinalData& FinalStage::renderFinalPicture(const FinalSettings& settings) {
    const Bitmap24& rendered = run_.wavelet.ProcessPicture;
    if (rendered.empty()) {
        run_.finalImage.shown = Bitmap24();
        run_.finalImage.histogram = {};
        return run_.finalImage;
    }
    const FinalPicture picture =
        renderFinal(run_.images.ResultImage16, rendered.width(), rendered.height(), settings);
    run_.finalImage.shown = FlipBitmap(settings.FlipY, settings.FlipX, picture.image);
    run_.finalImage.histogram = picture.histogram;
    return run_.finalImage;
}

bool FinalStage::addHuePoint(float hue) {
    return kestrave::insertCurvePoint(run_.curves.HueSpline, hue, 50.0f);
}

std::optional<float> FinalStage::finalHueAt(int x, int y) const {
    return pointedHue(run_.images.ResultImage16, x, y, run_.model.ImageWidth, run_.model.ImageHeight);
}

Bitmap24 FinalStage::croppedFinalPicture() const {
    return cropBitmap(run_.finalImage.shown, run_.state.CropRect);
}

}  // namespace kestrave
