#pragma once
// AVI input as a frame source, so that the alignment pass reads AVI frames as it reads every
// other kind: frame g of the input is read on its own (from the file of the AVI list that holds
// it) into the source's own reader, and handed over as a copy. The source keeps one reader with
// its open file, so its reads run one at a time; the pass's prefetcher still reads ahead of the
// alignment.
//
// Dropped frames (empty samples) are found from the files' indexes when the source is made and
// marked in the frame model as the reader's own pass marks them (Excluded, Dropped,
// DroppedFrames), so the pass never reads them.

#include <functional>

#include "frames/avi_input.h"
#include "frames/frame_source.h"
#include "platform/progress_port.h"

namespace kestrave {

class AviFrameSource : public FrameSource {
public:
    // `model` describes the opened input (AviSegments, avicount). `debayer`, when given, turns a
    // raw mosaic picture into colour (the reader calls it with DebayerEnabled set).
    AviFrameSource(FrameModel& model, const AviReadOptions& options,
                   std::function<void(Bitmap24&)> debayer = {});

    FrameSamples readFrame(int frame, FrameBuffers& into) override;

private:
    // Reads frames only: nothing is aligned, stacked or written to the model from the read.
    class Sink : public AviFrameSink {
    public:
        bool frameExcluded(int) const override { return true; }
        void markDropped(int) override {}
        void setFrameSize(const AviFrameSize&) override {}
        void setCurrentFrame(int) override {}
        void setInterlaceField(int) override {}
        bool alignFrame() override { return true; }
        void stackFrame(int) override {}
        void debayer(Bitmap24& preview) override {
            if (debayer_) debayer_(preview);
        }
        std::function<void(Bitmap24&)> debayer_;
    };

    Bitmap24 preview_;
    TTIFFBitMap highBitFrame_;
    AviReader reader_{preview_, highBitFrame_};
    AviInput input_;
    AviReadOptions options_;
    Sink sink_;
    NullProgress progress_;
};

// Marks every frame of the input whose sample is empty as Excluded and Dropped and sets
// DroppedFrames when there is one.
void markDroppedAviFrames(FrameModel& model);

}  // namespace kestrave
