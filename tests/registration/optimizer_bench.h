#pragma once
// A bench for the optimizer tests: a band-limited random scene that can be shifted by any
// fraction of a pixel exactly, frames of it served from memory, and the model, states and ports
// of one input with its frames ranked in index order.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "registration/optimizer_passes.h"
#include "support/optimizer_rig.h"
#include "support/scripted_messages.h"

namespace kestrave::test {

// A sum of plane waves of random direction and phase whose frequencies stay below `maxFrequency`
// cycles per pixel: sampling it at shifted positions shifts it exactly, with no interpolation.
class BandLimitedScene {
public:
    explicit BandLimitedScene(unsigned seed, int waves = 96, double maxFrequency = 0.2);
    // A grey picture whose pixel (x, y) shows the scene at (x - shiftX, y - shiftY), rounded.
    Bitmap24 picture(int width, int height, double shiftX, double shiftY) const;

private:
    struct Wave {
        double u, v, amplitude, phase;
    };
    std::vector<Wave> waves_;
};

// Remembers the total after every pass and the frames optimized.
class RecordingObserver : public OptimizerObserver {
public:
    void passStarted(const OptimizerChart& chart, const OptimizerReferenceView& reference) override;
    void frameOptimized(int position, int frame, const TFrameRec& record,
                        const Bitmap24& currentBox) override;
    void passFinished(const OptimizerPassResult& result, double DifferenceSum) override;
    void captionChanged(const std::string& caption) override { captions.push_back(caption); }

    std::vector<OptimizerChart> charts;
    std::vector<int> positions;        // of every frame optimized, in the order reported
    std::vector<std::uint64_t> boxes;  // a checksum of the box shown for each of them
    std::vector<std::string> captions;
    std::vector<double> sums;  // DifferenceSum after every pass
    std::vector<OptimizerPassResult> passes;
    // Runs when pass n (0 first) starts.
    std::function<void(int pass)> onPassStart;
};

struct OptimizerBench : OptimizerRig<MemoryFrameSource, RecordingObserver> {
    // `frames` frames of width x height, frame j at ranking position j with key 100 - j, no
    // shift; the reference picture is the scene unshifted and the feature lies at the centre.
    // The scene's detail reaches `maxFrequency` cycles per pixel.
    OptimizerBench(int width, int height, int frames, int n, unsigned seed = 7, double maxFrequency = 0.2);

    // Frame j shows the scene shifted by (shiftX, shiftY); its alignment result is (startX,
    // startY) with the given alignment difference.
    void setFrame(int j, double shiftX, double shiftY, int startX, int startY, float alignDifference = 1e7f);

    BandLimitedScene scene;

    OptimizerRunResult optimize();
    // The reference window and a step for frame j at the current options.
    OptimizerReference reference() const;
    OptimizeStepResult step(int j, int field = 0);
};

}  // namespace kestrave::test
