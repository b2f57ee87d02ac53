#pragma once
// The options and results of the two videos made of the frames of the stack list: the registered
// AVI and the integrated AVI.

#include <filesystem>
#include <functional>
#include <vector>

#include "output/avi_writer_layout.h"
#include "stacking/stack_options.h"

namespace kestrave {

class Bitmap24;

// `Registeravichoice`: the size of the registered frames.
enum class RegisteredAviSize { AlignmentArea = 0, MaximumArea = 1 };
// `MethodIntegratedAVI`.
enum class IntegrationMethod { MovingAverage = 0, Compressed = 1 };

enum class AviOutcome {
    Written,    // the video holds every frame it was to hold (unreadable frames left out)
    Cancelled,  // finished early at the user's request: the frames written so far
    NoFrames,   // nothing to write; nothing written
    NoArea,     // "Maximum area" leaves no area that every frame covers; nothing written
    Declined,   // the file exists and was not to be replaced
};

struct AviResult {
    AviOutcome outcome = AviOutcome::NoFrames;
    std::filesystem::path file;
    int framesWritten = 0;
    int width = 0;
    int height = 0;
    // Frames whose reading failed (the first frame of a group for the integrated video).
    std::vector<int> unreadable;
};

struct RegisteredAviOptions {
    RegisteredAviSize size = RegisteredAviSize::AlignmentArea;
    int lastRank = 0;   // the stack list: ranks 0..lastRank (the stack slider's maximum)
    int FFTSize = 128;  // the alignment box's side
    int FeatureX = 0;
    int FeatureY = 0;
    AviWriterLayout layout;
    // Each frame as it was read, before it is cut out (the window shows it).
    std::function<void(const Bitmap24&)> frameRead;
};

struct IntegratedAviOptions {
    int Integratestep = 5;  // frames per output frame, 3..50
    IntegrationMethod method = IntegrationMethod::MovingAverage;
    int lastRank = 0;    // the stack list's last rank as the frame limit recorded it
    StackOptions stack;  // how each group is stacked
    AviWriterLayout layout;
};

}  // namespace kestrave
