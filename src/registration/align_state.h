#pragma once
// State and options of the frame alignment: the values that carry from one aligned frame to the
// next during a pass (beside those the RegistrationState and the ProgramState already hold) and the
// option controls that the alignment reads.

#include <array>

#include "registration/quality_method.h"
#include "registration/reference.h"

namespace kestrave {

// The pass globals of the alignment. The application owns one AlignmentState beside the
// RegistrationState; everything here is read and written on the thread that runs the pass.
struct AlignmentState {
    // The frame being aligned and, for interlaced input, its field (0 or 1).
    int CurrentFrame = 0;
    int InterlaceField = 0;
    // A correlation peak below MisalignRatio x LastPeak is a lost lock (TrackDetect).
    float MisalignRatio = 0.7f;
    // The next frame counts as a lost lock.
    bool ForceRealign = false;
    // The pass has moved on to the next file of an AVI list.
    bool NextSegmentPending = false;
    // The halt button was pressed; the alignment then does nothing.
    bool HaltRequested = false;
    // The warning about a box partly off screen has been shown in this pass.
    bool OffscreenWarned = false;
    // Every frame's feature is pointed out by a click (Manualalignbox).
    bool ManualAlign = false;
    // Frames are being read for the alignment pass.
    bool InAlignPass = false;
    // Optimizer passes run since the last alignment pass.
    int OptimizePass = 0;
    // Global index of the first frame of the AVI file being read.
    int AviSegmentFirst = 0;
    // 0.001 x the sum of the frames' differences after the last alignment pass; the optimizer
    // compares its own sums with it.
    double DifferenceSum = 0.0;
};

// The option controls the alignment of a frame reads.
struct AlignOptions {
    // Colour mode (Colourstack): levels are the weighted luminance, else the green byte.
    bool Colourstack = false;
    std::array<float, 3> LumWeights{0.299f, 0.587f, 0.114f};
    // Bias and dark subtraction, as for the reference.
    BoxLevelOptions levels;
    bool Trackobject = true;
    bool predicttrack = false;
    bool Misalignwarning = true;
    bool Ignoredefault = false;
    bool ShowFFTbox = false;
    bool interlaced = false;
    bool Interlacehoriz = false;
    bool FreeBox = false;
    QualityGrading quality;
    double QualityFilter = 12.0;
    double QualFilterDX = 5.0;
    double Compresfactor = 60.0;
    // Gradient method: the step (FOMspin, 1 to 5) and the weights Pix1, Pix2, Pix3.
    double FOMspin = 2.0;
    std::array<double, 3> Pix{0.0, 1.0, 1.0};
};

}  // namespace kestrave
