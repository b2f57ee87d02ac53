#pragma once
// One animation of an actor, expanded from its frame-data resource.
//
// The expanded data (N frames of W x H pixels):
//
//   4        N, 1..256
//   2 * N    per frame a sound resource identifier, 0 for none
//   N        per frame its display time, hundredths of a second at speed 100
//   8 * N    per frame four branches of (probability in percent, target frame)
//   2 * N    per frame (has an exit branch 0/1, exit target frame)
//   N*W*H    the frames side by side as one 8-bit palette strip of N * W columns and H rows,
//            top row first, no row padding; frame f is columns f * W .. f * W + W - 1
//
// Data shorter than that, a frame count of 0 or above 256, or a branch that can be taken (or
// an exit that is set) pointing at a frame that does not exist is refused: playing it would
// read outside the strip.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "actor/mask_runs.h"
#include "actor/random_source.h"

namespace kestrave {

constexpr int kMaxAnimationFrames = 256;

struct FrameBranch {
    std::uint8_t probability = 0;
    std::uint8_t target = 0;
};

struct AnimationFrames {
    int width = 0;
    int height = 0;
    int count = 0;
    std::vector<std::uint16_t> sounds;
    std::vector<std::uint8_t> durations;
    std::vector<std::array<FrameBranch, 4>> branches;
    std::vector<FrameBranch> exits;  // probability is the has-exit flag
    std::vector<std::uint8_t> strip;
    // The shape of each frame: its pixels that are not transparent, as one-row rectangles.
    std::vector<std::shared_ptr<const RunRects>> regions;

    // Frame f's W x H pixels, top row first, rows without padding.
    std::vector<std::uint8_t> framePixels(int f) const;
    bool hasExit(int f) const { return exits[f].probability != 0; }
    bool hasExitBranch() const;
    // Some frame branches with certainty (probability 100) to itself or to an earlier frame.
    bool hasEndlessLoop() const;
};

// Expands a frame-data resource (an LZRW1-KH stream) and reads its tables and frames; throws
// ActorDataError when the data is damaged or does not fit the frame size.
std::shared_ptr<const AnimationFrames> decodeAnimation(std::span<const std::uint8_t> resource, int width,
                                                       int height, std::uint8_t transparentIndex);

// The frame after `current`. Not exiting: each of the four branches in turn is taken with its
// probability out of what the earlier ones left (a draw in 0..range-1 below p; else range
// shrinks by p), and without a branch the next frame follows, or the animation has finished at
// the last frame. Exiting: the frame's exit target when it has one, else the following frame;
// finished at the last frame. Landing on the last frame when its time is 0 finishes too.
// `finished` is only ever set here, never cleared; at the end the result is `current` itself.
int nextFrame(const AnimationFrames& frames, int current, bool exiting, RandomSource& random, bool& finished);

}  // namespace kestrave
