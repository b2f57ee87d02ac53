#pragma once
// Sigma events: samples of single frames that reach the upper clip bound of a sigma stack and lie
// above a brightness floor, inside (or outside) a box of the stack image. A recording run writes
// them into the event log, INI text in the input's folder:
//
//   [Frame12]            one section per frame with events, 1-based frame number, stacking order
//   Events=2             the frame's event count
//   X1=50  Y1=60         stack-image position of event 1
//   Pixval1=250          Round(v), the sample on the 0..255 scale
//   Hival1=142           Round(high), the upper clip bound there
//   Sigma1=500           Round(v / (L + 0.001) x S)
//   ...                  the same five keys for event 2, ...
//   HiSigma=500          Round of the largest v / (L + 0.01) x S of the frame, at least 1
//
// with L = Round(Lowpixdetect) the floor and S = Round(k x 100) for the sigma factor k of the run.
// The first recording run of an input keeps a copy of the log under the input's name with the
// extension ".kel", never replaced by a later run; the event list and the viewer read the log.
//
// The event box file (".ksb") holds the box in section [Edges]: "Type" (0 include, 1 exclude),
// "Top", "Bottom", "Left", "Right".

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frames/frame_model.h"
#include "persist/big_ini_file.h"
#include "stacking/sigma_event_values.h"
#include "stacking/stack_options.h"

namespace kestrave {

inline constexpr const char* SigmaEventFile = "Sigmaini.ini";

// The scale of the event values.
struct SigmaEventScale {
    int L = 100;  // Round(Lowpixdetect)
    int S = 200;  // Round(k x 100)
};
SigmaEventScale sigmaEventScale(const StackOptions& options);

// "Frame" followed by the 1-based frame number: the log section of frame index `frameIndex`.
std::string eventSection(int frameIndex);

// Writes the events of a recording run into the log frame by frame and keeps the list lines
// ("Frame12 Events 2") of the frames with events. The two fields of an interlaced frame go into
// one section, numbered on, and count as one frame for the cap of SigmaEventsPerFrame.
class SigmaEventLog : public SigmaEventSink {
public:
    SigmaEventLog(TBigIniFile& log, SigmaEventScale scale);

    void frameEvents(int frameIndex, const std::vector<SigmaEvent>& events, std::size_t found) override;

    const std::vector<std::string>& listLines() const { return lines_; }
    // Frames that had more events than were recorded, and the index of the first of them.
    int cappedFrames() const { return cappedFrames_; }
    int firstCappedFrame() const { return firstCapped_; }

private:
    TBigIniFile& log_;
    SigmaEventScale scale_;
    std::vector<std::string> lines_;
    int frame_ = -1;  // the frame written last, its event count and largest ratio
    std::size_t count_ = 0;
    std::size_t found_ = 0;
    double hiSigma_ = 1.0;
    int cappedFrames_ = 0;
    int firstCapped_ = -1;
};

// The event list of a log: one line per section, "Frame12 Events (max: 2)" when the frame's
// HiSigma exceeds `threshold`, else "Frame12 Events No".
std::vector<std::string> eventListLines(const TBigIniFile& log, double threshold);

// The key=value lines of frame `frameNumber` (1-based).
std::vector<std::string> frameEventLines(const TBigIniFile& log, int frameNumber);

// The positions of the events of frame `frameNumber` (1-based) whose "Sigma" exceeds `threshold`.
// The count is taken from "Events", but never beyond what the section can hold.
std::vector<EventMark> shownEvents(const TBigIniFile& log, int frameNumber, double threshold);

// The last rank of 0..lastRank that holds frame index `frame`; -1 when none does.
int lastRankOf(const FrameModel& model, int frame, int lastRank);

// The saved event list of the input: its first file's name without extension, ".kel" appended, in
// `folder`; empty without an input.
std::filesystem::path savedEventListPath(const std::filesystem::path& folder, const FrameModel& model);
// Copies the log of a complete recording run to the saved event list unless that exists: the
// first run's list is kept. A missing log copies nothing. Returns whether the copy was made.
// Throws FileError when the copy cannot be written.
bool keepEventList(const std::filesystem::path& log, const std::filesystem::path& saved);

// Replaces the file with the box (whole, once written). Throws FileError.
void writeSigmaBox(const std::filesystem::path& file, const SigmaBox& box);
// Reads the box; a missing key reads as 0, the bottom and right as the image height and width;
// a type other than 1 reads as 0.
// Throws FileError when the file cannot be read.
SigmaBox readSigmaBox(const std::filesystem::path& file, int imageWidth, int imageHeight);

}  // namespace kestrave
