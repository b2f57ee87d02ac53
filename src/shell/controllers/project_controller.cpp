// The project's own headers come before Qt's, whose "slots" keyword is a member name there.
#include "output/project_values.h"

#include "shell/area_stages.h"
#include "shell/controllers/project_controller.h"

#include <QDateTime>
#include <QFileInfo>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <algorithm>
#include <cmath>
#include <utility>

#include "pipeline/project_replay_steps.h"
#include "platform/scope_exit.h"
#include "shell/controllers/align_page_options.h"
#include "shell/long_operation.h"
#include "shell/message_routine.h"
#include "shell/pages/about_page.h"
#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/named_control.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/project_replay_ports.h"
#include "shell/shell_ports.h"
#include "shell/speed_bar.h"
#include "shell/tool_windows.h"
#include "shell/window_dialogs.h"
#include "shell/window_entry_points.h"
#include "stacking/stack_options.h"
#include "widgets/check_box.h"
#include "widgets/form_storage.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace fs = std::filesystem;

namespace {

constexpr char ProjectCaption[] = "Project";

// Options that decide the pixels of the stack, of the reference it is aligned on and of the
// processed picture, which the window does not keep from one run to the next: a project carries
// them beside the stored control values, so that a load gives the same pictures in any window.
// A reader that does not know them leaves its controls as they are.
constexpr const char* PictureDecidingProps[] = {
    "FFTFilterspin.Value",    "Rawdark.Checked",        "Expandstack.Checked",    "Histostretch.Checked",
    "IntensBalance.Checked",  "Drizzling.Checked",      "Drizzlefact.Value",      "Pixfrac.Value",
    "Statistical.Checked",    "sigmahi.Checked",        "Sigmalo.Checked",        "RejectMax.Checked",
    "Statisticspin.Value",    "Macorrect.Checked",      "FastStack.Checked",      "Layer1checkbox.Checked",
    "Layer2checkbox.Checked", "Layer3checkbox.Checked", "layer4checkbox.Checked", "layer5checkbox.Checked",
    "layer6checkbox.Checked", "Showred.Checked",        "Showgreen.Checked",      "Showblue.Checked",
    "RedSlider.Value",        "GreenSlider.Value",      "blueslider.Value",       "Gamma1spin.Value",
    "ActiveTonemap.Checked",  "Tonegraph.Checked",      "LogHist.Checked",        "RxSpinEdit10.Value",
    "RxSlider1.Value",        "RxSlider2.Value",        "RxSlider3.Value",        "RxSlider4.Value",
    "Stackfilter11.Value",    "Stackfilter12.Value",    "Stackfilter13.Value",    "Stackfilter21.Value",
    "Stackfilter22.Value",    "Stackfilter23.Value",    "Stackfilter31.Value",    "Stackfilter32.Value",
    "Stackfilter33.Value",    "Stackfilterset.Checked",
};

// The form storage works in the project's own section, with the options above added to its
// stored values, while it runs.
template <class Work>
void inFormSection(TFormStorage& storage, Work&& work) {
    const QString section = storage.IniSection();
    const QStringList stored = storage.StoredProps();
    storage.setIniSection(QString::fromLatin1(ProjectFormSection));
    QStringList carried = stored;
    for (const char* entry : PictureDecidingProps) carried << QString::fromLatin1(entry);
    storage.setStoredProps(carried);
    const ScopeExit back([&] {
        storage.setIniSection(section);
        storage.setStoredProps(stored);
    });
    work();
}

// The stored control values as "Key=Value" lines, taken in memory (never through a file in the
// frames' folder, which may be read-only).
std::vector<std::string> storedFormLines(TFormStorage& storage) {
    std::vector<std::string> lines;
    inFormSection(storage, [&] {
        TBigIniFile ini{fs::path()};
        storage.SaveFormPlacement(ini);
        ini.ReadSectionValues(ProjectFormSection, lines);
    });
    return lines;
}

void restoreFormLines(TFormStorage& storage, const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    inFormSection(storage, [&] {
        TBigIniFile ini{fs::path()};
        putFormLines(ini, lines);
        storage.RestoreFormPlacement(ini);
    });
}

int rounded(long double value) {
    return static_cast<int>(std::lrint(static_cast<double>(value)));
}

ProjectWavelet projectWavelet(const WaveletLayerValues& values) {
    return {values.layers, values.initial, values.step, values.scheme, values.contrast, values.brightness};
}

// The switches of the calibration frames and of interlacing, as the stack reads them.
StackOptions calibrationSwitches(const AlignPage& align) {
    StackOptions options;
    align.readGeneralOptions(options);
    return options;
}

// Runs a long stage of the replay as a batch run does: every question takes its unattended
// answer, so the window and a batch run reach the same result. The warnings and errors the stage
// gave are shown together afterwards.
template <class Stage>
void unattended(Pipeline& pipeline, MessageRoutine& messages, Stage&& stage) {
    const bool batch = pipeline.state().BatchMode;
    const std::size_t logged = messages.batchLog().size();
    pipeline.runUnattended(stage);
    if (batch) return;
    std::string report;
    const std::vector<Message>& log = messages.batchLog();
    for (std::size_t n = logged; n < log.size(); ++n) {
        if (log[n].dlgType != mtError && log[n].dlgType != mtWarning) continue;
        if (!report.empty()) report += "\n";
        report += log[n].caption + ": " + log[n].text;
    }
    if (!report.empty()) messages.warn(ProjectCaption, report);
}

// A frame list is told by its extension, whatever filter the dialog showed.
bool isFrameList(const fs::path& file, int filterIndex) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".kfl") return true;
    return extension != ProjectExtension && filterIndex == 2;
}

// The steps of a project's load as the window carries them out: its own controls restored and
// shown, the other areas' steps handed to their controllers.
class WindowReplaySteps final : public ProjectReplaySteps {
public:
    explicit WindowReplaySteps(const ProjectControllerParts& parts)
        : parts_(parts), pipeline_(parts.pipeline) {}

    // Once the input is there, the savers of the stack, the project and the resized picture
    // propose its name: the video's, or the first frame's, without the extension.
    bool takeInput(const InputPlan& plan) override {
        if (!parts_.replaySteps.takeInput(plan)) return false;
        parts_.dialogs.proposeFileName(fs::path(plan.files.front()).stem());
        return true;
    }
    void restoreControls(const ProjectData& project) override {
        restoreFormLines(parts_.formSettings, project.formLines);
        // An active stack filter takes its kernel from the weights restored, as its box's click does.
        TPCheck& stackFilter = *control<TPCheck>(parts_.stackPage, "Stackfilterset");
        if (stackFilter.Checked()) emit stackFilter.OnClick(&stackFilter);
    }
    void applyBoxSize() override { parts_.replaySteps.applyBoxSize(); }
    RestoredSwitches switches() override {
        const StackOptions options = calibrationSwitches(parts_.alignPage);
        return {options.interlaced, options.Usedarkframe, options.UseFlatfield, pipeline_.input().browseLast};
    }
    void showProject(const ProjectData& project) override {
        parts_.stackPage.restoreResampling(project.resampled, project.resamplevalue);
        // The list shows the project's choice; its handlers would recount it from the reader's marks.
        std::vector<bool> checked;
        for (int i = 0; i < parts_.frameWindows.frameListCount() && i < project.sequencelength; ++i)
            checked.push_back(!pipeline_.model().FrameTable[i].Excluded);
        parts_.frameWindows.showFrameChecks(checked);
        // Every point of the project, ticked: the stack takes them all.
        parts_.frameWindows.listPoints(pipeline_.alignPoints().Alignpoints);
        parts_.stages.showFrameAgain();
    }
    void loadDarkFrame(const std::string& file, int type) override {
        parts_.replaySteps.loadDarkFrame(file, type);
    }
    void loadFlatField(const std::string& file, int type) override {
        parts_.replaySteps.loadFlatField(file, type);
    }
    // Ticked, the box shows its windows, as a click on it does.
    void showRegistrationGraph() override { parts_.replaySteps.showRegistrationGraph(); }
    // The optimizer's passes are the Optimize page's controller's (`ProjectStep`).
    void enableOptimizePasses() override {}
    void selectTab(TMainTab tab) override { parts_.entries.selectTab(static_cast<int>(tab)); }
    void beforeReference() override { parts_.ports.shell.view.forgetBoxOutline(); }
    ReferenceOptions referenceOptions() override { return readReferenceOptions(parts_.alignPage, pipeline_); }
    // The alignment's tool windows are the Align page's controller's (`ProjectStep`).
    void afterReference() override {}
    // The Stack page's controller opens its passes (`ProjectStep`).
    void enableStackPasses() override {}
    void showStackControls(int /*stackSlider*/, int differenceCut, int stackListCount) override {
        parts_.frameWindows.setDifferenceCut(differenceCut);
        // StackFramesList: the first frames of the ranking, each as the frame list shows it.
        std::vector<int> frames;
        for (int j = 0; j < stackListCount; ++j) frames.push_back(pipeline_.model().FrameRanking[j].Frame);
        parts_.frameWindows.showStackFrames(frames);
    }
    int pointDifferenceSlider() override { return parts_.frameWindows.pointDifferenceCut(); }
    // Each runs the handler the window's button runs, so the window and a batch run reach the
    // same result.
    void stackAgain() override {
        unattended(pipeline_, parts_.ports.messages(), [&] { parts_.stages.stackFrames(); });
        parts_.tools.StackFrameswindow->hide();
        parts_.tools.Registrationgraphwindow->hide();
        // The new stack shows the points' sections when they are asked for.
        if (parts_.stackPage.showsPointZones()) {
            TPCheck& sections = *control<TPCheck>(parts_.stackPage, "Alignmentpoints");
            emit sections.OnClick(&sections);
        }
    }
    void processAgain() override {
        unattended(pipeline_, parts_.ports.messages(), [&] { parts_.stages.processStack(); });
    }

private:
    const ProjectControllerParts& parts_;
    Pipeline& pipeline_;
};

}  // namespace

ProjectController::ProjectController(const ProjectControllerParts& parts)
    : parts_(parts), pipeline_(parts.pipeline), ports_(parts.ports) {
    SpeedBar& bar = parts.speedBar;
    connect(bar.Projectsave, &QToolButton::clicked, this, &ProjectController::SaveProjectClick);
    connect(bar.ProjectSaveas, &QToolButton::clicked, this, &ProjectController::ProjectSaveAsClick);
    connect(bar.projectload, &QToolButton::clicked, this, &ProjectController::LoadProjectClick);
}

// --- Saving -------------------------------------------------------------------------------------

ProjectControls ProjectController::readControls() {
    ProjectControls c;
    c.lastFrame = pipeline_.input().browseLast;
    c.refframe = pipeline_.registration().refframe;
    const StackOptions switches = calibrationSwitches(parts_.alignPage);
    c.Usedarkframe = switches.Usedarkframe;
    c.UseFlatfield = switches.UseFlatfield;
    c.interlaced = switches.interlaced;
    const ResamplingOptions resampling = parts_.stackPage.resamplingOptions();
    c.Resampled = resampling.resampled;
    c.ResampleSpin = rounded(resampling.resampleSpin);
    // Pages 0..4 ("Align".."Final") are recorded as 1..5; "About" as none.
    const int page = parts_.pages.currentIndex();
    c.shownPage = page >= 0 && page < static_cast<int>(TMainTab::tabAbout) ? page + 1 : 0;
    c.StackSlider = pipeline_.stackCount().value;
    c.differencecutslider = parts_.frameWindows.differenceCut();
    c.StackSliderTag = pipeline_.frameLimit();
    c.wavelet = projectWavelet(parts_.waveletPage.layerValues());
    c.FFTSize = pipeline_.boxSide();
    c.formLines = storedFormLines(parts_.formSettings);
    return c;
}

bool ProjectController::saveProject(const fs::path& file, ProjectForm form) {
    try {
        pipeline_.saveProject(file, readControls(), form, ports_.progress());
    } catch (const FileError& error) {
        ports_.messages().error("Save error", error.what());
        return false;
    }
    return true;
}

void ProjectController::projectWarning() {
    AboutPage& about = parts_.aboutPage;
    if (!about.projectWarningWanted()) return;
    MessageRoutine& messages = ports_.messages();
    messages.warn(
        "Warning",
        "Some of the projectfunction in V4 might not work as planned yet, please send in your comments",
        "Do not show this message again");
    if (messages.DoNotRepeat()) about.stopProjectWarning();
}

void ProjectController::SaveProjectClick() {
    projectWarning();
    if (pipeline_.state().progstatus < TProgStatus::psAligned) {
        ports_.messages().error("Save error", "Project can only be saved after initial alignment");
        pipeline_.restoreInputCaption(ports_.progress());
        return;
    }
    TFileDialog& dialog = parts_.dialogs.SaveDialog3;
    dialog.InitialDir = pipeline_.folders().directory;
    if (ports_.dialogs().Execute(dialog)) {
        if (askOverwrite(ports_.messages(), dialog.FileName, " Overwrite existing projectfile ?") != mrYes)
            return;
        saveProject(dialog.FileName, ProjectForm::Full);
    }
    pipeline_.restoreInputCaption(ports_.progress());
}

// The older form: the video is renamed after the project, in its own folder, and never over
// another file; an earlier project is left as it is.
void ProjectController::ProjectSaveAsClick() {
    projectWarning();
    const FrameModel& model = pipeline_.model();
    if (model.InputType != TInputType::itAVI || model.AviSegments[0].FileName.empty()) {
        ports_.messages().inform("Save project as", "Only allowed for AVI-projects");
        return;
    }
    const fs::path video = model.AviSegments[0].FileName;
    TFileDialog& dialog = parts_.dialogs.SaveDialog3;
    dialog.InitialDir = pipeline_.folders().directory;
    const QDateTime modified = QFileInfo(QString::fromStdString(video.string())).lastModified();
    dialog.FileName =
        (QStringLiteral("_") + modified.toString(QStringLiteral("yyyyMMdd_hhmmss"))).toStdString();
    if (!ports_.dialogs().Execute(dialog)) return;
    if (askOverwrite(ports_.messages(), dialog.FileName, " Overwrite existing projectfile ?") != mrYes)
        return;

    const fs::path renamed = videoNamedAfterProject(video, dialog.FileName);
    if (renamed != video) {
        const auto refuse = [this] {
            ports_.messages().ask(mtWarning, "File exists", "Avi does allready exist, no renaming !! ", mbYes,
                                  mrYes);
        };
        if (fs::exists(renamed)) return refuse();
        try {
            pipeline_.renameVideo(video, renamed);
        } catch (const FileError&) {
            return refuse();
        }
    }
    saveProject(dialog.FileName, ProjectForm::Older);
    // The window's title names the recording as it is now called.
    pipeline_.restoreInputCaption(ports_.progress());
}

// --- Loading ------------------------------------------------------------------------------------

void ProjectController::LoadProjectClick() {
    const bool commandLine = std::exchange(startedFromCommandLine, false);
    projectWarning();
    TFileDialog& dialog = parts_.dialogs.OpenDialog2;
    if (!commandLine) {
        dialog.InitialDir = pipeline_.folders().directory;
        if (!ports_.dialogs().Execute(dialog)) return;
    }
    if (isFrameList(dialog.FileName, dialog.FilterIndex)) {
        parts_.replaySteps.takeFrameList(dialog.FileName);
        return;
    }
    loadProject(dialog.FileName);
}

void ProjectController::loadProject(const fs::path& file) {
    const LongOperation operation(ports_.operations);
    if (!operation) return;
    WindowReplaySteps steps(parts_);
    const ProjectLoad load = pipeline_.loadProject(file, steps, ports_.messages(), ports_.progress());
    if (!load.loaded) return;
    if (load.shownTab) parts_.entries.selectTab(static_cast<int>(*load.shownTab));
    // "Optimize" narrows the stack slider to the points' cut-offs as the replay left them: the
    // slider keeps the position the project was saved with, so a save made there gives the same
    // file again.
    if (load.stackSlider) {
        const int position = *load.stackSlider;
        pipeline_.commitFrameLimit(
            {.countRange = std::max(pipeline_.stackCount().last, position), .stackCount = position});
    }
    ports_.progress().setStatus(2, " ");
    if (!load.problems.empty()) {
        std::string text;
        for (const std::string& problem : load.problems) text += (text.empty() ? "" : "\n") + problem;
        ports_.messages().warn(ProjectCaption, text);
    }
}

}  // namespace kestrave
