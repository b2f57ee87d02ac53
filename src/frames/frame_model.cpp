#include "frames/frame_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kestrave {

double shiftRatio(const TAlignSlotRec& slot, double scale) {
    const double unit = slot.ShiftScale;
    return std::isfinite(unit) && unit > 0.0 ? scale / unit : scale;
}

SlotShift shiftAtScale(const TAlignSlotRec& slot, double scale) {
    if (static_cast<double>(slot.ShiftScale) == scale) return {slot.X, slot.Y};
    const double ratio = shiftRatio(slot, scale);
    const auto convert = [ratio](std::int32_t v) {
        return static_cast<int>(std::nearbyint(std::clamp(v * ratio, -1e9, 1e9)));
    };
    return {convert(slot.X), convert(slot.Y)};
}

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
