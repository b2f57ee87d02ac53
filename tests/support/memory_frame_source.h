#pragma once
// Frames held in memory for the tests of the passes that read a recording. Header only: only the
// test programs that link the frames library include it.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "frames/frame_source.h"
#include "frames/pixel_helpers.h"

namespace kestrave::test {

// Either pictures, handed over as the 8-bit preview (frame k is picture k mod the picture count,
// so a long recording can repeat a few rendered pictures), or float planes, handed over as the
// raw plane, the 8-bit preview or the 16-bit frame as `kind` says. Any number of reads may run at
// once.
class MemoryFrameSource : public FrameSource {
public:
    MemoryFrameSource() = default;
    explicit MemoryFrameSource(std::vector<Bitmap24> pictures) : pictures(std::move(pictures)) {}

    std::vector<Bitmap24> pictures;
    FrameSamples kind = FrameSamples::Raw;
    std::vector<T2dArrays> frames;    // one plane per frame, [x][y]
    std::vector<int> channel;         // FrameChannel per frame (empty: 1)
    std::function<void(int)> onRead;  // runs before each read
    std::atomic<int> reads{0};
    // The pictures are read as their levels alone (their green bytes) when a pass asks for them.
    bool levels = false;

    bool makesLevels() const override { return levels; }
    FrameSamples readFrame(int frame, FrameBuffers& into) override {
        ++reads;
        if (onRead) onRead(frame);
        if (!pictures.empty()) {
            const Bitmap24& picture = pictures[static_cast<std::size_t>(frame) % pictures.size()];
            into.Samples = FrameSamples::Bitmap;
            if (levels && into.Parts == FrameParts::Levels) {
                into.Levels.resize(picture.width(), picture.height());
                for (int y = 0; y < picture.height(); ++y)
                    for (int x = 0; x < picture.width(); ++x) into.Levels.row(y)[x] = picture.pixel(x, y)[1];
                return FrameSamples::Bitmap;
            }
            CopyBitmap(picture, into.Preview);
            return FrameSamples::Bitmap;
        }
        const T2dArrays& plane = frames.at(static_cast<std::size_t>(frame));
        const int w = plane.xCount(), h = plane.yCount();
        into.FrameChannel = channel.empty() ? 1 : channel.at(static_cast<std::size_t>(frame));
        into.Grey = kind == FrameSamples::HighBit;
        switch (kind) {
            case FrameSamples::Raw:
                into.RawFramePlane = plane;
                break;
            case FrameSamples::Bitmap:
                into.Preview.resize(w, h);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) {
                        const auto v = static_cast<std::uint8_t>(std::clamp(plane[x][y], 0.0f, 255.0f));
                        SetRGBTriple(v, v, v, into.Preview.pixel(x, y));
                    }
                break;
            case FrameSamples::HighBit:
                into.HighBitFrame = TTIFFBitMap(w + 1, h + 1);
                into.HighBitFrame.allocateHighBits();
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        into.HighBitFrame.HighBitRow(y)[3 * x + 1] =
                            static_cast<std::uint16_t>(std::clamp(plane[x][y], 0.0f, 65535.0f));
                break;
        }
        return kind;
    }
    int maxConcurrentReads() const override { return 8; }
};

}  // namespace kestrave::test
