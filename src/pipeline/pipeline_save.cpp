// The save stage: the stack, the processed and the final picture, a resized picture and the AVIs,
// written from the run's state through the savers of the output library.

#include <algorithm>

#include "frames/png_io.h"
#include "output/image_savers.h"
#include "output/resize.h"
#include "pipeline/pipeline.h"

namespace kestrave {

namespace {

// The savers' 16-bit PNG files.
const Png16Writer writePng = SavePNGImage;

}  // namespace

std::vector<std::filesystem::path> inputFiles(const FrameModel& model) {
    std::vector<std::filesystem::path> files;
    for (int s = 0; s <= std::clamp(model.avicount, 0, MaxAviSegments - 1); ++s)
        if (!model.AviSegments[s].FileName.empty()) files.emplace_back(model.AviSegments[s].FileName);
    if (!model.SerName.empty()) files.emplace_back(model.SerName);
    // A SER input names its frames "Frame i"; a series names its files.
    if (model.InputIsSeries && !model.InputIsSER)
        for (int i = 0; i < FrameCapacity && !model.FrameNames[i].empty(); ++i)
            files.emplace_back(model.FrameNames[i]);
    return files;
}

SaveContext FinalStage::saveContext(const SavePorts& ports) {
    SaveContext context{ports.messages, run_.state.MasterFrameMode};
    context.batchMode = run_.state.BatchMode;
    context.inputFiles = inputFiles(run_.model);
    context.settings = ports.settings;
    context.versionCaption = ports.versionCaption;
    return context;
}

SaveOutcome FinalStage::saveStack(const std::filesystem::path& file, StackSaveType type,
                                  const SavePorts& ports) {
    const StackResult& stack = run_.stack.result;
    const StackSaveSources sources{run_.wavelet.Stackimage, run_.images.StackPlanes, stack.ImageWidth,
                                   stack.ImageHeight,       run_.stack.Colourstack,  stack.StackMinValue,
                                   stack.StackMaxValue};
    SaveContext context = saveContext(ports);
    return saveStackImage(file, type, sources, context, writePng);
}

SaveOutcome FinalStage::saveProcessed(const ProcessedSaveOptions& options, const SavePorts& ports) {
    const WaveletSaveSources sources{run_.wavelet.ProcessPicture,
                                     run_.images.ResultImage16,
                                     run_.images.StackPlanes,
                                     run_.model.ImageWidth,
                                     run_.model.ImageHeight,
                                     options.colour,
                                     options.stamp ? &*options.stamp : nullptr};
    SaveContext context = saveContext(ports);
    return saveWaveletImage(options.file, options.type, sources, context, writePng);
}

SaveOutcome FinalStage::saveFinal(const FinalSaveOptions& options, const SavePorts& ports) {
    const FinalSaveSources sources{run_.finalImage.shown,
                                   run_.wavelet.ProcessPicture,
                                   run_.images.ResultImage16,
                                   run_.images.StackPlanes,
                                   run_.model.ImageWidth,
                                   run_.model.ImageHeight,
                                   run_.stack.Colourstack,
                                   options.settings,
                                   options.crop};
    SaveContext context = saveContext(ports);
    return saveFinalImage(options.file, options.type, sources, context, writePng);
}

SaveOutcome FinalStage::saveResized(const std::filesystem::path& file, ResizeSaveType type,
                                    const Bitmap24& picture, const SavePorts& ports) {
    SaveContext context = saveContext(ports);
    return saveResizedImage(file, type, picture, context);
}

Bitmap24 FinalStage::resizedPicture(bool finalPicture, int ratioItem, int filterItem) const {
    return resizePicture(finalPicture ? run_.finalImage.shown : run_.wavelet.ProcessPicture, ratioItem,
                         filterItem);
}

bool FinalStage::wantsDoAllBeforeSave(const SavePorts& ports) {
    SaveContext context = saveContext(ports);
    return confirmDoAll(context);
}

AviResult FinalStage::writeRegisteredAvi(const std::filesystem::path& file, FrameSource& frames,
                                         const RegisteredAviOptions& options, const SavePorts& ports,
                                         ProgressPort& progress) {
    SaveContext context = saveContext(ports);
    return kestrave::writeRegisteredAvi(file, run_.model, frames, options, context, progress);
}

AviResult FinalStage::writeIntegratedAvi(const std::filesystem::path& file, FrameSource& frames,
                                         const IntegratedAviOptions& options, const SavePorts& ports,
                                         ProgressPort& progress) {
    SaveContext context = saveContext(ports);
    return kestrave::writeIntegratedAvi(file, run_.model, run_.state, run_.images, frames, options, context,
                                        progress);
}

}  // namespace kestrave
