// Decoding one animation's frame data and stepping through its frames.

#include <gtest/gtest.h>

#include "actor/actor_errors.h"
#include "actor/animation_frames.h"
#include "support/actor_test_file.h"

namespace kestrave {
namespace {

using test::TestAnimation;
using test::TestFrame;

std::shared_ptr<const AnimationFrames> decode(const TestAnimation& a, int width = 4, int height = 2) {
    const auto data = test::frameData(a, width, height);
    return decodeAnimation(a.compress ? test::compressedStream(data) : test::storedStream(data), width,
                           height, 0);
}

TEST(AnimationFrames, TablesFramesAndShapesComeFromTheStrip) {
    TestAnimation a = test::minimalActor().animations[0];
    a.frames[0].sound = 7;
    a.frames[1].duration = 25;
    a.frames[1].exit = {1, 0};
    for (bool compress : {false, true}) {
        a.compress = compress;
        const auto frames = decode(a);
        ASSERT_EQ(frames->count, 2);
        EXPECT_EQ(frames->sounds, (std::vector<std::uint16_t>{7, 0}));
        EXPECT_EQ(frames->durations, (std::vector<std::uint8_t>{10, 25}));
        EXPECT_TRUE(frames->hasExit(1));
        EXPECT_FALSE(frames->hasExit(0));
        // Strip rows: 1 1 0 0 | 1 0 1 0 and 0 1 1 0 | 0 0 1 1.
        EXPECT_EQ(frames->framePixels(1), (std::vector<std::uint8_t>{1, 0, 1, 0, 0, 0, 1, 1}));
        EXPECT_EQ(*frames->regions[0], (RunRects{{0, 0, 2, 1}, {1, 1, 3, 2}}));
        EXPECT_EQ(*frames->regions[1], (RunRects{{0, 0, 1, 1}, {2, 0, 3, 1}, {2, 1, 4, 2}}));
    }
}

TEST(AnimationFrames, DataThatDoesNotFitIsRefused) {
    const TestAnimation good = test::minimalActor().animations[0];
    const auto withFrames = [&](auto change) {
        TestAnimation a = good;
        change(a);
        return a;
    };
    TestAnimation shortData = good;
    shortData.rawFrameData = test::frameData(good, 4, 2);
    shortData.rawFrameData.pop_back();
    TestAnimation noFrames = good;
    noFrames.rawFrameData = {0, 0, 0, 0};
    TestAnimation tooMany = good;
    tooMany.rawFrameData = {1, 1, 0, 0};  // 257 frames
    tooMany.rawFrameData.resize(4 + 257 * 13 + 257 * 8);
    const struct {
        const char* what;
        TestAnimation animation;
    } cases[] = {
        {"one byte short", shortData},
        {"no frames", noFrames},
        {"257 frames", tooMany},
        {"branch past the last frame", withFrames([](TestAnimation& a) {
             a.frames[0].branches[2] = {5, 2};
         })},
        {"exit past the last frame", withFrames([](TestAnimation& a) {
             a.frames[1].exit = {1, 9};
         })},
    };
    for (const auto& c : cases) EXPECT_THROW(decode(c.animation), ActorDataError) << c.what;

    // A branch that can never be taken, or an exit that is not set, may point anywhere.
    EXPECT_NO_THROW(decode(withFrames([](TestAnimation& a) {
        a.frames[0].branches[1] = {0, 200};
        a.frames[0].exit = {0, 200};
    })));
}

TEST(AnimationFrames, NextFrameFollowsBranchesExitsAndTheEnd) {
    // Frame 0 branches with 30 + 70 = 100 to frames 2 and 3; frame 1 exits to 3; frame 3 is
    // the last and lasts 0.
    TestAnimation a;
    a.frames.resize(4);
    a.frames[0].branches[0] = {30, 2};
    a.frames[0].branches[1] = {70, 3};
    a.frames[1].exit = {1, 3};
    a.frames[3].duration = 0;
    const auto frames = decode(a);
    RandomSource random(11);
    int taken[4] = {};
    for (int i = 0; i < 1000; ++i) {
        bool finished = false;
        const int next = nextFrame(*frames, 0, false, random, finished);
        ++taken[next];
        // Landing on the last frame, which lasts 0, ends the animation.
        EXPECT_EQ(finished, next == 3);
    }
    EXPECT_EQ(taken[0] + taken[1], 0);
    EXPECT_NEAR(taken[2], 300, 60);

    const struct {
        int current;
        bool exiting;
        int next;
        bool finished;
    } cases[] = {
        {1, false, 2, false},  // no branch: the following frame
        {1, true, 3, true},    // the exit target, which is the last frame of time 0
        {2, true, 3, true},    // no exit: the following frame
        {3, false, 3, true},   // past the last frame
        {3, true, 3, true},
    };
    for (const auto& c : cases) {
        bool finished = false;
        EXPECT_EQ(nextFrame(*frames, c.current, c.exiting, random, finished), c.next) << c.current;
        EXPECT_EQ(finished, c.finished) << c.current << " " << c.exiting;
    }
}

TEST(AnimationFrames, AnEndlessLoopIsACertainBranchBackwards) {
    const struct {
        int from;
        std::uint8_t probability, target;
        bool endless;
    } cases[] = {{1, 100, 0, true}, {1, 100, 1, true}, {0, 100, 1, false}, {1, 99, 0, false}};
    for (const auto& c : cases) {
        TestAnimation a;
        a.frames[c.from].branches[3] = {c.probability, c.target};
        EXPECT_EQ(decode(a)->hasEndlessLoop(), c.endless) << c.from << " " << int(c.probability);
    }
}

TEST(MaskRuns, OneBitPicturesAreReadMostSignificantBitFirst) {
    // 10 x 2: row 0 = 1100 0000 01, row 1 = all zero; rows 2 bytes apart.
    const std::uint8_t bits[] = {0xC0, 0x40, 0x00, 0x00};
    EXPECT_EQ(maskRunsMono(bits, 10, 2, 2, false), (RunRects{{0, 0, 2, 1}, {9, 0, 10, 1}}));
    EXPECT_EQ(maskRunsMono(bits, 10, 2, 2, true), (RunRects{{2, 0, 9, 1}, {0, 1, 10, 2}}));
    EXPECT_TRUE(maskRunsIndexed(bits, 0, 0, 0, 0).empty());
}

}  // namespace
}  // namespace kestrave
