#pragma once
// Stands in for the per-frame routines: it records what the AVI reader hands on, over a real
// frame model (whose tables refuse any frame index past 10000).

#include <vector>

#include "frames/avi_input.h"
#include "support/tagged_avi.h"

namespace kestrave::test {

class RecordingSink : public FrameModelAviSink {
public:
    RecordingSink(FrameModel& model, const Bitmap24& preview) : FrameModelAviSink(model), preview_(preview) {}

    void setCurrentFrame(int g) override {
        (void)model_.FrameTable[g];
        currentFrame = g;
    }
    void setInterlaceField(int f) override { fields.push_back(f); }
    bool alignFrame() override {
        record(currentFrame);
        return alignResult;
    }
    void stackFrame(int g) override { record(g); }
    bool haltRequested() const override { return halt; }

    int currentFrame = -1;
    bool alignResult = true;
    bool halt = false;
    // Frames handed on, with the tag of the preview and, when asked, the whole preview as it
    // was then.
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
