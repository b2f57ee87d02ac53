// The wavelet processing stage of the pipeline.

#include "enhance/channel_composition.h"
#include "enhance/clamped_round.h"
#include "enhance/clipboard_compare.h"
#include "enhance/render.h"
#include "pipeline/pipeline.h"

namespace kestrave {

void WaveletStage::markLayersDirty() {
    run_.state.LayersDirty = true;
}

ProcessStart WaveletStage::process(const WaveletProcessOptions& options, ProgressPort& progress) {
    beginWaveletProcessing(run_.model, options);
    if (run_.state.activepage < TMainTab::tabWavelet || run_.model.ImageWidth <= 0 ||
        run_.model.ImageHeight <= 0)
        return {};
    showStackInProcessedView();
    return {
        .stack = true,
        .decomposed = kestrave::decomposeWhenDirty(run_.images, run_.model.ImageWidth, run_.model.ImageHeight,
                                                   run_.state, run_.wavelet.filter, options, progress)};
}

void WaveletStage::showStackInProcessedView() {
    showStackView(run_.wavelet.Stackimage, run_.wavelet.ProcessPicture, run_.images.ResultImage16,
                  run_.model.ImageWidth, run_.model.ImageHeight);
}

void WaveletStage::chooseFeatureOnProcessedView(int x, int y, double scale) {
    run_.state.FeatureX = clampedRound(x / scale, 0, MaxFrameSize);
    run_.state.FeatureY = clampedRound(y / scale, 0, MaxFrameSize);
    moveProcessAreaToFeature(run_.images, x, y);
}

void WaveletStage::keepRenderedView() {
    CopyBitmap(run_.wavelet.ProcessPicture, run_.wavelet.Tempimage2);
}

void WaveletStage::keepClipboardPicture() {
    CopyBitmap(run_.wavelet.ProcessPicture, run_.wavelet.ClipTemp);
}

void WaveletStage::showDifferenceToClipboard() {
    diffGreen(run_.wavelet.ProcessPicture, run_.wavelet.ClipTemp, run_.model.ImageWidth,
              run_.model.ImageHeight);
}

void WaveletStage::showKeptPicture(bool clipboardPicture) {
    const Bitmap24& shown = clipboardPicture ? run_.wavelet.ClipTemp : run_.wavelet.Tempimage2;
    if (!shown.empty()) CopyBitmap(shown, run_.wavelet.ProcessPicture);
}

}  // namespace kestrave
