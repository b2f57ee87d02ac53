// Loading a project: its input found again after the project moved, the project checked against
// that input, the stage replay it needs, the pages it may open, and the move of a renamed video.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <fstream>

#include "output/project_load.h"
#include "output/project_model.h"
#include "support/temp_dir.h"

using namespace kestrave;
using namespace kestrave::test;
namespace fs = std::filesystem;

namespace {

void touch(const fs::path& path, const std::string& text = "x") {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

TEST(ProjectLoad, InputIsFoundBesideAProjectThatMoved) {
    TempDir dir;
    touch(dir / "a.png");
    touch(dir / "b.png");
    touch(dir / "moon.avi");
    const fs::path project = dir / "work.ksp";

    ProjectData series;
    series.InputType = TInputType::itPNG;
    series.filedir = "/no/such/folder";
    series.frameNames = {"a.png", "b.png"};
    const InputPlan stills = projectInputPlan(series, project);
    EXPECT_EQ(stills.filter, InputFilter::PNG);
    EXPECT_EQ(stills.files, (std::vector<std::string>{(dir / "a.png").string(), (dir / "b.png").string()}));
    EXPECT_EQ(missingInputText(stills), "");
    series.frameNames.push_back("c.png");
    EXPECT_EQ(missingInputText(projectInputPlan(series, project)),
              "Error : Bitmapfile c.png missing, project not loaded");

    ProjectData video;
    video.AviName = "C:\\captures\\moon.avi";  // written on another system
    EXPECT_EQ(projectInputPlan(video, project).files, std::vector<std::string>{(dir / "moon.avi").string()});
    video.aviFiles = {{(dir / "moon.avi").string(), 0, 9}, {"/gone/moon2.avi", 10, 19}};
    EXPECT_EQ(missingInputText(projectInputPlan(video, project)),
              "Error : Avifile " + (dir / "moon2.avi").string() + " missing, project not loaded");

    ProjectData ser;
    ser.InputType = TInputType::itSER;
    EXPECT_THROW(projectInputPlan(ser, project), ProjectError);
}

TEST(ProjectLoad, AProjectMustFitItsInput) {
    ProjectData p;
    p.sequencelength = 10;
    p.points = {{0, 0, 64}, {639, 479, 64}};
    EXPECT_NO_THROW(checkProjectFitsInput(p, 10, 640, 480));
    EXPECT_THROW(checkProjectFitsInput(p, 9, 640, 480), ProjectError);
    EXPECT_THROW(checkProjectFitsInput(p, 10, 639, 480), ProjectError);
    p.points = {{-1, 5, 0}};
    EXPECT_THROW(checkProjectFitsInput(p, 10, 640, 480), ProjectError);
}

TEST(ProjectLoad, ReplayFollowsTheStageReached) {
    using S = ReplayStep;
    struct Case {
        int progstatus;
        bool darkTicked, withWavelet;
        std::vector<S> steps;
    };
    for (const Case& c : std::vector<Case>{
             {0, false, false, {}},
             {0, true, false, {S::LoadDarkFrame}},
             {1, false, false, {S::RebuildReference}},
             {2, false, false, {S::DrawRegistrationGraph, S::RebuildReference}},
             {3, false, false, {S::OpenStackPage, S::RebuildReference, S::ShowRegistrationGraph}},
             {4,
              true,
              true,
              {S::LoadDarkFrame, S::RebuildReference, S::ShowRegistrationGraph, S::RestoreStackControls,
               S::RestoreWaveletControls, S::StackAgain, S::ProcessAgain}},
             {4,
              false,
              false,
              {S::RebuildReference, S::ShowRegistrationGraph, S::RestoreStackControls, S::StackAgain,
               S::ProcessAgain}},
         }) {
        SCOPED_TRACE(c.progstatus);
        ProjectData p;
        p.progstatus = c.progstatus;
        p.dark = ProjectCalibration{"dark.bmp", 1};  // the flat field's box is not ticked
        p.flat = ProjectCalibration{"flat.bmp", 1};
        if (c.withWavelet) p.wavelet = ProjectWavelet{};
        EXPECT_EQ(planReplay(p, c.darkTicked, false).steps, c.steps);
    }
    ProjectData stacked;
    stacked.progstatus = 4;
    stacked.sequencelength = 50;
    stacked.usedframes = 30;
    stacked.stackslider = 12;
    for (const auto& [stored, loaded] : {std::pair{100, 1000}, std::pair{250, 250}}) {
        stacked.stackdifslider = stored;
        const ReplayPlan plan = planReplay(stacked, false, false);
        EXPECT_EQ(plan.differenceCut, loaded);
        EXPECT_EQ(plan.stackSlider, 12);
        EXPECT_EQ(plan.stackListCount, 30);
    }
}

TEST(ProjectLoad, PagesAreTheLargerOfStoredAndReplayedWithinRange) {
    struct Case {
        int stored;
        TMainTab replay;
        TMainTab activepage;
        std::optional<TMainTab> shown;
    };
    for (const Case& c : std::vector<Case>{
             {0, TMainTab::tabAlign, TMainTab::tabAlign, std::nullopt},        // saved on "About"
             {1, TMainTab::tabStack, TMainTab::tabStack, TMainTab::tabAlign},  // stacked, saved on "Align"
             {4, TMainTab::tabStack, TMainTab::tabFinal, TMainTab::tabWavelet},
             {5, TMainTab::tabAlign, TMainTab::tabAbout, std::nullopt},
             {77, TMainTab::tabAlign, TMainTab::tabAbout, std::nullopt},
             {-3, TMainTab::tabOptimize, TMainTab::tabOptimize, std::nullopt},
         }) {
        SCOPED_TRACE(c.stored);
        const LoadedPages pages = loadedPages(c.stored, c.replay);
        EXPECT_EQ(pages.activepage, c.activepage);
        EXPECT_EQ(pages.shownTab, c.shown);
    }
}

TEST(ProjectLoad, TheVideoMovesWithinItsFolderAndNothingIsOverwritten) {
    TempDir dir;
    const fs::path video = dir / "capture.avi";
    touch(video, "frames");
    const fs::path renamed = videoNamedAfterProject(video, "/elsewhere/_20240102_030405.ksp");
    EXPECT_EQ(renamed, dir / "_20240102_030405.avi");
    moveFile(video, renamed);
    EXPECT_FALSE(fs::exists(video));

    touch(video, "other");
    EXPECT_THROW(moveFile(video, renamed), FileError);
    EXPECT_TRUE(fs::exists(video));
    EXPECT_THROW(moveFile(dir / "absent.avi", dir / "new.avi"), FileError);

    // Across file systems the file is copied, then the original removed.
    const fs::path shm = "/dev/shm";
    struct stat here {
    }, there{};
    if (::stat(dir.path().c_str(), &here) != 0 || ::stat(shm.c_str(), &there) != 0 ||
        here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system";
    const fs::path moved = shm / ("kestrave_move_" + std::to_string(::getpid()) + ".avi");
    moveFile(renamed, moved);
    EXPECT_FALSE(fs::exists(renamed));
    std::ifstream in(moved, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "frames");
    fs::remove(moved);
}
