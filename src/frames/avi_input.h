#pragma once
// Several AVI files taken as one input: the files are laid end to end in the segment table of
// the frame model, and a frame is addressed by one global index that counts on from file to file.
// The pass over all frames reads file after file and stops at the last record of the frame
// table.

#include <string>
#include <vector>

#include "frames/avi_reader.h"
#include "frames/frame_model.h"

namespace kestrave {

// The frame-model side of the reader's sink: the Excluded and Dropped bytes of FrameTable and
// the frame sizes. The per-frame routines (CurrentFrame, InterlaceField, AlignFrame, StackFrame,
// Debayer, HaltRequested) are left to the class that derives from it.
class FrameModelAviSink : public AviFrameSink {
public:
    explicit FrameModelAviSink(FrameModel& model) : model_(model) {}
    bool frameExcluded(int globalFrame) const override { return model_.FrameTable[globalFrame].Excluded; }
    void markDropped(int globalFrame) override;
    void setFrameSize(const AviFrameSize& size) override;

protected:
    FrameModel& model_;
};

class AviInput {
public:
    AviInput(AviReader& reader, FrameModel& model) : reader_(reader), model_(model) {}

    // Opens each file in turn (frame 0, with a reopen) and enters it in AviSegments with its
    // frame count; avicount becomes the index of the last entry. Files beyond MaxAviSegments
    // are left out. Throws the reader's AviError for a file that cannot be read.
    void open(const std::vector<std::string>& files, const AviReadOptions& options, AviFrameSink& sink,
              ProgressPort& progress);
    // Frames of all files together.
    int frameCount() const;

    // Reads global frame g into the preview.
    void readFrame(int globalFrame, const AviReadOptions& options, AviFrameSink& sink,
                   ProgressPort& progress);
    // The pass over all frames of all files (alignment or stacking, as the options say); ends
    // early on cancel or halt. DroppedFrames of the model afterwards tells whether any file had
    // an empty sample.
    void pass(const AviReadOptions& options, AviFrameSink& sink, ProgressPort& progress);

private:
    AviReader& reader_;
    FrameModel& model_;
};

// Marks every frame of the input whose sample is empty (a frame the capture dropped) as Excluded
// and Dropped, and sets DroppedFrames when there is one. The files' indexes tell, so no frame is
// decoded; a pass that reads frame by frame calls this first and never reads those frames.
void markDroppedAviFrames(FrameModel& model);

}  // namespace kestrave
