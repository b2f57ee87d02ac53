#include "frames/frame_browsing.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>
#include <utility>

#include "persist/ignore_case.h"
#include "platform/errors.h"

namespace kestrave {

int frameAtPosition(const FrameModel& model, int position) {
    return model.FramesRanked ? model.FrameRanking[position].Frame : position;
}

std::uint32_t frameSignColour(const TFrameRec& frame) {
    if (frame.Dropped) return FrameSignDropped;
    return frame.Excluded ? FrameSignExcluded : FrameSignSelected;
}

int selectedFrameCount(const FrameModel& model, int lastIndex) {
    int count = 0;
    for (int frame = 0; frame <= lastIndex; ++frame) count += model.FrameTable[frame].Excluded ? 0 : 1;
    return count;
}

int stackSizeAt(const FrameModel& model, int position) {
    int count = 0;
    for (int p = 0; p <= position; ++p) count += model.FrameTable[frameAtPosition(model, p)].Excluded ? 0 : 1;
    return count;
}

int recountUsedframes(const FrameModel& model, TProcessStage stage, int position, int lastIndex) {
    // Counting the selected frames at every stage keeps usedframes true to the lists after the
    // frame limit too (a project file rebuilds the stack list from it).
    return stage == TProcessStage::stReferenceReady ? stackSizeAt(model, position)
                                                    : selectedFrameCount(model, lastIndex);
}

bool setFrameSelected(FrameModel& model, int frame, bool selected) {
    TFrameRec& record = model.FrameTable[frame];
    record.Excluded = record.Dropped || !selected;
    return !record.Excluded;
}

void selectAllFrames(FrameModel& model, int lastIndex) {
    for (int p = 0; p <= lastIndex; ++p) setFrameSelected(model, frameAtPosition(model, p), true);
}

void excludeAllFrames(FrameModel& model, int lastIndex) {
    for (int frame = 0; frame <= lastIndex; ++frame) model.FrameTable[frame].Excluded = true;
}

std::vector<std::string> sortFrameList(FrameModel& model, int count) {
    count = std::clamp(count, 0, FrameCapacity);
    // order[i]: the frame that becomes frame i.
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&model](int a, int b) {
        return lessIgnoringAsciiCase(model.FrameNames[a], model.FrameNames[b]);
    });
    std::vector<std::string> names(static_cast<std::size_t>(count));
    std::vector<TFrameRec> records(static_cast<std::size_t>(count));
    std::vector<int> newNumber(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        names[at] = std::move(model.FrameNames[order[at]]);
        records[at] = model.FrameTable[order[at]];
        newNumber[static_cast<std::size_t>(order[at])] = i;
    }
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        entries.push_back(std::filesystem::path(names[at]).filename().string());
        model.FrameNames[i] = std::move(names[at]);
        model.FrameTable[i] = records[at];
        TRankRec& rank = model.FrameRanking[i];
        if (rank.Frame >= 0 && rank.Frame < count)
            rank.Frame = newNumber[static_cast<std::size_t>(rank.Frame)];
    }
    model.FramesRanked = false;
    selectAllFrames(model, count - 1);
    model.usedframes = selectedFrameCount(model, count - 1);
    return entries;
}

int graphPointerLeft(int position, int maxValue, int chartWidth) {
    if (maxValue <= 0) return 0;
    const double left = static_cast<double>(position) / maxValue * (chartWidth - 4);
    return static_cast<int>(std::nearbyint(left));
}

double relativeQuality(const FrameModel& model, int position) {
    return model.FrameRanking[position].Key / (0.01 + model.FrameRanking[0].Key) * 100.0;
}

ShownFrame readShownFrame(InputState& input, ImageDataSection& section, const FrameModel& model, int frame) {
    if (!input.source) throw KestraveError("No input selected");
    FrameBuffers& buffers = input.browseBuffers;
    ShownFrame shown;
    shown.samples = input.source->readFrame(frame, buffers);
    // Swapped, not copied: the buffers keep the previous frame's storage for the next read.
    std::swap(input.PreviewBitmap, buffers.Preview);
    if (shown.samples == FrameSamples::Raw) std::swap(section.RawFramePlane, buffers.RawFramePlane);
    if (shown.samples == FrameSamples::HighBit) std::swap(section.HighBitFrame, buffers.HighBitFrame);
    input.readers.FrameChannel = buffers.FrameChannel;
    shown.luminance = model.InputIsFIT && buffers.FrameChannel == 3;
    if (shown.luminance) input.readers.LumFrameLoaded = true;
    return shown;
}

void invertBitmap(Bitmap24& picture) {
    for (int y = 0; y < picture.height(); ++y) {
        std::uint8_t* row = picture.row(y);
        for (std::size_t k = 0; k < 3 * static_cast<std::size_t>(picture.width()); ++k)
            row[k] = static_cast<std::uint8_t>(255 - row[k]);
    }
}

}  // namespace kestrave
