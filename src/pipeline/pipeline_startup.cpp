// What start-up sets in the run's state.

#include "pipeline/pipeline.h"

#include "frames/pixel_memory.h"

namespace kestrave {

void InputStage::setStartState() {
    run_.registration.WaitForClick = false;
    run_.state.DrizzleFactor = 2.0f;
    setProcessStage(run_.state, TProcessStage::stNone);
    run_.state.activepage = TMainTab::tabAlign;
    run_.state.Kernel3x3 = DefaultKernel3x3;
    run_.state.ResampleFactor = 2.0f;
    run_.state.MasterFrameMode = false;
    announce(PipelineChange::Stage);
}

void InputStage::setStandardColourWeights() {
    run_.state.LRGBWeights = {0.299f, 0.587f, 0.114f};
    run_.state.RGBBalance = {1.0f, 1.0f, 1.0f};
}

void InputStage::clearProgress() {
    run_.state.progstatus = TProgStatus::psNone;
    announce(PipelineChange::Stage);
}

void InputStage::forgetVideoName() {
    run_.model.AviName = "none";
}

bool InputStage::createImagePlanes(int processareaItem, ProgressPort& progress, MessagePort& messages) {
    return kestrave::createImagePlanes(run_.images, processareaItem, progress, messages);
}

void InputStage::setUpAlignmentBox(int size, int left, int top) {
    InitFFT(run_.fft, size);
    run_.registration.BoxLeft = left;
    run_.registration.BoxTop = top;
}

void InputStage::resetMarks() {
    ProgramState& state = run_.state;
    state.FeatureX = state.FeatureY = 0;
    state.LevelLo = 0.0f;
    state.LevelHi = 255.0f;
    state.newInput = false;
    state.MasterFrameMode = false;
    run_.model.SingleImage = false;
    run_.images.ProcessAreaX = run_.images.ProcessAreaY = 0;
}

MemoryFacts InputStage::memoryFacts() const {
    return readMemoryFacts();
}

}  // namespace kestrave
