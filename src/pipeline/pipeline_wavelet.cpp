// The wavelet processing stage of the pipeline.

#include "enhance/channel_composition.h"
#include "enhance/clamped_round.h"
#include "enhance/clipboard_compare.h"
#include "enhance/render.h"
#include "pipeline/pipeline.h"

namespace kestrave {

void Pipeline::markLayersDirty() {
    run_.state.LayersDirty = true;
}

void Pipeline::beginProcessing(const WaveletProcessOptions& options) {
    beginWaveletProcessing(run_.model, options);
}

void Pipeline::showStackInProcessedView() {
    showStackView(run_.wavelet.Stackimage, run_.wavelet.ProcessPicture, run_.model.ImageWidth,
                  run_.model.ImageHeight);
}

bool Pipeline::decomposeWhenDirty(const WaveletProcessOptions& options, ProgressPort& progress) {
    return kestrave::decomposeWhenDirty(run_.images, run_.model.ImageWidth, run_.model.ImageHeight, run_.state,
                                        run_.wavelet.filter, options, progress);
}

void Pipeline::chooseFeatureOnProcessedView(int x, int y, double scale) {
    run_.state.FeatureX = clampedRound(x / scale, 0, MaxFrameSize);
    run_.state.FeatureY = clampedRound(y / scale, 0, MaxFrameSize);
    moveProcessAreaToFeature(run_.images, x, y);
}

void Pipeline::keepRenderedView() {
    CopyBitmap(run_.wavelet.ProcessPicture, run_.wavelet.Tempimage2);
}

void Pipeline::keepClipboardPicture() {
    CopyBitmap(run_.wavelet.ProcessPicture, run_.wavelet.ClipTemp);
}

void Pipeline::showDifferenceToClipboard() {
    diffGreen(run_.wavelet.ProcessPicture, run_.wavelet.ClipTemp, run_.model.ImageWidth, run_.model.ImageHeight);
}

void Pipeline::showKeptPicture(bool clipboardPicture) {
    const Bitmap24& shown = clipboardPicture ? run_.wavelet.ClipTemp : run_.wavelet.Tempimage2;
    if (!shown.empty()) CopyBitmap(shown, run_.wavelet.ProcessPicture);
}

}  // namespace kestrave
