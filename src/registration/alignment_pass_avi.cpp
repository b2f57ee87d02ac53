#include "registration/alignment_pass_avi.h"

#include <algorithm>

namespace kestrave {

AviFrameSource::AviFrameSource(FrameModel& model, const AviReadOptions& options,
                               std::function<void(Bitmap24&)> debayer)
    : input_(reader_, model), options_(options) {
    // A plain read: the frame is not handed on, and the preview gamma (for the eye only) stays off.
    options_.InAlignPass = options_.InStackPass = false;
    options_.Pregamma = false;
    sink_.debayer_ = std::move(debayer);
    markDroppedAviFrames(model);
}

FrameSamples AviFrameSource::readFrame(int frame, FrameBuffers& into) {
    input_.readFrame(frame, options_, sink_, progress_);
    into.Preview = preview_;
    if (reader_.state.InputHiAvi) {
        into.HighBitFrame = highBitFrame_;
        into.Grey = false;
        return FrameSamples::HighBit;
    }
    return FrameSamples::Bitmap;
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
