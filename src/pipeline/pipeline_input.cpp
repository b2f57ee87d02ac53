// The input stage of the pipeline: taking an input, the per-input reset, the shown frame and the
// user's choice of frames.

#include <algorithm>

#include "frames/avi_reader.h"
#include "frames/frame_browsing.h"
#include "frames/frame_list.h"
#include "frames/gamma_table.h"
#include "output/bmp_writer.h"
#include "pipeline/pipeline.h"
#include "registration/fft_setup.h"

namespace kestrave {

void InputStage::resetBeforeInput() {
    run_.state.activepage = TMainTab::tabAlign;
    run_.alignPoints.Alignpoints = 1;
    // How the points of the frames given up were first measured goes with them.
    run_.alignPoints.WholeFrameStart = false;
    run_.points.PointDifferenceBorrowed = {};
    run_.state.MasterFrameMode = false;
    run_.registration.FeatureChosen = false;
    run_.model.InputPNG16 = false;
    ++run_.inputsGivenUp;
    run_.optimizer.ChartedFrames = 0;
    announce(PipelineChange::Stage);
}

ResetResult InputStage::resetForInput(const ResetControls& controls, ProgressPort& progress) {
    FftEngineSetup fft(run_.fft);
    const ResetResult reset =
        initializesettings(run_.model, run_.state, run_.images, controls, fft, progress);
    resetInputState(run_.input);
    announce(PipelineChange::Stage);
    return reset;
}

std::optional<InputTaken> InputStage::takeInput(const InputPlan& plan, InputTakePorts& ports) {
    if (const std::string missing = firstMissingFile(plan); !missing.empty()) {
        ports.missingFile(missing);
        return std::nullopt;
    }
    // A file that cannot be read is told before any question about the input is asked.
    const bool probedStretch = run_.model.TifStretch;
    InputProbe probe;
    try {
        probe = probeInput(plan, probedStretch);
    } catch (const std::exception& error) {
        ports.unreadable(error);
        return std::nullopt;
    }
    const std::optional<InputStretches> stretch = ports.giveUpCurrent();
    if (!stretch) return std::nullopt;
    // Only the first TIFF frame's samples depend on the stretch chosen.
    if (plan.filter == InputFilter::TIF && stretch->tif != probedStretch) {
        try {
            probe = probeInput(plan, stretch->tif);
        } catch (const std::exception& error) {
            ports.unreadable(error);
            return std::nullopt;
        }
    }
    InputTaken taken;
    taken.probed = {probe.plan.filter, probe.serBayer, probe.serDebayerItem, probe.luminance};
    FrameSourceOptions options = ports.prepareFor(taken.probed);
    options.TifStretch = stretch->tif;
    run_.input.takenByDrop = ports.dropped();
    try {
        taken.record = takeInput(std::move(probe), options, stretch->fit, stretch->tif, stretch->ser);
    } catch (const std::exception& error) {
        ports.unreadable(error);
        return std::nullopt;
    }
    return taken;
}

InputRecord InputStage::takeInput(InputProbe&& probe, const FrameSourceOptions& options, bool fitStretch,
                                  bool tifStretch, bool serStretch) {
    InputRecord record =
        applyInput(run_.model, run_.state, run_.images, run_.input, std::move(probe), options);
    run_.input.lastIndex = record.lastIndex;
    // The browser's range cannot end at its start: a series of one frame still reaches 1, and a
    // single image of one frame leaves the range as it was.
    if (!record.singleImage)
        run_.input.browseLast = std::max(record.lastIndex, 1);
    else if (record.lastIndex > 0)
        run_.input.browseLast = record.lastIndex;
    run_.model.FitStretch = fitStretch;
    run_.model.TifStretch = tifStretch;
    run_.model.SerStretch = serStretch;
    announce(PipelineChange::Input);
    return record;
}

void InputStage::restoreInputCaption(ProgressPort& progress, SavedWork saved) const {
    const FrameModel& model = run_.model;
    const bool video = model.InputType == TInputType::itAVI;
    if (video && model.AviSegments[0].FileName.empty()) return;
    progress.setCaption(inputCaption(model, video && run_.input.highBitVideo, saved));
}

bool InputStage::setUpImagePlanes(ProgressPort& progress, MessagePort& messages) {
    return SetupImageDataSection(run_.images, run_.model.ImageWidth, run_.model.ImageHeight, progress,
                                 messages);
}

ShownFrame InputStage::showFrame(int frame, const FrameSourceOptions& read, bool negative, bool pregamma) {
    if (run_.input.source) run_.input.source->setOptions(read);
    const ShownFrame shown = readShownFrame(run_.input, run_.images, run_.model, frame);
    if (negative) invertBitmap(run_.input.PreviewBitmap);
    if (pregamma) applyPregamma(run_.input.PreviewBitmap, *run_.wavelet.GammaTable);
    return shown;
}

void InputStage::setPreviewGamma(double gamma) {
    applyPreviewGamma(*run_.wavelet.GammaTable, gamma);
}

void InputStage::setInputStretch(bool stretch) {
    run_.model.FitStretch = run_.model.TifStretch = run_.model.SerStretch = stretch;
}

std::vector<std::string> InputStage::sortSeries(int count, int lastFrame, const FrameSourceOptions& options) {
    if (!run_.input.source || !run_.model.InputIsSeries || run_.model.InputIsSER) return {};
    std::vector<std::string> names = sortFrameList(run_.model, count);
    run_.input.source = makeFrameSource(run_.model, lastFrame, options);
    announce(PipelineChange::Frames);
    return names;
}

int InputStage::appendSeriesFrames(const std::vector<std::string>& files, const FrameSourceOptions& options) {
    FrameModel& model = run_.model;
    int last = run_.input.lastIndex;
    for (const std::string& file : files) {
        if (last + 1 >= FrameCapacity) break;
        ++last;
        model.FrameNames[last] = file;
        // The list shows them ticked.
        model.FrameTable[last].Excluded = false;
    }
    model.FramesRanked = false;
    run_.input.lastIndex = last;
    run_.input.browseLast = std::max(last, 1);
    run_.input.source = makeFrameSource(model, last, options);
    announce(PipelineChange::Frames);
    return last;
}

void InputStage::selectFrame(int frame, bool selected) {
    setFrameSelected(run_.model, frame, selected);
    announce(PipelineChange::Frames);
}

void InputStage::selectAllFrames(int lastIndex) {
    kestrave::selectAllFrames(run_.model, lastIndex);
    run_.model.usedframes = selectedFrameCount(run_.model, lastIndex);
    announce(PipelineChange::Frames);
}

void InputStage::excludeAllFrames(int lastIndex) {
    kestrave::excludeAllFrames(run_.model, lastIndex);
    run_.model.usedframes = 0;
    announce(PipelineChange::Frames);
}

int InputStage::recountUsedFrames(int position, int lastIndex) {
    return run_.model.usedframes =
               recountUsedframes(run_.model, run_.state.ProcessStage, position, lastIndex);
}

int InputStage::countSelectedFrames(int lastIndex) {
    return run_.model.usedframes = selectedFrameCount(run_.model, lastIndex);
}

std::filesystem::path InputStage::keepPastedPicture(const std::filesystem::path& folder,
                                                    const Bitmap24& picture) const {
    std::filesystem::path file = folder / "clipkestrave.bmp";
    writeBmp24(file, picture);
    return file;
}

FrameListEntries InputStage::listedFrames(const std::filesystem::path& file, InputFilter kind) const {
    return readFrameList(file, kind);
}

std::vector<std::string> InputStage::checkedFrameFiles(const std::vector<bool>& entryChecked) const {
    return kestrave::checkedFrameFiles(run_.model, entryChecked);
}

std::vector<std::string> InputStage::seriesFiles(int lastIndex) const {
    return kestrave::seriesFiles(run_.model, lastIndex);
}

void InputStage::saveFrameList(const std::filesystem::path& file,
                               const std::vector<std::string>& files) const {
    writeFrameList(file, files);
}

void InputStage::chooseFolders(const SaveFolderChoice& choice) {
    run_.folders = choice;
}

std::filesystem::path InputStage::saveFolder(const SaveFolderChoice& choice) const {
    return kestrave::saveFolder(choice.directory, choice.savesubcontrol, choice.subdirname);
}

}  // namespace kestrave
