// The Align page's small steps, the frame list, the 3 x 3 kernels, the pages' stages and the
// batch's settings.

#include "pipeline/pipeline.h"

namespace kestrave {

DebayerSwitchResult InputStage::switchDebayer(bool debayer, bool highBitSer, MessagePort& messages) {
    const DebayerSwitchResult result = kestrave::switchDebayer(run_.debayer, debayer, highBitSer, messages);
    if (result.checkColour) chooseColour(true, ColourChoice::By::Debayering);
    return result;
}

void InputStage::chooseColour(bool colour, ColourChoice::By by) {
    run_.colourChoice = {colour, by};
    announce(PipelineChange::Colour);
}

void AlignStage::backToFeatureSet() {
    run_.state.progstatus = TProgStatus::psFeatureSet;
    run_.registration.WaitForClick = false;
    announce(PipelineChange::Stage);
}

void AlignStage::restoreSavedFeature() {
    // Nothing was saved yet (a run restored from a project): the feature in force stays.
    if (run_.alignPoints.SavedFeatureX == 0 && run_.alignPoints.SavedFeatureY == 0) return;
    run_.state.FeatureX = run_.alignPoints.SavedFeatureX;
    run_.state.FeatureY = run_.alignPoints.SavedFeatureY;
}

void AlignStage::saveFeature() {
    run_.alignPoints.SavedFeatureX = run_.state.FeatureX;
    run_.alignPoints.SavedFeatureY = run_.state.FeatureY;
}

bool AlignStage::setUserBoxPlaced(bool placed) {
    const bool before = run_.registration.UserBoxPlaced;
    run_.registration.UserBoxPlaced = placed;
    return before;
}

void AlignStage::useSingleBox() {
    run_.optimizer.RegistrationCaption.clear();
    run_.alignPoints.Alignpoints = 1;
    run_.alignPoints.MultiPointMode = false;
    announce(PipelineChange::Points);
    setUpAlignment(AlignSetup::OneBox);
}

void AlignStage::clearWholeFrameShifts(int lastIndex) {
    kestrave::clearWholeFrameShifts(run_.model, lastIndex);
    announce(PipelineChange::Frames);
    setUpAlignment(AlignSetup::NoAlignment);
}

void AlignStage::placeFreeBox(const FreeBoxFit& fit) {
    AlignmentPoints& points = run_.alignPoints;
    points.FreeBoxCentreX = fit.centreX;
    points.FreeBoxCentreY = fit.centreY;
    points.FreeBoxWidth = fit.box.Right - fit.box.Left;
    points.FreeBoxHeight = fit.box.Bottom - fit.box.Top;
}

void InputStage::emptyFrameList() {
    run_.model.FramesRanked = false;
    run_.model.usedframes = 0;
    run_.input.source = nullptr;
    run_.input.browseLast = 1;
    run_.state.ProcessStage = TProcessStage::stNone;
    run_.state.activepage = TMainTab::tabAlign;
    announce(PipelineChange::Frames);
    announce(PipelineChange::Stage);
}

void InputStage::blankPreview() {
    run_.input.PreviewBitmap = Bitmap24(1, 1);
}

void AlignStage::setKernel(const TKernel3x3& kernel) {
    run_.state.Kernel3x3 = kernel;
}

void InputStage::enterPageStage(TProcessStage stage) {
    run_.state.ProcessStage = stage;
    announce(PipelineChange::Stage);
}

void AlignStage::requestHalt() {
    run_.alignment.HaltRequested = true;
}

void InputStage::nameBatchInput(const std::string& file) {
    run_.input.BatchInputFile = file;
}

void AlignStage::chooseFeature(int x, int y, int position) {
    run_.state.FeatureX = x;
    run_.state.FeatureY = y;
    run_.state.progstatus = TProgStatus::psFeatureSet;
    setProcessStage(run_.state, TProcessStage::stFeatureSet);
    run_.registration.FeatureChosen = true;
    run_.registration.FeatureFrame = run_.registration.refframe = position;
    announce(PipelineChange::Stage);
}

void AlignStage::markReferenceReady() {
    setProcessStage(run_.state, TProcessStage::stReferenceReady);
    announce(PipelineChange::Stage);
}

void OptimizeStage::forgetNewReference() {
    run_.optimizer.NewReferenceMade = false;
}

bool InputStage::setBatchMode(bool batch) {
    const bool before = run_.state.BatchMode;
    run_.state.BatchMode = batch;
    return before;
}

void InputStage::clearFrameTables() {
    run_.model.FrameTable.forEach([](TFrameRec& frame) {
        for (TAlignSlotRec& slot : frame.Slots) {
            slot.X = slot.Y = 0;
            slot.Quality = slot.Difference = 0.0f;
        }
        frame.Improvement = 100.0f;
        frame.Excluded = frame.Dropped = false;
    });
    run_.model.FrameRanking.forEach([](TRankRec& rank) {
        rank.Frame = 0;
        rank.Key = 0.0f;
    });
}

}  // namespace kestrave
