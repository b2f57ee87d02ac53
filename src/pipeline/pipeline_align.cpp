// The feature, box and alignment stage of the pipeline.

#include "pipeline/pipeline.h"

namespace kestrave {

ReferenceContext Pipeline::referenceContext(MessagePort& messages) {
    return ReferenceContext{run_.fft,    run_.registration, run_.state, run_.model,
                            run_.images, run_.input.PreviewBitmap, messages};
}

AlignContext Pipeline::alignContext(MessagePort& messages, ProgressPort& progress, AlignmentView& view) {
    return AlignContext{run_.fft,         run_.registration, run_.alignment, run_.state, run_.model,
                        run_.images,      *run_.wavelet.GammaTable, messages, progress, view};
}

void Pipeline::prepareAlignment(bool manualAlign) {
    run_.alignment.ManualAlign = manualAlign;
    run_.optimizer.NewReferenceMade = false;
    run_.optimizer.MultiPointReference = false;
}

void Pipeline::startAtFeatureFrame() {
    run_.alignment.CurrentFrame = frameAtPosition(run_.model, run_.registration.FeatureFrame);
    run_.alignment.InterlaceField = 0;
}

void Pipeline::useBoxSizeItem(int item) {
    boxSizeItem_ = item;
    announce(PipelineChange::BoxSize);
}

void Pipeline::stopPlacingPoints() {
    run_.alignPoints.FreeBox = false;
    run_.alignPoints.StopPlacing = true;
    announce(PipelineChange::Points);
}

void Pipeline::setFreeBox(bool freeBox) {
    run_.alignPoints.FreeBox = freeBox;
}

void Pipeline::setManualAlign(bool manualAlign) {
    run_.alignment.ManualAlign = manualAlign;
}

void Pipeline::firstPointAtFeature() {
    run_.alignPoints.PointPos[1] = {run_.state.FeatureX, run_.state.FeatureY};
    announce(PipelineChange::Points);
}

void Pipeline::showReferencePicture() {
    if (!run_.registration.Image1.empty()) run_.input.PreviewBitmap = run_.registration.Image1;
}

void Pipeline::setQualityWeightingCentre(int centre) {
    run_.registration.HVSCentre = centre;
}

bool Pipeline::takeQualityBandAsManual() {
    if (!run_.registration.QualityFilterArmed) return false;
    run_.registration.QualityFilterManual = true;
    return true;
}

void Pipeline::setAutomaticQualityBand(bool automatic) {
    run_.registration.QualityFilterManual = run_.registration.QualityFilterArmed = !automatic;
}

void Pipeline::armQualityFilter() {
    run_.registration.QualityFilterArmed = true;
}

bool Pipeline::takeFFTFilterAsManual() {
    if (!run_.registration.FFTFilterArmed) return false;
    run_.registration.FFTFilterManual = true;
    return true;
}

void Pipeline::setFFTFilterRadius(double radius) {
    if (run_.fft.FFTSize > 0) BuildFFTBandMask(run_.fft, radius);
}

void Pipeline::setMisalignRatio(float ratio) {
    run_.alignment.MisalignRatio = ratio;
}

}  // namespace kestrave
