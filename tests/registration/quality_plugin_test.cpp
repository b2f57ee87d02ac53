// The quality plug-in: a library built beside the tests and installed as "libquality.so" in the
// program directory grades every frame with exactly its own figure; a missing library, or one
// without "Estimator", ends the pass with the message before anything is changed.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>

#include "align_test_bench.h"
#include "support/temp_dir.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

struct PluginPass {
    PluginPass() : bench(200, 160, 64, 4) {
        frames = texturedFrames(200, 160, {{0, 0}, {3, -2}, {-4, 1}, {2, 5}});
        bench.setQualityItem(6);
        bench.align().Trackobject = false;
        bench.pick(frames[0], 100, 80);
    }
    AlignmentPassResult run() {
        MemoryFrameSource source(frames);
        return bench.run(source);
    }
    AlignBench bench;
    std::vector<Bitmap24> frames;
};

}  // namespace

TEST(QualityPlugin, TheTestPluginsFigureArrivesExactly) {
    const ProgramDirScope home;
    std::filesystem::copy_file(KESTRAVE_QUALITY_TEST_PLUGIN, home.path() / QualityPluginFile);
    PluginPass pass;
    const AlignmentPassResult result = pass.run();
    ASSERT_EQ(result.end, PassEnd::Finished);
    for (int k = 0; k < 4; ++k) {
        const TAlignSlotRec& slot = pass.bench.model->FrameTable[k].Slots[0];
        // The plug-in adds the green byte of the aligned box's pixel (0, 1) over 256.
        const std::uint8_t green =
            pass.frames[static_cast<std::size_t>(k)].pixel(100 - 32 + slot.X, 80 - 32 + 1 + slot.Y)[1];
        EXPECT_EQ(slot.Quality, static_cast<float>(64 * 1000.0 + 64 + green / 256.0)) << k;
    }
    EXPECT_TRUE(pass.bench.messages.history().empty());
}

TEST(QualityPlugin, MissingPluginEndsThePassWithTheMessageAndChangesNothing) {
    const ProgramDirScope home;
    // A library without the function counts as missing too: libc has no "Estimator".
    Dl_info libc{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&dlopen), &libc), 0);
    for (bool withLibrary : {false, true}) {
        SCOPED_TRACE(withLibrary);
        if (withLibrary) std::filesystem::create_symlink(libc.dli_fname, home.path() / QualityPluginFile);
        PluginPass pass;
        pass.bench.model->FrameTable[2].Slots[0].X = 42;
        pass.bench.program.progstatus = TProgStatus::psFeatureSet;
        const AlignmentPassResult result = pass.run();
        EXPECT_EQ(result.end, PassEnd::Failed);
        EXPECT_EQ(result.error.rfind("Quality DLL not found.", 0), 0u) << result.error;
        if (withLibrary) {
            EXPECT_NE(result.error.find("Estimator"), std::string::npos) << result.error;
        }
        ASSERT_EQ(pass.bench.messages.history().size(), 1u);
        EXPECT_EQ(pass.bench.messages.history()[0].text, result.error);
        EXPECT_EQ(pass.bench.model->FrameTable[2].Slots[0].X, 42);
        EXPECT_FALSE(pass.bench.alignment.InAlignPass);
        EXPECT_FALSE(pass.bench.model->FramesRanked);
        EXPECT_EQ(pass.bench.program.progstatus, TProgStatus::psNone);
        EXPECT_EQ(pass.bench.program.activepage, TMainTab::tabAlign);
    }
    // The same error reaches the caller of a single alignment.
    EXPECT_THROW(ExternalQuality(Bitmap24(8, 8)), QualityPluginError);
}
