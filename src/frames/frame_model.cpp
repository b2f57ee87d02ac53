#include "frames/frame_model.h"

#include <algorithm>
#include <utility>

namespace kestrave {

void FrameModel::setAviSegment(int i, std::string fileName, int frameCount) {
    TAviSegmentRec& segment = AviSegments[i];
    segment.FileName = std::move(fileName);
    segment.FrameCount = frameCount;
    segment.FirstFrame = i == 0 ? 0 : AviSegments[i - 1].LastFrame + 1;
    segment.LastFrame = segment.FirstFrame + frameCount - 1;
}

int FrameModel::aviSegmentOf(int frame) const {
    const int last = std::min(avicount, MaxAviSegments - 1);
    for (int i = 0; i <= last; ++i) {
        const TAviSegmentRec& segment = AviSegments[i];
        if (segment.FirstFrame <= frame && frame <= segment.LastFrame) return i;
    }
    return -1;
}

}  // namespace kestrave
