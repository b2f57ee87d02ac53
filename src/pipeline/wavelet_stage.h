#pragma once
// The wavelet stage: the stack processed into its wavelet layers, the page's settings (colour
// shifts and weights, kernel, curves, gamma and tones, levels), the render of the processed view,
// its compare tools and the page's scheme, filter and curve files.

#include <vector>

#include "pipeline/pipeline_core.h"

namespace kestrave {

struct AlignPointMark {
    int x = 0;
    int y = 0;
    int half = 0;
    int stacked = 0;
    int number = 0;
};

class WaveletStage : public virtual PipelineCore {
public:
    // --- Wavelet processing -------------------------------------------------------------------
    // A setting the layers are computed with changed: they are computed again before the next
    // rendering.
    void markLayersDirty();
    // "Process", the process stage: the image size follows the stack (resampled or not); when a
    // stack is there for the Wavelet page it is shown in the processed view and the layers are
    // computed when out of date (throws WaveletError). The stack's own picture shown again.
    ProcessStart process(const WaveletProcessOptions& options, ProgressPort& progress);
    void showStackInProcessedView();
    // A click on the processed view: the feature in frame pixels (the view's point divided by
    // `scale`), the processing area centred on the point.
    void chooseFeatureOnProcessedView(int x, int y, double scale);
    // The compare tools: the last rendered view kept, the picture copied to the clipboard kept,
    // the difference to that copy shown in green, one of the kept pictures shown again.
    void keepRenderedView();
    void keepClipboardPicture();
    void showDifferenceToClipboard();
    void showKeptPicture(bool clipboardPicture);

    // --- Settings and views -------------------------------------------------------------------
    // The working image composed again from the stack with the colour shifts and the LRGB
    // weights. Throws WaveletError when a plane is too small.
    void composeWorkingImage(const WaveletProcessOptions& options);
    // The colour shifts the spins say; the shifts found by searching the box (written into the
    // state, returned as the spins show them).
    void setColourShifts(const struct ShiftSpins& spins);
    struct ShiftSpins findColourShifts(const struct SearchBox& box, ProgressPort& progress);
    // The LRGB weights, the colour balance and the luminance weights.
    void setLRGBWeights(const std::array<float, 3>& weights);
    void setColourBalance(float red, float green, float blue);
    void setLuminanceWeights(const std::array<float, 3>& weights);
    // Another processing area (the stored item): false when it could not be made; otherwise the
    // layers are out of date.
    bool changeProcessArea(int item, MessagePort& messages);
    // The filter's kernel from the spins, and its Gaussian layers; each returns the caption of
    // the centre.
    std::string setWaveletKernel(const KernelSpins& spins);
    std::string buildGaussianLayers(float gauss, const std::array<float, 6>& widths);
    // The curves as the program starts; a curve's look, straight or not.
    void createCurves(bool linear);
    void setCurveStyle(EditedCurve curve, bool linear);
    // The hue-dependent curves flat again.
    void resetHueCurves();
    // A curve's table built from it (a gamma or tone curve lying wholly on the bottom edge keeps
    // the table in use).
    void buildCurveTable(EditedCurve curve);
    // The mouse on a curve editor's graph: a point inserted at (x, y), the point near it deleted,
    // the point near it dragged there (the curve then takes the edited look, straight segments
    // with `linear`); each says whether a point was found. The curve back to the default one.
    bool insertCurvePoint(EditedCurve curve, float x, float y);
    bool deleteCurvePoint(EditedCurve curve, float x, float y, const CurveGraphRules& graph);
    bool dragCurvePoint(EditedCurve curve, float x, float y, const CurveGraphRules& graph, bool linear);
    void resetCurve(EditedCurve curve);
    // The gamma curve read from a curve file in the edited look (the file is read whole first: one
    // that cannot be used throws FileError and leaves the curve as it was); the gamma curve
    // written to a curve file (throws FileError).
    void loadGammaCurve(const std::filesystem::path& file, bool linear);
    void saveGammaCurve(const std::filesystem::path& file) const;
    // The page's scheme and filter files. A scheme written (throws FileError) and read (throws
    // WaveletFileError). A kernel written to its file and to the program's copy (throws
    // FileError); read over `spins`, the values the file lacks kept (throws WaveletFileError); the program's
    // copy of a loaded kernel written (throws FileError).
    void saveScheme(const std::filesystem::path& file, const WaveletScheme& scheme) const;
    WaveletScheme loadScheme(const std::filesystem::path& file) const;
    void saveFilter(const std::filesystem::path& file, const KernelSpins& spins) const;
    KernelSpins loadFilter(const std::filesystem::path& file, const KernelSpins& spins) const;
    void keepFilterCopy(const KernelSpins& spins) const;
    // The red curve of the gamma graph from the gamma table in use.
    std::array<GraphPoint, 251> gammaCurvePoints() const;
    // The gamma table of the gamma spin; false (and the table of gamma 1) for a gamma it refuses.
    bool setGamma(double gamma);
    // The tone tables of the tone-map options; returns the scale in use.
    float rebuildTones(const ToneTableOptions& options);
    // The gamma table and the tone curve as the program starts.
    void resetGammaAndTone(float toneBias, float toneScale, bool toneGraph);
    // The display levels.
    void setLevels(float lo, float hi);
    // One render pass over the processing area (with the automatic balance, twice), keeping the
    // display histograms. Returns the options it rendered with: with the automatic balance, the
    // balanced offsets. Throws WaveletError.
    RenderOptions renderProcessedView(const WaveletProcessOptions& wavelet, RenderOptions options,
                                      bool autoBalance, bool balanceHistograms);
    // The whole image processed tile by tile; false when cancelled. Throws as the tiles do.
    // `tileShown` repaints the view after each tile.
    bool processWholeImage(const WaveletProcessOptions& wavelet, const RenderOptions& options,
                           bool showProcessingArea, ProgressPort& progress,
                           const std::function<void()>& tileShown = {});
    // A render on the wavelet page is over (a pass or the whole image, finished, failed or with
    // nothing to render): the pages that show the processed picture follow it. Announces
    // `Processed`.
    void finishRender();
    // Whether the processing area covers the whole image is noted.
    void noteWholeImageArea();
    // The colour area the window draws on the processed view was moved to be centred on (x, y):
    // the feature follows it (frame pixels: the point divided by `scale`).
    void followColourArea(int x, int y, double scale);
    // The processing area centred on the feature (`scale` turns frame pixels into view pixels).
    void centreProcessAreaOnFeature(double scale);
    // Layer n (1..6) computed again. Throws WaveletError.
    void computeWaveletLayer(const WaveletProcessOptions& options, int n);
    void setShowProcessingArea(bool show);
    // The processing area clipped to the image, as the layers cover it.
    WaveletArea clippedProcessArea() const;
    // The status text for the pointer at pixel (x, y) of the processed view; none outside the
    // stack.
    std::optional<std::string> pixelReadout(int x, int y) const;
    // The single-layer view: the image size of a resampled stack taken; a copy of the processed
    // view with layer n drawn over it (throws WaveletError).
    void takeResampledImageSize(const WaveletProcessOptions& options);
    Bitmap24 waveletLayerView(int n) const;
    // The alignment points drawn over the processed view: each ticked point at its place on the
    // stack's canvas with half its box side, the frames stacked for it and its number. One box:
    // the feature with the box size and the rounded stack weight there.
    std::vector<AlignPointMark> alignPointMarks() const;

protected:
    ~WaveletStage() = default;

private:
    // The gamma curve loaded from points in the edited look.
    void takeGammaCurve(const std::vector<SplinePoint>& points, bool linear);
};

}  // namespace kestrave
