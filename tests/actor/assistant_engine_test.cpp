// The animation engine on its thread, timed by a recording waiter instead of a clock.

#include <gtest/gtest.h>

#include "actor/assistant_engine.h"
#include "support/actor_test_file.h"
#include "support/temp_dir.h"
#include "thread_test_support.h"

namespace kestrave {
namespace {

using test::Recorder;
using test::TestActor;
using test::TestAnimation;
using test::TestFrame;

TestFrame frame(std::uint8_t duration, std::pair<std::uint8_t, std::uint8_t> branch = {},
                std::pair<std::uint8_t, std::uint8_t> exit = {}) {
    TestFrame f;
    f.duration = duration;
    f.branches[0] = branch;
    f.exit = exit;
    return f;
}

struct Engine : ::testing::Test {
    // Loads a one-animation actor and an engine whose first `immediate` waits end at once.
    void start(TestAnimation animation, int immediate = 1 << 30, TestActor actorFile = {}) {
        actorFile.animations.insert(actorFile.animations.begin(), std::move(animation));
        test::writeActorFile(dir / "a.actor", actorFile);
        actor.setActorLibrary((dir / "a.actor").string());
        engine = std::make_unique<TAssistantEngine>(
            actor, std::make_unique<test::RecordingWaiter>(waits, immediate), 1);
        engine->setup();
        engine->setOnPlayStart([this] { events.add("start"); });
        engine->setOnPlayStop([this] { events.add("stop"); });
        engine->setOnFrame([this] { frames.add(engine->currentFrame()->frame); });
        ASSERT_TRUE(engine->loadAnimation(1));
    }
    void playToTheEnd() {
        const std::size_t stops = count("stop");
        engine->play(true);
        events.await([&](const auto& e) { return std::count(e.begin(), e.end(), "stop") > long(stops); });
    }
    std::size_t count(const std::string& event) const {
        const auto e = events.values();
        return std::count(e.begin(), e.end(), event);
    }

    test::TempDir dir;
    TAssistantActor actor{1};
    Recorder<int> waits;
    Recorder<int> frames;
    Recorder<std::string> events;
    std::unique_ptr<TAssistantEngine> engine;
};

TEST_F(Engine, FramesOfTimeZeroAreSkippedAndTheSpeedScalesTheWaits) {
    TestAnimation a;
    a.frames = {frame(10), frame(0), frame(10)};
    start(a);
    playToTheEnd();
    EXPECT_EQ(frames.values(), (std::vector<int>{0, 2}));
    EXPECT_EQ(waits.values(), (std::vector<int>{100, 0, 100}));
    EXPECT_EQ(events.values(), (std::vector<std::string>{"start", "stop"}));
    EXPECT_TRUE(engine->isStopped());

    // The shown frame as the window gets it: frame 2's pixels (all 3) and the actor's palette.
    const auto shown = engine->currentFrame();
    EXPECT_EQ(shown->animation, 1);
    EXPECT_EQ(shown->pixels, std::vector<std::uint8_t>(8, 3));
    EXPECT_EQ(shown->region->size(), 2u);
    EXPECT_EQ((*shown->palette)[1], 0xFFFFFFFFu);

    for (int speed : {200, 0, 50}) {
        engine->setSpeed(speed);
        ASSERT_TRUE(engine->loadAnimation(1));
        const std::size_t before = waits.values().size();
        playToTheEnd();
        const auto all = waits.values();
        EXPECT_EQ(std::vector<int>(all.begin() + before, all.end()),
                  speed == 50 ? (std::vector<int>{200, 0, 200}) : (std::vector<int>{50, 0, 50}))
            << speed;
    }
}

TEST_F(Engine, StoppingDuringAFrameEndsThePlayAndItsSound) {
    TestAnimation a;
    a.frames = {frame(10), frame(10)};
    a.frames[0].sound = 9;
    TestActor withSound;
    withSound.sounds.push_back({9, {'R', 'I', 'F', 'F', 0, 0}});
    start(a, 0, withSound);
    test::RecordingSoundSink sink;
    engine->setSoundSink(&sink);
    engine->play(true);
    waits.awaitCount(1);  // frame 0 shown, its time running
    engine->play(false);
    events.awaitValue("stop");
    EXPECT_EQ(frames.values(), std::vector<int>{0});
    EXPECT_EQ(sink.events.values(), (std::vector<std::string>{"play 6", "stop"}));

    // Muted, the frame plays no sound; a play without an animation is a stop.
    engine->setMute(true);
    ASSERT_TRUE(engine->loadAnimation(1));
    engine->play(true);
    waits.awaitCount(2);
    engine->play(false);
    events.awaitCount(4);
    EXPECT_EQ(sink.events.values().size(), 3u);  // only the stop
    EXPECT_FALSE(engine->loadAnimation(2));
    engine->clear();
    engine->play(true);
    EXPECT_TRUE(engine->isStopped());
    engine->setSoundSink(nullptr);
}

TEST_F(Engine, ALoopOfTimelessFramesBreathesEvery256Waits) {
    TestAnimation a;
    a.frames = {frame(0, {100, 1}), frame(0, {100, 0}), frame(10)};
    start(a);
    EXPECT_TRUE(engine->hasEndlessLoop());
    engine->play(true);
    const auto all = waits.awaitCount(600);
    engine->play(false);
    events.awaitValue("stop");
    EXPECT_EQ(std::count(all.begin(), all.begin() + 256, 0), 256);
    EXPECT_EQ(all[256], 10);
    EXPECT_EQ(all[513], 10);
    EXPECT_TRUE(frames.values().empty());
}

TEST_F(Engine, AnExitLeavesALoopThroughTheExitBranch) {
    // Frame 0 loops on itself for ever; its exit leads to frame 2, past frame 1.
    TestAnimation a;
    a.frames = {frame(10, {100, 0}, {1, 2}), frame(10), frame(10)};
    start(a);
    engine->play(true);
    frames.awaitCount(3);
    EXPECT_TRUE(engine->tryExit());
    EXPECT_FALSE(engine->tryExit());  // already on its way out
    events.awaitValue("stop");
    const auto shown = frames.values();
    EXPECT_EQ(shown.back(), 2);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 1), 0);
}

TEST_F(Engine, AFinishedAnimationExitsThroughItsReturnAnimation) {
    TestActor more;
    TestAnimation back;
    back.name = "Back";
    more.animations.push_back(back);
    const struct {
        std::uint8_t returnKind;
        bool exits;
        bool expected;
        int animationAfter;
    } cases[] = {
        {1, false, true, 2},   // finished, return animation 2
        {0, false, false, 1},  // nothing to leave through
        {0, true, false, 1},   // has exits, but finished and not told to use them
        {2, true, true, 1},    // told to leave through its exits even when finished
    };
    for (const auto& c : cases) {
        TestAnimation a;
        a.returnKind = c.returnKind;
        a.returnAnimation = 2;
        if (c.exits) a.frames[0].exit = {1, 1};
        engine.reset();
        actor.setActorLibrary("");
        start(a, 1 << 30, more);
        playToTheEnd();
        EXPECT_EQ(engine->tryExit(), c.expected) << int(c.returnKind);
        EXPECT_EQ(engine->currentAnimation(), c.animationAfter) << int(c.returnKind);
    }
}

}  // namespace
}  // namespace kestrave
