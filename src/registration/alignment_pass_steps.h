#pragma once
// The steps that every alignment pass takes, whether it aligns the frames on one box or once per
// alignment point: the flags raised while it runs, the working memory of its threads, the reset
// of the records, the size checks of the dark frame, the flat field and each frame's picture, the
// captions and progress of each frame, and the ranking at the end.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "registration/align_frame.h"
#include "registration/alignment_pass.h"

namespace kestrave {

// Every flag of a pass is raised while it runs and lowered however it ends.
class PassFlags {
public:
    explicit PassFlags(AlignContext& context);
    ~PassFlags();
    PassFlags(const PassFlags&) = delete;
    PassFlags& operator=(const PassFlags&) = delete;

private:
    AlignContext& context_;
};

// Working memory for the threads of a pass, one set per task that runs at a time; a set taken for
// one box size is given out again for that size, so its engine is not set up anew.
class ScratchPool {
public:
    std::unique_ptr<AlignScratch> take(int n);
    void give(std::unique_ptr<AlignScratch> scratch);

private:
    std::mutex mutex_;
    std::vector<std::unique_ptr<AlignScratch>> free_;
};

inline constexpr char NoMemoryToAlignText[] = " Not enough memory to align the frames ";

// Slot 0 and the fields of the optimizer start afresh in every record, and the ranking is
// emptied; the brightness of frames a pass does not measure must not enter the mean.
void resetAlignmentRecords(FrameModel& model);

// A dark frame or flat field of another size than the frames is switched off with an "Imagesize
// error" (the dark frame then is not taken off the box levels either).
struct CalibrationSwitch {
    bool darkframeOff = false;
    bool flatfieldOff = false;
};
CalibrationSwitch checkCalibrationSizes(const FrameModel& model, const AlignmentPassOptions& options,
                                        AlignOptions& align, MessagePort& messages);

// The start of a pass: the cancel, halt and off-screen flags and the pass count cleared, the
// ranking marked invalid, the tracking offset 0, the user told where a manual alignment waits
// for clicks, the dark frame and flat field checked (see above). Nothing of the records changes
// yet, so a pass that cannot start (the quality plug-in missing) leaves them as they were.
CalibrationSwitch beginPass(AlignContext& context, const AlignmentPassOptions& options, AlignOptions& align);
// Then the records are reset and the frames an AVI capture dropped marked; progstatus becomes
// psAligned.
void clearRecordsForPass(AlignContext& context, const AlignmentPassOptions& options);

// The tracking of a box of side n starts afresh at the feature: no step, no last peak, the box
// centred on the feature.
void startTracking(RegistrationState& registration, const ProgramState& program, int n);

// The picture has the input's size as read, or as kept within MaxFrameSize.
bool pictureFitsInput(const FramePixels& picture, const FrameModel& model);

// The captions, status texts and progress of the frames as a pass reaches them, and the AVI file
// each lies in.
class PassProgress {
public:
    PassProgress(AlignContext& context, const AlignmentPassOptions& options);

    // Frame `frame` is about to be aligned. Returns the number of AVI files of a list entered
    // since the frame before (each asks for the feature again), and in `keepGoing` whether no
    // cancel was seen (tested every 10th frame).
    int frameStart(int frame, bool& keepGoing);
    // Global index of the first frame of the AVI file being read.
    int segmentFirst() const { return segmentFirst_; }

    // A frame whose picture does not have the size of the input is left out, never aligned; the
    // warning comes until the user asks for no more.
    void excludeWrongSize(int frame);

private:
    AlignContext& context_;
    const AlignmentPassOptions& options_;
    int step_ = 1;
    int segment_ = 0;
    int segmentFirst_ = 0;
};

// The end of a pass over the frames 0 .. lastFrame: the brightness made relative to the mean of
// the frames `measured`, the frames ranked by slot 0 Quality (those in `keptOut` stay excluded),
// the difference sum, the caption of a list with dropped frames, the registration graph and the
// status; progstatus becomes psAligned.
void rankAlignedFrames(AlignContext& context, const AlignmentPassOptions& options,
                       const std::vector<bool>& measured, const std::vector<bool>& keptOut,
                       AlignmentPassResult& result);

// A pass that ends early: progstatus and activepage go back to 0, a stage beyond the ready
// reference falls back to it (the ranking is gone); a failure is shown.
void passStopped(AlignContext& context, AlignmentPassResult& result, PassEnd end, const std::string& error);

}  // namespace kestrave
