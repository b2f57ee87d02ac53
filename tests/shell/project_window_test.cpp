// Project files in the window: a stacked piece of work saved, loaded again at start-up and
// replayed to the same stage and result; projects that cannot be taken change nothing; the older
// form renames the video after the project and never over another file.

// The project's headers come before Qt's, whose "slots" keyword is a member name there.
#include "output/project_file.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>

#include "batch_test_support.h"
#include "frames/png_io.h"
#include "output/bmp_writer.h"
#include "registration/point_file.h"
#include "shell/controllers/input_controller.h"
#include "shell/controllers/optimize_controller.h"
#include "shell/controllers/project_controller.h"
#include "shell/controllers/shell_controller.h"
#include "shell/controllers/stack_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/named_control.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/shell_test_support.h"
#include "shell/tool_windows.h"
#include "support/avi_test_writer.h"
#include "support/temp_dir.h"
#include "widgets/bitmap_view.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/speed_button.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace {

namespace fs = std::filesystem;

// What a project restores of the work, for comparing two runs.
struct Work {
    std::vector<std::array<float, 3>> shifts;  // slot 0: X, Y (frame pixels), quality per frame
    std::vector<int> ranking;
    std::vector<bool> excluded;
    int featureX = 0;
    int featureY = 0;
    int points = 0;
    int usedframes = 0;
    TProgStatus progstatus = TProgStatus::psNone;
    bool operator==(const Work&) const = default;
};

Work workOf(const Pipeline& pipeline, int frames) {
    Work w;
    const FrameModel& model = pipeline.model();
    for (int i = 0; i < frames; ++i) {
        const TAlignSlotRec& slot = model.FrameTable[i].Slots[0];
        const SlotShift shift = shiftAtScale(slot, 1.0);
        w.shifts.push_back({static_cast<float>(shift.X), static_cast<float>(shift.Y), slot.Quality});
        w.ranking.push_back(model.FrameRanking[i].Frame);
        w.excluded.push_back(model.FrameTable[i].Excluded);
    }
    w.featureX = pipeline.state().FeatureX;
    w.featureY = pipeline.state().FeatureY;
    w.points = pipeline.alignPoints().Alignpoints;
    w.usedframes = model.usedframes;
    w.progstatus = pipeline.state().progstatus;
    return w;
}

void PrintTo(const Work& w, std::ostream* out) {
    *out << "feature " << w.featureX << "," << w.featureY << " points " << w.points << " usedframes "
         << w.usedframes << " progstatus " << static_cast<int>(w.progstatus) << " ranking";
    for (const int frame : w.ranking) *out << " " << frame;
    *out << " excluded";
    for (std::size_t i = 0; i < w.excluded.size(); ++i)
        if (w.excluded[i]) *out << " " << i;
    *out << " shifts";
    for (const auto& s : w.shifts) *out << " " << s[0] << "/" << s[1] << "/" << s[2];
}

// Frame i of the recording as a grey 24-bit picture.
Bitmap24 framePicture(const synth::Recording& recording, int i) {
    const GreyImage frame = frameImage(recording, i);
    Bitmap24 picture(frame.width, frame.height);
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x)
            std::fill_n(picture.pixel(x, y), 3,
                        static_cast<std::uint8_t>(std::lround(std::clamp(frame.at(x, y), 0.0, 1.0) * 255)));
    return picture;
}

// The project made the project of a series of stills: the recording's frames written as BMP
// (or PNG) pictures "f100.bmp", "f101.bmp", … in `folder`.
void asStillSeries(ProjectData& project, const synth::Recording& recording, const fs::path& folder,
                   bool png = false) {
    project.InputType = png ? TInputType::itPNG : TInputType::itBMP;
    project.SerName.clear();
    project.frameNames.clear();
    for (int i = 0; i < project.sequencelength; ++i) {
        const std::string name = "f" + std::to_string(100 + i) + (png ? ".png" : ".bmp");
        if (png)
            SavePNG8Image(folder / name, framePicture(recording, i), "");
        else
            writeBmp24(folder / name, framePicture(recording, i));
        project.frameNames.push_back(name);
    }
}

std::vector<float> stackPlane(const Pipeline& pipeline) {
    const T2dArrays& plane = pipeline.images().StackPlanes[1];
    return {plane.data(), plane.data() + plane.cellCount()};
}

QImage stackPicture(TMainForm& form) {
    return control<QLabel>(form, "Stackimage")->pixmap().toImage();
}

// A recording stacked by a batch run whose window stays open (on one box, or on the alignment
// points given), saved as a project on the Align page with one stored control value changed.
struct StackedProject {
    TempDir dir;
    fs::path project = dir.path() / "night.ksp";
    std::unique_ptr<BatchRun> run;
    int frames = 0;
    long double qualityFilter = 0;

    explicit StackedProject(const std::vector<AlignPoint>& points = {},
                            const synth::SynthOptions& recorded = batchRecordingOptions()) {
        const synth::Recording recording = synth::planRecording(recorded);
        const fs::path video = dir.path() / "night.avi";
        writeGreyAvi(recording, video);
        std::vector<std::string> arguments{video.string(), "-NF30", "-ASpng"};
        if (!points.empty()) {
            writeAlignPointFile(dir.path() / "night.kap", 0, points);
            arguments.push_back("-MA" + (dir.path() / "night.kap").string());
        }
        run = runHeadless(arguments);
        frames = pieces(*run->form).alignPage->lastFrameIndex() + 1;
        TRxSpinEdit& filter = *control<TRxSpinEdit>(*run->form, "QualityFilter");
        qualityFilter = filter.Value() + 1;
        filter.setValue(qualityFilter);
        pieces(*run->form).PageControl1->setCurrentIndex(0);
        // One frame left out by hand: the exclusion travels with the project.
        editRun(run->context.pipeline).model.FrameTable[3].Excluded = true;
        // The warning before a save or a load has a test of its own.
        control<TPCheck>(*run->form, "Projectmessages")->setChecked(false);
    }

    // Scripted file dialogs and messages take the place of the run's own.
    ScriptedFileDialogs& scriptDialogs() {
        auto scripted = std::make_unique<ScriptedFileDialogs>();
        ScriptedFileDialogs& dialogs = *scripted;
        run->context.setDialogs(std::move(scripted));
        return dialogs;
    }
    ScriptedPresenter& scriptMessages() {
        auto presenter = std::make_unique<ScriptedPresenter>();
        ScriptedPresenter& messages = *presenter;
        run->context.messages().setPresenter(std::move(presenter));
        return messages;
    }
};

// Three points whose small boxes cannot carry the alignment alone: the frames are aligned once on
// a box around them all, and each point's optimizer starts from that.
const std::vector<AlignPoint> ThreePoints{{40, 40, 32}, {120, 40, 32}, {80, 80, 64}};

// The processed picture, smaller than its box, sits in the middle of it.
void expectProcessedPictureCentred(TMainForm& form) {
    pieces(form).PageControl1->setCurrentIndex(static_cast<int>(TMainTab::tabWavelet));
    const QWidget& viewport = *control<QScrollArea>(form, "Scrollbox3")->viewport();
    const QRect picture = control<QLabel>(form, "ProcessImage")->geometry();
    ASSERT_LT(picture.width(), viewport.width());
    EXPECT_EQ(picture.topLeft(), QPoint(viewport.width() / 2 - picture.width() / 2,
                                        viewport.height() / 2 - picture.height() / 2));
}

// The points' list: each line's tick.
std::vector<bool> pointTicks(TMainForm& form) {
    const QListWidget& list = *control<CheckListBox>(form, "Alignmentpointlist");
    std::vector<bool> ticks;
    for (int i = 0; i < list.count(); ++i) ticks.push_back(list.item(i)->checkState() == Qt::Checked);
    return ticks;
}

// Stacked on one box, on three alignment points, and on one box optimized and stacked with
// resampling (the shifts in pixels of the enlarged frames), saved and loaded at a fresh start:
// the same stage, alignment method, frame limit and stack, pixel for pixel. Loaded again in the
// window it was made in, the stack given up unsaved: the same stack once more, the points to be
// measured afresh, and the processed picture in the middle of its box.
TEST(ProjectWindow, AStackedProjectLoadedAtStartUpReachesTheSameStageAndStack) {
    enum class Made { OneBox, Points, Resampled };
    for (const Made how : {Made::OneBox, Made::Points, Made::Resampled}) {
        const bool points = how == Made::Points;
        SCOPED_TRACE(points ? "three points" : how == Made::OneBox ? "one box" : "resampled");
        StackedProject saved(points ? ThreePoints : std::vector<AlignPoint>{});
        const Pipeline& made = saved.run->context.pipeline;
        if (how == Made::Resampled) {
            control<TPCheck>(*saved.run->form, "Resampled")->setChecked(true);
            pieces(*saved.run->form).stack->ResampledClick();
            pieces(*saved.run->form).optimize->AlignStackButtonClick();
            ASSERT_EQ(made.model().FrameTable[made.model().FrameRanking[0].Frame].Slots[0].ShiftScale, 2.0f);
            pieces(*saved.run->form).PageControl1->setCurrentIndex(0);
        }
        // The points' project is saved on "Optimize", which lowers the stack slider by one.
        const int savedOn = static_cast<int>(points ? TMainTab::tabOptimize : TMainTab::tabAlign);
        pieces(*saved.run->form).shell->selectTab(savedOn);
        // Stack options the window does not keep from run to run travel with the project.
        if (how == Made::OneBox) {
            saved.run->form->resize(saved.run->form->minimumSizeHint());
            saved.run->form->move(10, 20);
            control<TPCheck>(*saved.run->form, "Histostretch")->setChecked(true);
            control<TRxSpinEdit>(*saved.run->form, "FFTFilterspin")->setValue(23.5);
            control<TRxSlider>(*saved.run->form, "RedSlider")->setValue(20);
            control<TRxSpinEdit>(*saved.run->form, "Stackfilter22")->setValue(4);
            QTest::mouseClick(control<TPCheck>(*saved.run->form, "Stackfilterset"), Qt::LeftButton);
        }
        ASSERT_EQ(made.state().progstatus, TProgStatus::psStacked);
        ASSERT_EQ(made.alignPoints().Alignpoints, points ? 3 : 1);
        ASSERT_TRUE(pieces(*saved.run->form).project->saveProject(saved.project, ProjectForm::Full));
        const auto savedTime = fs::last_write_time(saved.project);

        // What the Stack button makes of the saved work is what the replay must make again.
        pieces(*saved.run->form).stack->StackButtonClick();
        const std::vector<float> stacked = stackPlane(made);
        auto loaded = runHeadless({saved.project.string()});
        TMainForm& form = *loaded->form;
        const Pipeline& pipeline = loaded->context.pipeline;
        EXPECT_EQ(workOf(pipeline, saved.frames), workOf(made, saved.frames));
        EXPECT_TRUE(pipeline.model().FramesRanked) << "the stack follows the saved ranking";
        EXPECT_EQ(control<TRxSpinEdit>(form, "QualityFilter")->Value(), saved.qualityFilter)
            << "stored control value";
        EXPECT_EQ(control<TRadioGroup>(form, "Alignmethod")->ItemIndex(),
                  points ? AlignMethodMultipoint : AlignMethodSingle);
        EXPECT_EQ(pieces(form).stackPage->multiPoint(), points);
        EXPECT_EQ(pipeline.frameLimit(), made.frameLimit());
        EXPECT_EQ(pipeline.rankLimit(), made.rankLimit());
        EXPECT_EQ(pipeline.stackCount().value, made.stackCount().value);
        EXPECT_TRUE(pipeline.stack().exists());
        EXPECT_EQ(pipeline.stack().result.StackListCount, made.stack().result.StackListCount);
        EXPECT_EQ(stackPlane(pipeline), stacked) << "stacked again alike";
        if (how == Made::OneBox) {
            EXPECT_EQ(stackPicture(form), stackPicture(*saved.run->form));
            EXPECT_EQ(control<TRxSpinEdit>(form, "FFTFilterspin")->Value(), 23.5);
            EXPECT_EQ(control<TRxSlider>(form, "RedSlider")->Value(), 20) << "the colour balance too";
            EXPECT_EQ(form.frameGeometry().topLeft(), QPoint(10, 20)) << "the window's place travels too";
        }
        EXPECT_EQ(pipeline.stack().result.PointStackDepth, made.stack().result.PointStackDepth);
        if (points) {
            // Every point listed, ticked for the stack; each point's graph drawn, its quality
            // cut-off one short of the end as the points' pass leaves it, and the point's cut
            // taken from there.
            EXPECT_EQ(pointTicks(form), std::vector<bool>(3, true));
            const auto cuts = pipeline.points().PointQualityCut;
            const TRxSlider& quality = *control<TRxSlider>(form, "QUALSliderMalign");
            for (std::size_t p = 1; p <= 3; ++p) {
                control<TRxSpinEdit>(form, "Alignmentpointstackgraph")->setValue(static_cast<long double>(p));
                EXPECT_EQ(quality.Value(), quality.MaxValue() - 1) << p;
                EXPECT_EQ(pipeline.points().PointQualityCut[p], cuts[p]) << p;
            }
        }
        // The stack graph opens on the same stack count.
        for (TMainForm* shown : {&form, saved.run->form.get()}) {
            control<TPCheck>(*shown, "Showstackgraph")->setChecked(true);
            pieces(*shown).stack->ShowstackgraphClick();
        }
        EXPECT_EQ(pipeline.stackCount().value, made.stackCount().value);
        // Stacked: the stacked pages stay open, and the page it was saved on is shown.
        EXPECT_GE(pipeline.state().activepage, TMainTab::tabStack);
        EXPECT_EQ(pieces(form).PageControl1->currentIndex(), savedOn);
        EXPECT_FALSE(loaded->logged("Error")) << "a clean load reports nothing wrong";
        EXPECT_EQ(fs::last_write_time(saved.project), savedTime) << "loading leaves the file as it was";
        // The savers of the stack, the project and the resized picture propose the video's name;
        // the processed picture's saver proposes none.
        const WindowDialogs& saves = pieces(form).dialogs;
        for (const TFileDialog* save : {&saves.SaveDialog1, &saves.SaveDialog3, &saves.SaveDialog4})
            EXPECT_EQ(save->FileName, "night");
        EXPECT_EQ(saves.WaveletSave.FileName, "");
        if (how == Made::OneBox) {
            // The processing-info tag names the size of the 30-frame stack, as the project stored it.
            ASSERT_EQ(readProject(saved.project).project.stackslider, 30);
            QTest::mouseClick(control<TPCheck>(form, "Showstacksize"), Qt::LeftButton);
            const std::string tag = control<QPlainTextEdit>(form, "Memo3")->toPlainText().toStdString();
            EXPECT_TRUE(tag.starts_with("night_") && tag.ends_with("_ST30")) << tag;
        }

        TMainForm& making = *saved.run->form;
        control<QScrollArea>(making, "Scrollbox3")->setFixedSize(530, 430);
        making.show();
        pieces(making).PageControl1->setCurrentIndex(static_cast<int>(TMainTab::tabWavelet));
        EXPECT_EQ(made.alignPoints().WholeFrameStart, points);
        if (points) {
            // Point 2 left out of the stack by hand: the load stacks every point again.
            CheckListBox& list = *control<CheckListBox>(making, "Alignmentpointlist");
            list.setCurrentRow(1);
            QTest::keyClick(&list, Qt::Key_Space);
            ASSERT_FALSE(made.alignPoints().PointEnabled[2]);
        }
        // Loaded with "Show alignment sections" ticked, the stack shows the points' sections.
        control<TPCheck>(making, "Alignmentpoints")->setChecked(true);
        pieces(making).project->loadProject(saved.project);
        EXPECT_EQ(stackPlane(made), stacked);
        if (points) {
            EXPECT_EQ(pointTicks(making), std::vector<bool>(3, true));
            EXPECT_TRUE(pieces(making).tools.Alignmentpointswindow->isVisible());
            EXPECT_NE(stackPicture(making).convertToFormat(QImage::Format_RGB32),
                      bitmapView(made.wavelet().Stackimage).convertToFormat(QImage::Format_RGB32));
        }
        EXPECT_FALSE(made.alignPoints().WholeFrameStart);
        expectProcessedPictureCentred(making);
    }
}

// Frames wider than the processing area, stacked on one box and processed: loaded again in the
// window it was made in, the project processes the area it had, centred in the image, and makes
// the picture that a load at a fresh start makes.
TEST(ProjectWindow, AOneBoxProjectProcessesTheSameAreaLoadedInItsOwnWindowOrAtAFreshStart) {
    synth::SynthOptions frames = batchRecordingOptions();
    frames.width = 640;
    frames.height = 480;
    StackedProject saved({}, frames);
    const Pipeline& made = saved.run->context.pipeline;
    const ImageDataSection& area = made.images();
    ASSERT_EQ(area.ProcessAreaWidth, 512);
    ASSERT_EQ(area.ProcessAreaX, 64) << "centred in the image";
    ASSERT_TRUE(pieces(*saved.run->form).project->saveProject(saved.project, ProjectForm::Full));
    const auto fresh = runHeadless({saved.project.string()});
    const Pipeline& loaded = fresh->context.pipeline;
    ASSERT_EQ(loaded.state().progstatus, TProgStatus::psStacked);

    pieces(*saved.run->form).project->loadProject(saved.project);
    EXPECT_EQ(std::pair(area.ProcessAreaX, area.ProcessAreaY), std::pair(64, 0));
    EXPECT_EQ(std::pair(loaded.images().ProcessAreaX, loaded.images().ProcessAreaY), std::pair(64, 0));
    const Bitmap24& picture = made.wavelet().ProcessPicture;
    const Bitmap24& freshPicture = loaded.wavelet().ProcessPicture;
    ASSERT_EQ(picture.width(), freshPicture.width());
    ASSERT_EQ(picture.height(), freshPicture.height());
    EXPECT_TRUE(std::equal(picture.bits(), picture.bits() + picture.byteCount(), freshPicture.bits()))
        << "the same processed picture";
}

TEST(ProjectWindow, AProjectThatCannotBeTakenChangesNothing) {
    StackedProject saved;
    ProjectController& controller = *pieces(*saved.run->form).project;
    ASSERT_TRUE(controller.saveProject(saved.project, ProjectForm::Full));
    const ProjectData good = readProject(saved.project).project;
    ASSERT_NE(fileBytes(saved.project).find("sequencelength=" + std::to_string(saved.frames)),
              std::string::npos);
    const Pipeline& pipeline = saved.run->context.pipeline;
    const Work before = workOf(pipeline, saved.frames);
    const std::string video = pipeline.model().AviSegments[0].FileName;

    struct Case {
        const char* name;
        std::function<void(const fs::path&)> write;
        const char* message;
    };
    const Case cases[] = {
        {"missing video",
         [&](const fs::path& file) {
             ProjectData p = good;
             p.AviName = (saved.dir.path() / "gone.avi").string();
             writeProject(file, p);
         },
         "Error : Avifile "},
        {"more frames than the video",
         [&](const fs::path& file) {
             std::string text = fileBytes(saved.project);
             const std::string key = "sequencelength=" + std::to_string(saved.frames);
             text.replace(text.find(key), key.size(), "sequencelength=" + std::to_string(saved.frames + 5));
             std::ofstream(file, std::ios::binary) << text;
         },
         "frames; its input holds"},
        {"not a project", [](const fs::path& file) { std::ofstream(file) << "\x01\x02garbage[[["; }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = saved.dir.path() / "bad.ksp";
        c.write(file);
        const std::size_t logged = saved.run->log().size();
        controller.loadProject(file);
        ASSERT_GT(saved.run->log().size(), logged) << "the refusal is reported";
        EXPECT_NE(saved.run->log().back().text.find(c.message), std::string::npos)
            << saved.run->log().back().text;
        EXPECT_EQ(workOf(pipeline, saved.frames), before);
        EXPECT_EQ(pipeline.model().AviSegments[0].FileName, video);
    }
}

TEST(ProjectWindow, TheOlderFormRenamesTheVideoButNeverOverAnotherFile) {
    StackedProject saved;
    ScriptedFileDialogs& dialogs = saved.scriptDialogs();
    ScriptedPresenter& messages = saved.scriptMessages();
    ProjectController& controller = *pieces(*saved.run->form).project;
    const fs::path video = saved.run->context.pipeline.model().AviSegments[0].FileName;

    // Another file already holds the name: nothing is renamed and nothing written.
    const fs::path taken = saved.dir.path() / "taken.avi";
    std::ofstream(taken) << "another recording";
    dialogs.willChoose(saved.dir.path() / "taken.ksp");
    controller.ProjectSaveAsClick();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Avi does allready exist, no renaming !! ");
    EXPECT_TRUE(fs::exists(video));
    EXPECT_EQ(fileBytes(taken), "another recording");
    EXPECT_FALSE(fs::exists(saved.dir.path() / "taken.ksp"));

    // Otherwise the recording takes the project's name without a question.
    const fs::path renamed = saved.dir.path() / "moon.avi";
    messages.shown.clear();
    dialogs.willChoose(saved.dir.path() / "moon.ksp");
    controller.ProjectSaveAsClick();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(fs::exists(video));
    EXPECT_TRUE(fs::exists(saved.dir.path() / "moon.ksp"));
    ASSERT_TRUE(fs::exists(renamed));
    EXPECT_EQ(saved.run->context.pipeline.model().AviSegments[0].FileName, renamed.string());
    EXPECT_EQ(saved.run->form->windowTitle().toStdString(), "Kestrave processing AVI: " + renamed.string());
    const ProjectRead read = readProject(saved.dir.path() / "moon.ksp");
    EXPECT_EQ(read.project.form, ProjectForm::Older);
    EXPECT_EQ(fs::path(read.project.AviName).filename(), "moon.avi");
    // The work goes on with the renamed video.
    const int errors = saved.run->context.messages().errorsShown();
    pieces(*saved.run->form).stack->StackButtonClick();
    EXPECT_EQ(saved.run->context.messages().errorsShown(), errors);
}

// A copy of the saved project, changed by `change`, loaded at a fresh start.
std::unique_ptr<BatchRun> loadChanged(const StackedProject& saved, const std::string& name,
                                      const std::function<void(ProjectData&)>& change) {
    ProjectData project = readProject(saved.project).project;
    change(project);
    const fs::path file = saved.dir.path() / name;
    writeProject(file, project);
    return runHeadless({file.string()});
}

std::vector<std::string> listTexts(const QListWidget& list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list.count(); ++i)
        texts.push_back(list.item(i)->text().toStdString() +
                        (list.item(i)->checkState() == Qt::Checked ? "+" : "-"));
    return texts;
}

TEST(ProjectWindow, EachStageComesBackWithItsGraphWindowSliderAndStackList) {
    StackedProject saved;
    ASSERT_TRUE(pieces(*saved.run->form).project->saveProject(saved.project, ProjectForm::Full));
    const ProjectData stacked = readProject(saved.project).project;
    for (const int stage : {1, 2, 3, 4}) {
        SCOPED_TRACE(stage);
        // The graph box unticked in the stored values: from stage 2 on the replay ticks it.
        auto loaded = loadChanged(saved, "stage.ksp", [&](ProjectData& p) {
            p.progstatus = stage;
            std::erase_if(p.formLines,
                          [](const std::string& line) { return line.starts_with("ShowGraphbox_"); });
            p.formLines.push_back("ShowGraphbox_Checked=False");
        });
        TMainForm& form = *loaded->form;
        const bool graphTicked = control<TPCheck>(form, "ShowGraphbox")->Checked();
        EXPECT_EQ(graphTicked, stage >= 2);
        // Shown with its box, until a stack made again hides it.
        EXPECT_EQ(pieces(form).tools.Registrationgraphwindow->isVisible(), stage == 2 || stage == 3);
        EXPECT_FALSE(pieces(form).tools.SelectFrameswindow->isVisible());
        EXPECT_EQ(pieces(form).tools.FFTWindow->isVisible(), control<TPCheck>(form, "ShowFFTbox")->Checked());
        EXPECT_EQ(loaded->context.pipeline.state().activepage >= TMainTab::tabStack, stage >= 3);
        if (stage < 4) continue;
        // The stack list holds the first ranks as the frame list shows them; the frame slider
        // stands where the stack slider does.
        EXPECT_EQ(control<TRxSlider>(form, "PreviewSlider")->Value(), stacked.stackslider);
        const QListWidget& frames = *control<CheckListBox>(form, "SelectFramesChecklist");
        std::vector<std::string> expected;
        for (int j = 0; j < stacked.usedframes; ++j) {
            const QListWidgetItem* item = frames.item(stacked.ranking[static_cast<std::size_t>(j)]);
            expected.push_back(item->text().toStdString() + (item->checkState() == Qt::Checked ? "+" : "-"));
        }
        EXPECT_EQ(listTexts(*control<CheckListBox>(form, "StackFramesList")), expected);
        EXPECT_FALSE(pieces(form).tools.StackFrameswindow->isVisible());
    }

    // At stage 1 the graph is shown after the reference when the window's box is ticked.
    TMainForm& window = *saved.run->form;
    control<TPCheck>(window, "ShowGraphbox")->setChecked(true);
    pieces(window).tools.Registrationgraphwindow->hide();
    ProjectData referenced = stacked;
    referenced.progstatus = 1;
    writeProject(saved.dir.path() / "stage.ksp", referenced);
    pieces(window).project->loadProject(saved.dir.path() / "stage.ksp");
    EXPECT_TRUE(pieces(window).tools.Registrationgraphwindow->isVisible());
}

// A project saved at `stage` - 1 and at `stage`, loaded again: the page's passes `names` are open
// only for the one that reached `stage`.
void expectPassesOpenFromStage(const std::string& file, int stage, std::initializer_list<const char*> names) {
    StackedProject saved;
    ASSERT_TRUE(pieces(*saved.run->form).project->saveProject(saved.project, ProjectForm::Full));
    for (const int stored : {stage - 1, stage}) {
        SCOPED_TRACE(stored);
        auto loaded = loadChanged(saved, file, [&](ProjectData& p) { p.progstatus = stored; });
        for (const char* name : names)
            EXPECT_EQ(control<TRxSpeedButton>(*loaded->form, name)->isEnabled(), stored == stage) << name;
    }
}

// A project that reached the optimizer opens its passes again; an aligned one leaves them grey.
TEST(ProjectWindow, AnOptimizedProjectOpensTheOptimizersPasses) {
    expectPassesOpenFromStage("stage.ksp", 3, {"Optimizebutton", "Optimizeandstackbutton"});
}

// A project that reached the stack opens the Stack page's passes again; an optimized one leaves
// them grey, as the new input left them.
TEST(ProjectWindow, AStackedProjectOpensTheStackPagesPasses) {
    expectPassesOpenFromStage("stacked.ksp", 4, {"Stackbutton", "Statisticalstackbutton"});
}

// The frame slider shows the project's reference frame and the alignment's steps are open; from
// the picked feature on, the hint to pick one is gone.
TEST(ProjectWindow, TheReferenceFrameIsShownWithTheAlignmentsStepsOpen) {
    StackedProject saved;
    ASSERT_TRUE(pieces(*saved.run->form).project->saveProject(saved.project, ProjectForm::Full));
    for (const int stage : {0, 1, 2, 3}) {
        SCOPED_TRACE(stage);
        auto loaded = loadChanged(saved, "reference.ksp", [&](ProjectData& p) {
            p.progstatus = stage;
            p.refframe = 3;
        });
        AlignPage& align = *pieces(*loaded->form).alignPage;
        EXPECT_EQ(control<TRxSlider>(align, "PreviewSlider")->Value(), 3);
        EXPECT_TRUE(control<QAbstractButton>(align, "Alignbutton")->isEnabled());
        EXPECT_TRUE(control<QAbstractButton>(align, "Setlimitbutton")->isEnabled());
        EXPECT_EQ(control<QWidget>(align, "Frontpanel")->isHidden(), stage >= 1);
    }
}

// The stored page is shown when it is one of the first four; a project saved on "Final" shows
// the page its replay ended on (the stack made again, on "Stack"), with every page open.
TEST(ProjectWindow, TheStoredPageIsShownUpToWaveletAndFinalLeavesTheReplaysPage) {
    StackedProject saved;
    ASSERT_TRUE(pieces(*saved.run->form).project->saveProject(saved.project, ProjectForm::Full));
    for (const auto& [stored, shown] : {std::pair{1, 0}, std::pair{4, 3}, std::pair{5, 2}}) {
        SCOPED_TRACE(stored);
        auto loaded = loadChanged(saved, "page.ksp", [&](ProjectData& p) { p.activepage = stored; });
        EXPECT_EQ(pieces(*loaded->form).PageControl1->currentIndex(), shown);
        EXPECT_GE(static_cast<int>(loaded->context.pipeline.state().activepage), std::max(stored, 2));
    }
}

TEST(ProjectWindow, SecondFieldDataIsTakenOnlyWhileInterlacedIsTicked) {
    StackedProject saved;
    ASSERT_FALSE(control<TPCheck>(*saved.run->form, "interlaced")->Checked());
    ASSERT_TRUE(pieces(*saved.run->form).project->saveProject(saved.project, ProjectForm::Full));
    EXPECT_FALSE(readProject(saved.project).project.interlaced) << "nor written while it is not";
    for (const bool ticked : {false, true}) {
        SCOPED_TRACE(ticked);
        auto loaded = loadChanged(saved, "fields.ksp", [&](ProjectData& p) {
            p.interlaced.emplace(p.excluded.size(), ProjectSlot{7, -5, 2.5f, 9.5f});
            std::erase_if(p.formLines,
                          [](const std::string& line) { return line.starts_with("interlaced_"); });
            p.formLines.push_back(ticked ? "interlaced_Checked=True" : "interlaced_Checked=False");
        });
        for (int i = 0; i < saved.frames; ++i) {
            const TAlignSlotRec& field = loaded->context.pipeline.model().FrameTable[i].Slots[2];
            EXPECT_EQ(field.X, ticked ? 7 : 0) << i;
            EXPECT_EQ(field.Y, ticked ? -5 : 0) << i;
            EXPECT_EQ(field.Quality, ticked ? 9.5f : 0.0f) << i;
        }
    }
}

TEST(ProjectWindow, SavingAsksBeforeReplacingAndReportsAFileItCannotWrite) {
    StackedProject saved;
    ScriptedPresenter& messages = saved.scriptMessages();
    ScriptedFileDialogs& dialogs = saved.scriptDialogs();
    ProjectController& controller = *pieces(*saved.run->form).project;

    std::ofstream(saved.project) << "an earlier project";
    dialogs.willChoose(saved.project);
    messages.reply(mrNo);
    controller.SaveProjectClick();
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().text, " Overwrite existing projectfile ?");
    EXPECT_EQ(fileBytes(saved.project), "an earlier project") << "No keeps the file";
    dialogs.willChoose(saved.project);
    messages.reply(mrYes);
    controller.SaveProjectClick();
    EXPECT_EQ(readProject(saved.project).project.progstatus, 4) << "Yes replaces it";

    // A folder that does not exist: reported, nothing written.
    const fs::path nowhere = saved.dir.path() / "gone" / "night.ksp";
    dialogs.willChoose(nowhere);
    controller.SaveProjectClick();
    EXPECT_EQ(messages.shown.back().caption, "Save error");
    EXPECT_FALSE(fs::exists(nowhere));
}

TEST(ProjectWindow, ASerProjectAndAStillSeriesProjectComeBackWithTheirInput) {
    // A SER recording, stacked and saved: loaded again, the same file, stage and stack.
    TempDir dir;
    const fs::path ser = writeSampleRecording(dir.path(), batchRecordingOptions(), "night.ser").path;
    auto run = runHeadless({ser.string(), "-NF30", "-ASpng"});
    const fs::path project = dir.path() / "night.ksp";
    ASSERT_TRUE(pieces(*run->form).project->saveProject(project, ProjectForm::Full));
    auto loaded = runHeadless({project.string()});
    const Pipeline& pipeline = loaded->context.pipeline;
    EXPECT_TRUE(pipeline.model().InputIsSER);
    EXPECT_EQ(fs::path(pipeline.model().SerName), ser);
    EXPECT_EQ(pipeline.state().progstatus, TProgStatus::psStacked);
    EXPECT_EQ(stackPlane(pipeline), stackPlane(run->context.pipeline));

    // The same frames as a series of pictures, with the SER project's alignment: the list
    // names the files.
    const synth::Recording recording = synth::planRecording(batchRecordingOptions());
    ProjectData series = readProject(project).project;
    asStillSeries(series, recording, dir.path());
    const fs::path seriesFile = dir.path() / "series.ksp";
    writeProject(seriesFile, series);
    auto stills = runHeadless({seriesFile.string()});
    EXPECT_TRUE(stills->context.pipeline.model().InputIsSeries);
    const WindowDialogs& saves = pieces(*stills->form).dialogs;
    for (const TFileDialog* save : {&saves.SaveDialog1, &saves.SaveDialog3, &saves.SaveDialog4})
        EXPECT_EQ(save->FileName, "f100") << "the first frame's name";
    EXPECT_EQ(stills->context.pipeline.state().progstatus, TProgStatus::psStacked);
    const QListWidget& stackList = *control<CheckListBox>(*stills->form, "StackFramesList");
    ASSERT_EQ(stackList.count(), series.usedframes);
    EXPECT_EQ(stackList.item(0)->text().toStdString(),
              series.frameNames[static_cast<std::size_t>(series.ranking[0])]);
    EXPECT_FALSE(stills->logged("Error"));

    // A series of PNG pictures saved from the window: the caption names the input again.
    asStillSeries(series, recording, dir.path(), true);
    writeProject(seriesFile, series);
    auto pngs = runHeadless({seriesFile.string()});
    auto dialogs = std::make_unique<ScriptedFileDialogs>();
    dialogs->willChoose(dir.path() / "pngs.ksp");
    pngs->context.setDialogs(std::move(dialogs));
    pngs->form->setWindowTitle("");
    pieces(*pngs->form).project->SaveProjectClick();
    ASSERT_TRUE(fs::exists(dir.path() / "pngs.ksp"));
    const std::string caption = pngs->form->windowTitle().toStdString();
    EXPECT_TRUE(caption.starts_with("Kestrave processing PNGs: ") && caption.ends_with("f100.png"))
        << caption;
}

// The project's text without the window's rectangle, which the window's own size limits round.
std::string withoutWindowRect(const std::string& text) {
    std::string kept;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (!line.starts_with("NormPos")) kept += line + "\n";
    return kept;
}

// A project saved, loaded at a fresh start and saved again, twice; each save is compared with the
// one before it.
void expectSameFileAfterEachLoad(const fs::path& first, const fs::path& folder) {
    fs::path saved = first;
    for (const char* name : {"second.ksp", "third.ksp"}) {
        SCOPED_TRACE(name);
        auto loaded = runHeadless({saved.string()});
        const fs::path again = folder / name;
        ASSERT_TRUE(pieces(*loaded->form).project->saveProject(again, ProjectForm::Full));
        EXPECT_EQ(withoutWindowRect(fileBytes(again)), withoutWindowRect(fileBytes(saved)));
        saved = again;
    }
}

// Saved, loaded and saved again, a project is the same file from the first cycle on: the tool
// windows the replay opens (the registration graph) are not stored where the program put them, so
// the stored values are the same whether the stages ran in a batch, in the window or in a replay.
TEST(ProjectWindow, SaveLoadSaveGivesTheSameFileFromTheFirstCycle) {
    TempDir dir;
    const synth::Recording recording = synth::planRecording(batchRecordingOptions());
    const fs::path ser = dir.path() / "sky.ser";
    synth::writeSerRecording(recording, ser);
    writeAlignPointFile(dir.path() / "sky.kap", 0,
                        std::vector<AlignPoint>{{40, 40, 32}, {120, 40, 32}, {80, 80, 64}});
    for (const bool points : {false, true}) {
        SCOPED_TRACE(points ? "SER with points" : "SER with one box");
        std::vector<std::string> arguments{ser.string(), "-NF20", "-ASpng"};
        if (points) arguments.push_back("-MA" + (dir.path() / "sky.kap").string());
        auto run = runHeadless(arguments);
        ASSERT_EQ(run->context.pipeline.alignPoints().Alignpoints, points ? 3 : 1);
        // Saved on "Optimize", whose opening lowers the stack slider: the stack is kept all the same.
        if (points) pieces(*run->form).shell->selectTab(static_cast<int>(TMainTab::tabOptimize));
        const fs::path first = dir.path() / "first.ksp";
        ASSERT_TRUE(pieces(*run->form).project->saveProject(first, ProjectForm::Full));
        expectSameFileAfterEachLoad(first, dir.path());
        if (!points) fs::copy_file(first, dir.path() / "onebox.ksp");
    }

    // A still series: the recording's frames as pictures, with the one-box project's alignment.
    ProjectData series = readProject(dir.path() / "onebox.ksp").project;
    ASSERT_EQ(series.alignpoints(), 1);
    asStillSeries(series, recording, dir.path());
    const fs::path stills = dir.path() / "stills.ksp";
    writeProject(stills, series);
    auto run = runHeadless({stills.string()});
    ASSERT_TRUE(run->context.pipeline.model().InputIsSeries);
    const fs::path first = dir.path() / "first.ksp";
    ASSERT_TRUE(pieces(*run->form).project->saveProject(first, ProjectForm::Full));
    expectSameFileAfterEachLoad(first, dir.path());
}

constexpr char ProjectWarning[] =
    "Some of the projectfunction in V4 might not work as planned yet, please send in your comments";

TEST(ProjectWindow, TheProjectWarningComesFirstUntilTurnedOffAndNeverWaitsInABatch) {
    StackedProject saved;
    TMainForm& form = *saved.run->form;
    TPCheck& box = *control<TPCheck>(form, "Projectmessages");
    box.setChecked(true);
    ScriptedPresenter& messages = saved.scriptMessages();
    ScriptedFileDialogs& dialogs = saved.scriptDialogs();
    ProjectController& controller = *pieces(form).project;

    // Before a save, with its box left as it is: the box stays ticked and the save goes on.
    dialogs.willChoose(saved.project);
    controller.SaveProjectClick();
    ASSERT_EQ(messages.shown.size(), 1u);
    const Message& warning = messages.shown[0];
    EXPECT_EQ(warning.caption, "Warning");
    EXPECT_EQ(warning.text, ProjectWarning);
    EXPECT_EQ(warning.dlgType, mtWarning);
    EXPECT_EQ(warning.buttons, mbOK);
    EXPECT_TRUE(warning.showCheckBox);
    EXPECT_EQ(warning.checkBoxCaption.rfind("Do not show this message again", 0), 0u);
    EXPECT_TRUE(box.Checked());
    EXPECT_TRUE(fs::exists(saved.project));

    // Before the older form's save and before the load (their dialogs cancelled here); "Do not
    // show this message again" unticks the box.
    messages.shown.clear();
    controller.ProjectSaveAsClick();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, ProjectWarning);
    EXPECT_EQ(dialogs.shown, 2) << "the dialog opens after the warning";
    messages.shown.clear();
    messages.reply(mrOk, true);
    controller.LoadProjectClick();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, ProjectWarning);
    EXPECT_EQ(dialogs.shown, 3) << "the dialog opens after the warning";
    EXPECT_FALSE(box.Checked());

    // Unticked, nothing is said before a load or a save.
    messages.shown.clear();
    controller.LoadProjectClick();
    controller.ProjectSaveAsClick();
    for (const Message& shown : messages.shown) EXPECT_NE(shown.text, ProjectWarning);

    // A batch run never waits on it: it goes to the run's log.
    box.setChecked(true);
    messages.shown.clear();
    const std::size_t logged = saved.run->log().size();
    saved.run->context.pipeline.runUnattended([&] { controller.LoadProjectClick(); });
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_GT(saved.run->log().size(), logged);
    EXPECT_EQ(saved.run->log()[logged].text, ProjectWarning);
}

// Every status text a progress port is given, as "panel:text".
class StatusLog : public NullProgress {
public:
    void setStatus(int panel, const std::string& text) override {
        texts.push_back(std::to_string(panel) + ":" + text);
    }
    std::vector<std::string> texts;
};

TEST(ProjectWindow, ALoadNamesItsPartsAndCutsAnOversizedFirstFrameWithAFrameSizeError) {
    StackedProject saved;
    ASSERT_TRUE(pieces(*saved.run->form).project->saveProject(saved.project, ProjectForm::Full));
    auto log = std::make_unique<StatusLog>();
    StatusLog& status = *log;
    saved.run->context.setProgress(std::move(log));
    pieces(*saved.run->form).project->loadProject(saved.project);
    const auto loading = std::find(status.texts.begin(), status.texts.end(), "2:Loading project");
    ASSERT_NE(loading, status.texts.end());
    EXPECT_EQ(std::vector<std::string>(loading, loading + 6),
              (std::vector<std::string>{"2:Loading project", "2: - excluded frames", "2: - X,Y shifts",
                                        "2: - Quality,Difference", "2:- frame ranking ", "2: "}));
    EXPECT_EQ(status.texts.back(), "2: ");

    // Two frames 4100 pixels wide: the frame size error, and the frames cut to 4096 pixels.
    ScriptedPresenter& messages = saved.scriptMessages();
    ProjectData wide;
    wide.InputType = TInputType::itBMP;
    wide.filedir = saved.dir.path().string();
    wide.sequencelength = 2;
    wide.usedframes = 2;
    wide.points = {{4090, 4, 32}};
    wide.excluded = {false, false};
    wide.ranking = {0, 1};
    for (const char* name : {"w0.bmp", "w1.bmp"}) {
        Bitmap24 picture(4100, 8);
        std::fill_n(picture.row(0), 3 * 4100, std::uint8_t{200});
        writeBmp24(saved.dir.path() / name, picture);
        wide.frameNames.push_back(name);
    }
    const fs::path file = saved.dir.path() / "wide.ksp";
    writeProject(file, wide);
    messages.reply(mrNo);  // the stacked work is given up unsaved
    pieces(*saved.run->form).project->loadProject(file);
    const auto sizeError = std::find_if(messages.shown.begin(), messages.shown.end(),
                                        [](const Message& m) { return m.caption == "Frame size error"; });
    ASSERT_NE(sizeError, messages.shown.end());
    EXPECT_EQ(sizeError->text, "AVI or BMP too large !!!!");
    EXPECT_EQ(sizeError->dlgType, mtError);
    EXPECT_EQ(sizeError->buttons, mbOK);
    EXPECT_EQ(std::count_if(messages.shown.begin(), messages.shown.end(),
                            [](const Message& m) { return m.text.find("too large") != std::string::npos; }),
              1);
    const FrameModel& model = saved.run->context.pipeline.model();
    EXPECT_TRUE(model.InputIsSeries);
    EXPECT_EQ(model.ImageWidth, MaxFrameSize);
    EXPECT_EQ(model.FrameWidth, MaxFrameSize);
    EXPECT_EQ(model.FrameWidthRaw, 4100);
    EXPECT_EQ(model.ImageHeight, 8);
}

// A video of 12-bit samples: its caption says so after a project is saved and when its project is
// loaded.
TEST(ProjectWindow, AHighBitVideoIsNamedHiAviInTheCaption) {
    TempDir dir;
    AviTestFormat k3cc;
    k3cc.handler = "K3CC";
    k3cc.width = 64;
    k3cc.height = 48;
    k3cc.bitCount = 12;
    std::vector<std::vector<std::uint8_t>> frames;
    for (int f = 0; f < 4; ++f) {
        std::vector<std::uint8_t> frame(64 * 48 * 3 / 2);
        for (std::size_t k = 0; k < frame.size(); ++k)
            frame[k] = static_cast<std::uint8_t>((k * 7 + f * 13) % 251);
        frames.push_back(std::move(frame));
    }
    const fs::path video = dir.path() / "deep.avi";
    writeTestAvi(video, k3cc, frames);
    const std::string caption = "Kestrave processing HI-AVI: " + video.string();

    auto run = runHeadless({});
    TMainForm& form = *run->form;
    control<TPCheck>(form, "Projectmessages")->setChecked(false);
    pieces(form).input->openInputFile(video.string(), InputFilter::AVI);
    // Taken, once its files are counted, it is named a plain video.
    EXPECT_EQ(form.windowTitle().toStdString(), "Kestrave processing AVI: " + video.string());

    auto scripted = std::make_unique<ScriptedFileDialogs>();
    ScriptedFileDialogs& dialogs = *scripted;
    run->context.setDialogs(std::move(scripted));
    editRun(run->context.pipeline).state.progstatus = TProgStatus::psAligned;
    form.setWindowTitle("elsewhere");
    const fs::path project = dir.path() / "deep.ksp";
    dialogs.willChoose(project);
    pieces(form).project->SaveProjectClick();
    ASSERT_TRUE(fs::exists(project));
    EXPECT_EQ(form.windowTitle().toStdString(), caption);

    auto loaded = runHeadless({project.string()});
    EXPECT_EQ(loaded->form->windowTitle().toStdString(), caption);
}

}  // namespace

}  // namespace kestrave::test
