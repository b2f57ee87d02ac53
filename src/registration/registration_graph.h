#pragma once
// The data of the registration graph after a run (alignment, optimizing, a frame limit, a
// project load): per rank the quality relative to the best, the correlation peak and the
// difference against the reference, and the figures of the caption. The window plots them.

#include <string>
#include <vector>

#include "frames/frame_model.h"

namespace kestrave {

struct RegistrationGraphData {
    // "Quality": each rank's ranking key divided by the largest key (1 when that is not above 0).
    std::vector<double> quality;
    // "Correlation": each rank's slot-0 peak mapped into 0.5 .. 1.0 over the range of the peaks.
    std::vector<double> correlation;
    // "Difference": each rank's slot-0 difference; the largest and those not below it as 0.
    std::vector<double> difference;
    // Mean and largest difference over the ranks whose frame is included and measured.
    double meanDifference = 0.0;
    double largestDifference = 0.0;
    // The caption of the second registration window.
    std::string caption;
    // Quality chart: left axis increment, bottom axis maximum and increment.
    double qualityAxisIncrement = 0.0;
    double rankAxisMaximum = 0.0;
    double rankAxisIncrement = 1.0;
    // Stack graph: the left axis runs 0 .. largestDifference in tenths; bottom axis increment.
    double stackRankAxisIncrement = 1.0;
};

// The graph over ranks 0 .. lastRank (AlignSlider's maximum) of FrameRanking. The caption reads
// RegistrationCaption + " Average pixel difference :" + sqrt(mean) + " max :" + sqrt(largest)
// when a difference was measured, else "Initial optimizing run " + RegistrationCaption.
RegistrationGraphData registrationGraphData(const FrameModel& model, int lastRank,
                                            const std::string& RegistrationCaption);

}  // namespace kestrave
