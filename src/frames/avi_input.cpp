#include "frames/avi_input.h"

#include <algorithm>
#include <cstdint>

namespace kestrave {

void AviInput::open(const std::vector<std::string>& files, const AviReadOptions& options, AviFrameSink& sink,
                    ProgressPort& progress) {
    std::vector<AviSegmentInfo> segments;
    const std::size_t count = std::min<std::size_t>(files.size(), MaxSegments);
    // Frame 0 of each file is read as the first frame of the input, so that no file lies beyond
    // the frame table while it is measured.
    AviReadOptions single = options;
    single.InAlignPass = single.InStackPass = false;
    single.AviSegmentFirst = 0;
    for (std::size_t i = 0; i < count; ++i) {
        AviSegmentInfo segment;
        segment.FileName = files[i];
        segment.FirstFrame = segments.empty() ? 0 : segments.back().LastFrame + 1;
        reader_.state.AviReopen = true;
        reader_.ReadAVIFrames(segment.FileName, 0, single, sink, progress);
        segment.FrameCount = reader_.state.AviFrameCount;
        segment.LastFrame = static_cast<int>(
            std::min<std::int64_t>(std::int64_t{segment.FirstFrame} + segment.FrameCount - 1, INT32_MAX - 1));
        segments.push_back(std::move(segment));
    }
    reader_.state.AviReopen = false;
    segments_ = std::move(segments);
}

int AviInput::segmentOf(int globalFrame) const {
    for (std::size_t s = 0; s < segments_.size(); ++s) {
        if (globalFrame >= segments_[s].FirstFrame && globalFrame <= segments_[s].LastFrame)
            return static_cast<int>(s);
    }
    return -1;
}

void AviInput::readFrame(int globalFrame, const AviReadOptions& options, AviFrameSink& sink,
                         ProgressPort& progress) {
    const int s = segmentOf(globalFrame);
    if (s < 0) throw AviError(AviMessages::FrameNumber);
    AviReadOptions single = options;
    single.AviSegmentFirst = segments_[static_cast<std::size_t>(s)].FirstFrame;
    reader_.ReadAVIFrames(segments_[static_cast<std::size_t>(s)].FileName,
                          globalFrame - single.AviSegmentFirst, single, sink, progress);
}

void AviInput::pass(const AviReadOptions& options, AviFrameSink& sink, ProgressPort& progress) {
    bool dropped = false;
    AviReadOptions segmentOptions = options;
    for (const AviSegmentInfo& segment : segments_) {
        if (segment.FirstFrame > AviReader::MaxFrameIndex) break;
        segmentOptions.AviSegmentFirst = segment.FirstFrame;
        reader_.state.AviReopen = true;
        try {
            reader_.ReadAVIFrames(segment.FileName, -1, segmentOptions, sink, progress);
        } catch (...) {
            reader_.state.AviReopen = false;
            throw;
        }
        reader_.state.AviReopen = false;
        dropped = dropped || reader_.state.DroppedFrames;
        if (progress.cancelRequested() || sink.haltRequested()) break;
    }
    reader_.state.DroppedFrames = dropped;
}

}  // namespace kestrave
