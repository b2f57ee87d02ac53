#pragma once
// A stand-in for the frame model and the per-frame routines: it keeps the Excluded and Dropped
// bytes of 10001 frames and records what the AVI reader hands on.

#include <vector>

#include "frames/avi_reader.h"

namespace kestrave::test {

inline int tagOf(const Bitmap24& b) {
    if (b.empty()) return -1;
    return b.pixel(0, 0)[0] | (b.width() > 1 ? b.pixel(1, 0)[0] << 8 : 0);
}

class RecordingSink : public AviFrameSink {
public:
    explicit RecordingSink(const Bitmap24& preview) : preview_(preview) {}

    bool frameExcluded(int g) const override { return excluded.at(static_cast<std::size_t>(g)); }
    void markDropped(int g) override {
        excluded.at(static_cast<std::size_t>(g)) = dropped.at(static_cast<std::size_t>(g)) = true;
    }
    void setFrameSize(const AviFrameSize& s) override { size = s; }
    void setCurrentFrame(int g) override {
        (void)excluded.at(static_cast<std::size_t>(g));
        currentFrame = g;
    }
    void setInterlaceField(int f) override { fields.push_back(f); }
    bool alignFrame() override {
        record(currentFrame);
        return alignResult;
    }
    void stackFrame(int g) override { record(g); }
    bool haltRequested() const override { return halt; }

    std::vector<bool> excluded = std::vector<bool>(10001);
    std::vector<bool> dropped = std::vector<bool>(10001);
    AviFrameSize size;
    int currentFrame = -1;
    bool alignResult = true;
    bool halt = false;
    // Frames handed on, with the tag of the preview (its first two pixels' blue bytes, low byte
    // first) and, when asked, the whole preview as it was then.
    std::vector<int> handed;
    std::vector<int> tags;
    std::vector<Bitmap24> pictures;
    bool keepPictures = false;
    std::vector<int> fields;

private:
    void record(int g) {
        handed.push_back(g);
        tags.push_back(tagOf(preview_));
        if (keepPictures) pictures.push_back(preview_);
    }
    const Bitmap24& preview_;
};

}  // namespace kestrave::test
