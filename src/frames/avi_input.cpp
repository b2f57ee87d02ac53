#include "frames/avi_input.h"

#include <algorithm>
#include <cstdint>

#include "platform/scope_exit.h"

namespace kestrave {

void FrameModelAviSink::markDropped(int globalFrame) {
    TFrameRec& frame = model_.FrameTable[globalFrame];
    frame.Excluded = true;
    frame.Dropped = true;
}

void FrameModelAviSink::setFrameSize(const AviFrameSize& size) {
    model_.FrameWidthRaw = size.FrameWidthRaw;
    model_.FrameHeightRaw = size.FrameHeightRaw;
    model_.ImageWidth = model_.FrameWidth = size.FrameWidth;
    model_.ImageHeight = model_.FrameHeight = size.FrameHeight;
}

void AviInput::open(const std::vector<std::string>& files, const AviReadOptions& options, AviFrameSink& sink,
                    ProgressPort& progress) {
    const int count = static_cast<int>(std::min<std::size_t>(files.size(), MaxAviSegments));
    // Frame 0 of each file is read as the first frame of the input, so that no file lies beyond
    // the frame table while it is measured.
    AviReadOptions single = options;
    single.InAlignPass = single.InStackPass = false;
    single.AviSegmentFirst = 0;
    model_.avicount = 0;
    model_.setAviSegment(0, "", 0);
    for (int i = 0; i < count; ++i) {
        reader_.state.AviReopen = true;
        reader_.ReadAVIFrames(files[static_cast<std::size_t>(i)], 0, single, sink, progress);
        // A damaged header may claim billions of frames; the sum of all files stays countable.
        const std::int64_t first = i == 0 ? 0 : std::int64_t{model_.AviSegments[i - 1].LastFrame} + 1;
        const auto frames =
            static_cast<int>(std::min<std::int64_t>(reader_.state.AviFrameCount, INT32_MAX - 1 - first));
        model_.setAviSegment(i, files[static_cast<std::size_t>(i)], frames);
        model_.avicount = i;
    }
    reader_.state.AviReopen = false;
}

int AviInput::frameCount() const {
    return model_.AviSegments[model_.avicount].LastFrame + 1;
}

void AviInput::readFrame(int globalFrame, const AviReadOptions& options, AviFrameSink& sink,
                         ProgressPort& progress) {
    const int s = model_.aviSegmentOf(globalFrame);
    if (s < 0) throw AviError(AviMessages::FrameNumber);
    const TAviSegmentRec& segment = model_.AviSegments[s];
    AviReadOptions single = options;
    single.AviSegmentFirst = segment.FirstFrame;
    reader_.ReadAVIFrames(segment.FileName, globalFrame - segment.FirstFrame, single, sink, progress);
}

void AviInput::pass(const AviReadOptions& options, AviFrameSink& sink, ProgressPort& progress) {
    bool dropped = false;
    AviReadOptions segmentOptions = options;
    for (int s = 0; s <= model_.avicount; ++s) {
        const TAviSegmentRec& segment = model_.AviSegments[s];
        if (segment.FirstFrame > MaxFrameIndex) break;
        segmentOptions.AviSegmentFirst = segment.FirstFrame;
        reader_.state.AviReopen = true;
        {
            const ScopeExit reopenDone([this] { reader_.state.AviReopen = false; });
            reader_.ReadAVIFrames(segment.FileName, -1, segmentOptions, sink, progress);
        }
        // Each call starts its own count of dropped frames; the input's flag collects them.
        dropped = dropped || reader_.state.DroppedFrames;
        if (progress.cancelRequested() || sink.haltRequested()) break;
    }
    model_.DroppedFrames = reader_.state.DroppedFrames = dropped;
}

void markDroppedAviFrames(FrameModel& model) {
    for (int s = 0; s <= model.avicount; ++s) {
        const TAviSegmentRec& segment = model.AviSegments[s];
        if (segment.FileName.empty() || segment.FirstFrame > MaxFrameIndex) continue;
        const AviFile file = AviFile::open(segment.FileName);
        const AviStreamInfoRecord& info = file.streamInfo();
        const std::int64_t last = std::min<std::int64_t>(std::int64_t{info.dwLength} - 1,
                                                         MaxFrameIndex - std::int64_t{segment.FirstFrame});
        for (std::int64_t i = info.dwStart; i <= last; ++i) {
            if (file.sampleSize(i) != 0) continue;
            TFrameRec& record = model.FrameTable[static_cast<int>(i + segment.FirstFrame)];
            record.Excluded = record.Dropped = true;
            model.DroppedFrames = true;
        }
    }
}

}  // namespace kestrave
