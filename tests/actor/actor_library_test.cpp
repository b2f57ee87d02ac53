// Opening actor files: what a valid one yields, and the two messages for everything else.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "actor/actor_errors.h"
#include "actor/assistant_actor.h"
#include "actor/assistant_engine.h"
#include "support/actor_test_file.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

using test::TestActor;
using test::TestAnimation;

struct ActorFile : ::testing::Test {
    std::string write(const TestActor& a, const std::string& name = "merlin.actor") {
        test::writeActorFile(dir / name, a);
        return (dir / name).string();
    }
    std::string writeBytes(const std::vector<std::uint8_t>& bytes, const std::string& name = "broken.actor") {
        test::writeBytes(dir / name, bytes);
        return (dir / name).string();
    }
    test::TempDir dir;
    TAssistantActor actor{7};
};

TEST_F(ActorFile, TheMinimalActorLoadsAndIsIndexed) {
    const std::vector<std::uint8_t> bytes = test::actorFileBytes(test::minimalActor());
    // Header 20, record 1058 + 66, one directory entry, the stream: length field, block length,
    // the stored flag and 4 + 13 * 2 + 2 * 4 * 2 = 46 bytes of frame data.
    ASSERT_EQ(bytes.size(), 20u + 1124 + 16 + 4 + 2 + 1 + 46);

    int loads = 0;
    actor.setOnLoad([&] { ++loads; });
    const std::string path = writeBytes(bytes, "merlin.actor");
    actor.setActorLibrary(path);
    EXPECT_FALSE(actor.isEmpty());
    EXPECT_EQ(actor.frameWidth(), 4);
    EXPECT_EQ(actor.frameHeight(), 2);
    EXPECT_EQ(actor.animationCount(), 1);
    EXPECT_EQ(actor.transparentIndex(), 0);
    EXPECT_EQ(actor.transparentColor(), 0x000000u);
    EXPECT_EQ(actor.library()->palette[1], 0xFFFFFFFFu);
    EXPECT_EQ(actor.findState(60, 0), 1);
    EXPECT_EQ(actor.findState(61, 0), 0);
    EXPECT_EQ(actor.findByName("restpose"), 1);
    EXPECT_EQ(actor.findByName("Rest"), 0);
    ASSERT_TRUE(actor.animation(1));
    EXPECT_EQ(actor.animation(1)->resourceId, 100);
    EXPECT_FALSE(actor.animation(0));
    EXPECT_FALSE(actor.animation(2));
    EXPECT_EQ(loads, 1);

    // The same file under its name in other letters (a link here; a file system that ignores
    // case gives it by itself) is the library already loaded.
    std::string upper = "merlin.actor";
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    std::filesystem::create_symlink("merlin.actor", dir / upper);
    actor.setActorLibrary((dir / upper).string());
    EXPECT_EQ(loads, 1);
    EXPECT_FALSE(actor.isEmpty());
}

TEST_F(ActorFile, ANameInOtherLettersIsAnotherFileWhereTheFileSystemSaysSo) {
    TestActor small = test::minimalActor();
    TestActor wide = test::minimalActor();
    wide.width = 6;
    const std::string lower = write(small, "owl.actor");
    const std::string upper = write(wide, "OWL.actor");
    int loads = 0;
    actor.setOnLoad([&] { ++loads; });
    actor.setActorLibrary(lower);
    actor.setActorLibrary(upper);
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(actor.ActorLibrary(), upper);
    EXPECT_EQ(actor.frameWidth(), 6);
    EXPECT_TRUE(actor.namesCurrentLibrary(upper));
    EXPECT_FALSE(actor.namesCurrentLibrary(lower));

    // A name in other letters that leads to no file is no library either.
    const std::string missing = (dir / "Owl.actor").string();
    EXPECT_THROW(actor.setActorLibrary(missing), EActorError);
    EXPECT_TRUE(actor.isEmpty());
    EXPECT_EQ(actor.ActorLibrary(), missing);
}

TEST_F(ActorFile, TheTransparentColourIsThatOfTheTransparentEntry) {
    TestActor a = test::minimalActor();
    a.transparentIndex = 1;
    actor.setActorLibrary(write(a));
    EXPECT_EQ(actor.transparentColor(), 0xFFFFFFu);
}

TEST_F(ActorFile, AMissingFileIsNotFoundAndUnloadsThePreviousOne) {
    actor.setActorLibrary(write(test::minimalActor()));
    int unloads = 0;
    actor.setOnUnload([&] {
        // Fired while the library is still there.
        EXPECT_FALSE(actor.isEmpty());
        ++unloads;
    });
    const std::string missing = (dir / "gone.actor").string();
    try {
        actor.setActorLibrary(missing);
        FAIL() << "no error";
    } catch (const EActorError& e) {
        EXPECT_EQ(std::string(e.what()), "File not found\r\n" + missing);
    }
    EXPECT_EQ(unloads, 1);
    EXPECT_TRUE(actor.isEmpty());
    EXPECT_EQ(actor.ActorLibrary(), missing);
    EXPECT_EQ(actor.frameWidth(), 0);
    EXPECT_EQ(actor.findState(60, 1), 0);
}

// Every way a file can fail to be an actor library gives the one message and leaves no library.
TEST_F(ActorFile, DamagedFilesAreNotValidActorLibraries) {
    const std::vector<std::uint8_t> good = test::actorFileBytes(test::minimalActor());
    const auto patched = [&](std::size_t at, std::vector<std::uint8_t> with) {
        std::vector<std::uint8_t> b = good;
        std::copy(with.begin(), with.end(), b.begin() + at);
        return b;
    };
    TestActor noAnimations = test::minimalActor();
    noAnimations.animations.clear();
    TestActor wide = test::minimalActor();
    wide.width = 1025;
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"version 199", patched(20, {199, 0})},
        {"magic", patched(0, {'a'})},
        {"container version", patched(8, {2})},
        {"no animation", test::actorFileBytes(noAnimations)},
        {"record shorter than its animations", patched(12, {0x40, 0x04})},  // R = 1088
        {"record past the end", patched(12, {0xFF, 0xFF})},
        {"frame width 0", patched(20 + 23, {0, 0})},
        {"frame wider than 1024", test::actorFileBytes(wide)},
        {"resource kind", patched(20 + 1124, {2})},
        {"resource past the end", patched(20 + 1124 + 8, {200})},
        {"directory past the end", patched(16, {2})},
        {"empty file", {}},
    };
    for (const auto& c : cases) {
        actor.setActorLibrary(write(test::minimalActor(), "good.actor"));
        const std::string path = writeBytes(c.bytes, std::string("bad-") + c.what);
        try {
            actor.setActorLibrary(path);
            ADD_FAILURE() << c.what << ": loaded";
        } catch (const EActorError& e) {
            EXPECT_EQ(std::string(e.what()), "File is not a valid actor library\r\n" + path) << c.what;
        }
        EXPECT_TRUE(actor.isEmpty()) << c.what;
    }
    // An animation without its frame data leaves the library valid; only it cannot be played.
    actor.setActorLibrary(writeBytes(patched(20 + 1058 + 51, {101}), "no-frames.actor"));
    EXPECT_EQ(actor.animationCount(), 1);
    EXPECT_FALSE(TAssistantEngine(actor).loadAnimation(1));
}

TEST_F(ActorFile, EveryTruncationOfAFileIsRefused) {
    TestActor a = test::minimalActor();
    a.sounds.push_back({5, {'R', 'I', 'F', 'F'}});
    const std::vector<std::uint8_t> good = test::actorFileBytes(a);
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_EQ(parseActorLibrary({good.begin(), good.begin() + size}), nullptr) << size;
    EXPECT_THROW(actor.setActorLibrary(writeBytes({good.begin(), good.end() - 1})), EActorError);
    actor.setActorLibrary(write(a));
    EXPECT_EQ(actor.library()->resource(ActorResourceKind::Sound, 5).size(), 4u);
}

TEST_F(ActorFile, AFolderIsNoActorLibrary) {
    const std::string folder = dir.path().string();
    try {
        actor.setActorLibrary(folder);
        FAIL() << "no error";
    } catch (const EActorError& e) {
        EXPECT_EQ(std::string(e.what()), "File is not a valid actor library\r\n" + folder);
    }
}

TEST_F(ActorFile, NamesAreCutAtFiftyCharactersAndFoundFromTheLast) {
    TestActor a;
    for (const char* name : {"Wave", "Read", "WAVE"}) {
        TestAnimation n;
        n.name = name;
        a.animations.push_back(n);
    }
    std::vector<std::uint8_t> bytes = test::actorFileBytes(a);
    bytes[20 + 1058 + 66 * 1] = 200;  // "Read" claims 200 characters
    actor.setActorLibrary(writeBytes(bytes));
    EXPECT_EQ(actor.animation(2)->name.size(), 50u);
    EXPECT_EQ(actor.animation(2)->name.substr(0, 4), "Read");
    EXPECT_EQ(actor.findByName("wave"), 3);
}

TEST_F(ActorFile, FindStateCountsTheServingAnimations) {
    TestActor a;
    // Animations 1 and 3 serve state 33; 2 serves states 78 and 79 (beyond a table of 78).
    for (const std::vector<int>& states : {std::vector<int>{33}, {78, 79}, {33, 60}}) {
        TestAnimation n;
        n.name = "A";
        n.states = states;
        a.animations.push_back(n);
    }
    actor.setActorLibrary(write(a));
    const struct {
        int state, nth, expected;
    } cases[] = {
        {33, 1, 1}, {33, 2, 3}, {33, 3, 1}, {33, 4, 1}, {33, 5, 1}, {79, 1, 2},
        {78, 9, 2}, {60, 2, 3}, {34, 1, 0}, {0, 1, 0},  {80, 1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(actor.findState(c.state, c.nth), c.expected) << c.state << " " << c.nth;
    EXPECT_EQ(actor.stateCount(33), 2);
    EXPECT_EQ(actor.stateCount(79), 1);

    std::set<int> drawn;
    for (int i = 0; i < 100; ++i) drawn.insert(actor.findState(33, 0));
    EXPECT_EQ(drawn, (std::set<int>{1, 3}));
}

}  // namespace
}  // namespace kestrave
