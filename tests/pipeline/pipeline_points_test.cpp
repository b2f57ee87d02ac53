#include <gtest/gtest.h>

#include <fstream>

#include "output/image_savers.h"
#include "pipeline/pipeline.h"
#include "platform/errors.h"
#include "support/pipeline_test_access.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

TEST(PipelinePoints, ASaveSwitchesTheRunsMasterFrameModeOn) {
    const test::TempDir dir;
    Pipeline pipeline;
    test::ScriptedMessages messages;
    RunState& run = editRun(pipeline);
    // An input that a BMP save's name rules would hit.
    run.model.AviSegments[0].FileName = (dir / "a.bmp").string();
    std::ofstream(dir / "a.bmp") << "frames";
    run.stack.result.ImageWidth = 4;
    run.stack.result.ImageHeight = 3;
    run.stack.result.StackMaxValue = 1;
    for (T2dArrays& plane : run.images.StackPlanes) plane.reset(3, 4);
    run.wavelet.Stackimage = TTIFFBitMap(4, 3);
    const SavePorts ports{messages, nullptr, "V1"};
    EXPECT_FALSE(pipeline.state().MasterFrameMode);
    // The save writes through the run's own flag, not a copy of it.
    EXPECT_FALSE(pipeline.saveStack(dir / "dark", StackSaveType::FITSpecial, ports).written.empty());
    EXPECT_TRUE(pipeline.state().MasterFrameMode);
    EXPECT_EQ(inputFiles(pipeline.model()), std::vector<std::filesystem::path>{dir / "a.bmp"});
    // No save replaces a file of the input.
    EXPECT_THROW(pipeline.saveStack(dir / "a.avi", StackSaveType::BMP, ports), FileError);
    EXPECT_EQ(std::filesystem::file_size(dir / "a.bmp"), 6u);
}

// Each save writes what the run holds under the chosen name with its type's extension.
TEST(PipelinePoints, EachSaveWritesTheRunsPictureUnderTheChosenName) {
    const test::TempDir dir;
    Pipeline pipeline;
    test::ScriptedMessages messages;
    RunState& run = editRun(pipeline);
    run.stack.result.ImageWidth = run.model.ImageWidth = 4;
    run.stack.result.ImageHeight = run.model.ImageHeight = 3;
    run.wavelet.Stackimage = TTIFFBitMap(4, 3);
    run.wavelet.ProcessPicture = Bitmap24(4, 3);
    run.finalImage.shown = Bitmap24(4, 3);
    const SavePorts ports{messages, nullptr, "V1"};
    const Bitmap24 resized(2, 2);
    const std::vector<std::pair<SaveOutcome, std::string>> saves = {
        {pipeline.saveStack(dir / "stack.png", StackSaveType::BMP, ports), "stack.bmp"},
        {pipeline.saveProcessed({dir / "processed", WaveletSaveType::BMP, false, {}}, ports),
         "processed.bmp"},
        {pipeline.saveFinal({dir / "final", WaveletSaveType::JPEG, {}, {}}, ports), "final.jpg"},
        {pipeline.saveResized(dir / "small", ResizeSaveType::BMP, resized, ports), "small.bmp"},
    };
    for (const auto& [outcome, name] : saves) {
        EXPECT_EQ(outcome.written, std::vector<std::filesystem::path>{dir / name}) << name;
        EXPECT_TRUE(std::filesystem::exists(dir / name)) << name;
    }
    // The user is asked whether to process the whole picture first; unattended it is.
    messages.answers = {mrNo};
    EXPECT_FALSE(pipeline.wantsDoAllBeforeSave(ports));
    pipeline.setBatchMode(true);
    EXPECT_TRUE(pipeline.wantsDoAllBeforeSave(ports));
}

// The stack depth becomes the processed view, and the page showing it hears so.
TEST(PipelinePoints, TheStackDepthIsShownInTheProcessedView) {
    Pipeline pipeline;
    std::vector<PipelineChange> heard;
    const auto subscription = pipeline.subscribe([&](PipelineChange change) { heard.push_back(change); });
    pipeline.showStackDepth(Bitmap24(5, 4));
    EXPECT_EQ(pipeline.wavelet().ProcessPicture.width(), 5);
    EXPECT_EQ(heard, std::vector{PipelineChange::StackDepth});
}

TEST(PipelinePoints, AMasterFrameTakesEveryFrameInOrderWithEqualWeight) {
    Pipeline pipeline;
    std::vector<PipelineChange> heard;
    const auto subscription = pipeline.subscribe([&](PipelineChange change) { heard.push_back(change); });
    pipeline.prepareMasterFrame(2);
    EXPECT_TRUE(pipeline.state().MasterFrameMode);
    EXPECT_EQ(pipeline.state().activepage, TMainTab::tabStack);
    EXPECT_FALSE(pipeline.model().FitStretch);
    for (int rank = 0; rank <= 2; ++rank) {
        EXPECT_EQ(pipeline.model().FrameRanking[rank].Frame, rank);
        EXPECT_EQ(pipeline.model().FrameTable[rank].Slots[0].Quality, 1.0f);
    }
    EXPECT_EQ(heard, (std::vector{PipelineChange::Frames, PipelineChange::Stage}));
}

}  // namespace
}  // namespace kestrave
