// The request director with its engine: the order of animations, idle animations, waits,
// cancels and shutdown. Waiters record the times asked for; nothing depends on a clock.

#include <gtest/gtest.h>

#include "actor/assistant_director.h"
#include "support/actor_test_file.h"
#include "support/temp_dir.h"
#include "thread_test_support.h"

namespace kestrave {
namespace {

using test::Recorder;
using test::TestActor;
using test::TestAnimation;

TestAnimation animation(const std::string& name, std::vector<int> states = {}) {
    TestAnimation a;
    a.name = name;
    a.states = std::move(states);
    return a;
}

// Animations: 1 Read, 2 ReadContinued, 3 ReadReturn, 4 X, 5 Idle (state 33), 6 Rest (state 60),
// 7 Loop (frame 0 repeats for ever).
TestActor characterActor() {
    TestActor actor;
    for (const char* name : {"Read", "ReadContinued", "ReadReturn", "X"})
        actor.animations.push_back(animation(name));
    actor.animations.push_back(animation("Idle", {33}));
    actor.animations.push_back(animation("Rest", {60}));
    TestAnimation loop = animation("Loop");
    loop.frames[0].branches[0] = {100, 0};
    actor.animations.push_back(loop);
    return actor;
}

struct Director : ::testing::Test {
    // `frameImmediate`: how many frame waits end at once before they last until a stop.
    void start(int frameImmediate = 1 << 30, int idleImmediate = 0) {
        test::writeActorFile(dir / "c.actor", characterActor());
        TAssistantDirector::Seams seams;
        seams.frameWaiter = std::make_unique<test::RecordingWaiter>(frameWaits, frameImmediate);
        seams.idleWaiter = std::make_unique<test::RecordingWaiter>(idleWaits, idleImmediate);
        seams.seed = 3;
        director = std::make_unique<TAssistantDirector>(std::move(seams));
        director->setOnPlayStart([this](std::uint32_t id) { events.add("start " + name(id)); });
        director->setOnPlayStop([this](std::uint32_t id) { events.add("stop " + name(id)); });
        director->setOnIdle([this](int& level, bool&) { idleLevels.add(level); });
        TAssistantEngine& engine = director->engine();
        engine.setOnFrame([this, &engine] {
            const int shown = engine.currentFrame()->animation;
            const auto before = played.values();
            if (before.empty() || before.back() != shown) played.add(shown);
        });
        director->setAutoIdle(false);
        director->actor().setActorLibrary((dir / "c.actor").string());
        director->setActive(true);
    }
    std::string name(std::uint32_t id) { return std::to_string(TRequestQueue::animationOf(id)); }

    test::TempDir dir;
    Recorder<int> frameWaits;
    Recorder<int> idleWaits;
    Recorder<int> played;
    Recorder<int> idleLevels;
    Recorder<std::string> events;
    std::unique_ptr<TAssistantDirector> director;
};

TEST_F(Director, AReadIsFollowedByItsReturnUnlessItContinues) {
    const struct {
        int second;
        std::vector<int> played;
    } cases[] = {{4, {1, 3, 4}}, {2, {1, 2}}};
    for (const auto& c : cases) {
        start();
        director->lock();
        const std::uint32_t read = director->playAnimation(1);
        const std::uint32_t next = director->playAnimation(c.second);
        director->unlock();
        director->waitForRequest(next);
        EXPECT_EQ(played.values(), c.played) << c.second;
        // The return is no request of the caller's: no events for it.
        EXPECT_EQ(events.awaitCount(4), (std::vector<std::string>{"start 1", "stop 1", "start " + name(next),
                                                                  "stop " + name(next)}));
        EXPECT_NE(read, next);
        EXPECT_FALSE(director->isBusy());
        director.reset();
        played.clear();
        events.clear();
    }
}

TEST_F(Director, IdleAnimationsPlayOnlyWithAutoIdle) {
    start(1 << 30, 1);
    director->setMinIdleTime(20);
    director->setMaxIdleTime(20);
    // Without AutoIdle the idle pause has no end: nothing can happen.
    EXPECT_EQ(idleWaits.awaitCount(1), std::vector<int>{-1});
    EXPECT_TRUE(idleLevels.values().empty());
    EXPECT_TRUE(played.values().empty());
    // Restless at level 3, the character calms down to level 1 once it is asked for something.
    director->setIdleLevel(kStateIdle3);
    director->waitForRequest(director->playAnimation(4));
    EXPECT_EQ(director->idleLevel(), kStateIdle1);
    events.awaitCount(2);
    events.clear();
    played.clear();

    // With it, the first pause of 20 ms ends in an idle tick at level 1 and the idle animation.
    director->setAutoIdle(true);
    played.awaitValue(5);
    EXPECT_EQ(idleLevels.values(), std::vector<int>{1});
    const auto pauses = idleWaits.values();
    EXPECT_NE(std::find(pauses.begin(), pauses.end(), 20), pauses.end());
    EXPECT_TRUE(events.values().empty());  // idle animations are not requests
}

TEST_F(Director, WaitingForAnEndlessAnimationEndsWhenItStarts) {
    start(0);  // every frame lasts until a stop
    const std::uint32_t loop = director->playAnimation(7);
    director->waitForRequest(loop);
    events.awaitValue("start 7");
    EXPECT_TRUE(director->isBusy());

    // Cancelled, it stops and the character comes to rest.
    director->cancelRequest(loop);
    events.awaitValue("stop 7");
    played.awaitValue(6);
    director->cancelAll(true);
    EXPECT_FALSE(director->isBusy());

    // Shutting down while the endless animation plays returns once both threads have ended.
    director->waitForRequest(director->playAnimation(7));
    director->shutdown();
    EXPECT_EQ(director->playState(60), 0u);
    const auto all = events.values();
    EXPECT_EQ(std::count(all.begin(), all.end(), "stop 7"), 1);
}

TEST_F(Director, WaitingForAStartReturnsWhileTheAnimationPlays) {
    start(0);  // every frame lasts until a stop: the animation never ends by itself
    const std::uint32_t x = director->playAnimation(4);
    director->waitForStart(x);
    EXPECT_EQ(director->engine().currentAnimation(), 4);
    EXPECT_FALSE(director->engine().isStopped());
    events.awaitValue("start 4");

    // A locked director starts nothing, so the wait for a start does not hang.
    director->lock();
    const std::uint32_t rest = director->playAnimation(6);
    director->waitForStart(rest);
    EXPECT_EQ(director->engine().currentAnimation(), 4);
    director->unlock();
    director->cancelAll(true);
    EXPECT_FALSE(director->isBusy());
}

TEST_F(Director, StatesAndNumbersOutsideTheActorQueueNothing) {
    start();
    EXPECT_EQ(director->playState(61), 0u);
    EXPECT_EQ(director->playAnimation(0), 0u);
    const std::uint32_t rest = director->playState(60);
    EXPECT_EQ(TRequestQueue::animationOf(rest), 6);
    director->waitForRequest(rest);
    // The actor going away deactivates the director and closes its queue.
    director->actor().setActorLibrary("");
    EXPECT_FALSE(director->Active());
    EXPECT_EQ(director->playAnimation(6), 0u);
}

TEST(RequestQueue, IdentifiersCountUpAndWrapAfter65536Additions) {
    TRequestQueue queue;
    EXPECT_EQ(queue.add(5), 0x00010005u);
    EXPECT_EQ(queue.add(7), 0x00020007u);
    EXPECT_TRUE(queue.remove(0x00010005u));
    EXPECT_FALSE(queue.remove(0x00010005u));
    EXPECT_EQ(queue.front(), 0x00020007u);
    EXPECT_EQ(queue.add(0), 0u);
    EXPECT_EQ(queue.add(0x10000), 0u);
    queue.setEnabled(false);
    EXPECT_EQ(queue.add(5), 0u);
    queue.setEnabled(true);
    for (int i = 3; i < 65536; ++i) queue.add(1);
    EXPECT_EQ(queue.add(9), 0x00000009u);  // the serial has wrapped to 0
    EXPECT_EQ(queue.add(5), 0x00010005u);  // and the first identifier comes again
    EXPECT_EQ(queue.pop(), 0x00020007u);
}

TEST(SpecialNames, AReturnComesBeforeAnythingButTheTriplesOwnSequel) {
    test::TempDir dir;
    TestActor actor;
    // 1 Read, 2 ReadContinued, 3 ReadReturn, 4 GetAttention, 5 GetAttentionContinued, 6 X;
    // no "GetAttentionReturn".
    for (const char* name :
         {"Read", "ReadContinued", "ReadReturn", "GetAttention", "GetAttentionContinued", "X"})
        actor.animations.push_back(animation(name));
    test::writeActorFile(dir / "n.actor", actor);
    TAssistantActor loaded;
    loaded.setActorLibrary((dir / "n.actor").string());
    TSpecialNames names;
    names.resolve(loaded);
    const struct {
        int previous, next, expected;
    } cases[] = {
        {1, 6, 3}, {1, 2, 0}, {1, 3, 0}, {1, 1, 3}, {1, 5, 3},
        {2, 6, 3}, {3, 6, 0}, {6, 1, 0}, {4, 6, 0},  // the actor has no return for GetAttention
    };
    for (const auto& c : cases)
        EXPECT_EQ(names.returnBefore(c.previous, c.next), c.expected) << c.previous << " " << c.next;
}

TEST(DirectionStates, TheTableWithADeadZoneAndADroppedAxis) {
    test::TempDir dir;
    TestActor actor;  // frames 4 x 2
    actor.animations.push_back(animation("Moves", {14, 12, 47, 28, 38}));
    test::writeActorFile(dir / "m.actor", actor);
    TAssistantDirector director;
    director.actor().setActorLibrary((dir / "m.actor").string());
    const struct {
        int kind;
        DirectorPoint to;
        int expected;
    } cases[] = {
        {0, {10, 0}, 14},   // right
        {0, {10, 10}, 12},  // right and down
        {0, {2, 1}, 0},     // within half a frame both ways
        {0, {10, -8}, 14},  // right and up has no animation: the smaller move (up) is dropped
        {2, {3, 10}, 38},   // right and down has none: the smaller move (right) is dropped
        {3, {0, 0}, 47},    // no dead zone for kind 3
        {1, {-10, -10}, 28}, {4, {10, 0}, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(director.directionState(c.kind, {0, 0}, c.to), c.expected)
            << c.kind << " " << c.to.x << "," << c.to.y;
}

TEST(IdleLevels, EachLevelDrawsItsCountdown) {
    // Without an actor the director cannot be activated and queues no state.
    TAssistantDirector director;
    director.setActive(true);
    EXPECT_FALSE(director.Active());
    EXPECT_EQ(director.playState(kStateRest), 0u);
    const struct { int level, low, high; } cases[] = {{34, 10, 19}, {35, 5, 9}, {33, 15, 29}, {36, 15, 29}};
    for (const auto& c : cases)
        for (int i = 0; i < 50; ++i) {
            const int countdown = director.setIdleLevel(c.level);
            EXPECT_GE(countdown, c.low) << c.level;
            EXPECT_LE(countdown, c.high) << c.level;
        }
    EXPECT_EQ(director.idleLevel(), 33);
}

}  // namespace
}  // namespace kestrave
