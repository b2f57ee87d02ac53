#pragma once
// Several AVI files taken as one input: the files are laid end to end, and a frame is addressed
// by one global index that counts on from file to file. The pass over all frames reads file
// after file and stops at the last record of the frame table.

#include <string>
#include <vector>

#include "frames/avi_reader.h"

namespace kestrave {

struct AviSegmentInfo {
    std::string FileName;
    int FrameCount = 0;
    int FirstFrame = 0;
    int LastFrame = -1;
};

class AviInput {
public:
    // The segment table holds this many files; further files of a selection are left out.
    static constexpr int MaxSegments = 101;

    explicit AviInput(AviReader& reader) : reader_(reader) {}

    // Opens each file in turn (frame 0, with a reopen) and records its frame count; the files
    // beyond MaxSegments are not taken. Throws the reader's AviError for a file that cannot be
    // read; the segments then stay as they were.
    void open(const std::vector<std::string>& files, const AviReadOptions& options, AviFrameSink& sink,
              ProgressPort& progress);

    const std::vector<AviSegmentInfo>& segments() const { return segments_; }
    // Frames of all files together.
    int frameCount() const { return segments_.empty() ? 0 : segments_.back().LastFrame + 1; }
    // The segment holding global frame g, or -1.
    int segmentOf(int globalFrame) const;

    // Reads global frame g into the preview.
    void readFrame(int globalFrame, const AviReadOptions& options, AviFrameSink& sink,
                   ProgressPort& progress);
    // The pass over all frames of all files (alignment or stacking, as the options say); ends
    // early on cancel or halt. DroppedFrames afterwards tells whether any file had an empty sample.
    void pass(const AviReadOptions& options, AviFrameSink& sink, ProgressPort& progress);

private:
    AviReader& reader_;
    std::vector<AviSegmentInfo> segments_;
};

}  // namespace kestrave
