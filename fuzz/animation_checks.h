#pragma once
// What a decoded animation promises: tables and strip of its frame count, shapes of its frames,
// and a walk through the frames (branching and exiting) that never leaves them.

#include "actor/animation_frames.h"
#include "fuzz_support.h"

namespace kestrave::fuzz {

inline void checkAnimation(const AnimationFrames& frames) {
    const int n = frames.count;
    FUZZ_CHECK(n >= 1 && n <= kMaxAnimationFrames);
    const auto count = static_cast<std::size_t>(n);
    FUZZ_CHECK(frames.sounds.size() == count && frames.durations.size() == count &&
               frames.branches.size() == count && frames.exits.size() == count &&
               frames.regions.size() == count);
    const std::size_t framePixels = static_cast<std::size_t>(frames.width) * frames.height;
    FUZZ_CHECK(frames.strip.size() == count * framePixels);
    FUZZ_CHECK(frames.framePixels(n - 1).size() == framePixels);
    for (bool exiting : {false, true}) {
        RandomSource random(7);
        bool finished = false;
        int current = 0;
        for (int step = 0; step < 64 && !finished; ++step) {
            current = nextFrame(frames, current, exiting, random, finished);
            FUZZ_CHECK(current >= 0 && current < n);
        }
    }
    (void)frames.hasEndlessLoop();
}

}  // namespace kestrave::fuzz
