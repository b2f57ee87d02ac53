#pragma once
// Handlers of project files (".ksp"): the speed bar's Save (the full form), Save as (the older
// single-point form of a video input, the video renamed after the project) and Load, which takes
// the project's input again and replays its stages up to where the work was saved.

#include <QObject>
#include <cstdint>
#include <filesystem>

class QStackedWidget;

namespace kestrave {

class WindowEntryPoints;
class AboutPage;
class AreaStages;
class ProjectReplayPorts;
class AlignPage;
class Pipeline;
class ShellPorts;
class SpeedBar;
class StackPage;
class TFormStorage;
class WaveletPage;
struct FrameWindows;
struct ProjectControls;
struct ProjectData;
struct StackOptions;
struct ToolWindows;
enum class ProjectForm : std::uint8_t;
struct WindowDialogs;

// What a project holds of the window: the controls it records and restores on the pages and
// frame windows, the form storage of the stored control values, the project dialogs, the steps of
// other areas that its load takes again, and the other areas' handlers that the replay runs.
struct ProjectControllerParts {
    Pipeline& pipeline;
    ShellPorts& ports;
    SpeedBar& speedBar;
    QStackedWidget& pages;
    AlignPage& alignPage;
    StackPage& stackPage;
    WaveletPage& waveletPage;
    FrameWindows& frameWindows;
    // The replay shows and hides the tool windows as the stages it restores had them.
    ToolWindows& tools;
    TFormStorage& formSettings;
    WindowDialogs& dialogs;
    // The stacking and the processing a project's replay runs again.
    AreaStages& stages;
    WindowEntryPoints& entries;
    ProjectReplayPorts& replaySteps;
    // The option that warns before a project is saved or loaded.
    AboutPage& aboutPage;
};

class ProjectController : public QObject {
public:
    explicit ProjectController(const ProjectControllerParts& parts);

    void SaveProjectClick();
    void ProjectSaveAsClick();
    // A project (or, under the frame-list filter or with a ".kfl" name, a frame list) chosen in
    // OpenDialog2, or the one start-up put there.
    void LoadProjectClick();

    // Writes the current work as a project; false (reported) when it cannot be written.
    bool saveProject(const std::filesystem::path& file, ProjectForm form);
    // Loads a project. A file that is no project, an input that is missing or does not fit it
    // is reported and changes nothing.
    void loadProject(const std::filesystem::path& file);

    // Set by start-up: OpenDialog2 already names the file, the dialog is not shown.
    bool startedFromCommandLine = false;

private:
    ProjectControls readControls();
    // The warning before a save or a load, while the option asks for it.
    void projectWarning();

    ProjectControllerParts parts_;
    Pipeline& pipeline_;
    ShellPorts& ports_;
};

}  // namespace kestrave
