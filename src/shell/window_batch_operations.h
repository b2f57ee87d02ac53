#pragma once
// The batch runner's steps on the main window: each runs the handler a button would run, with
// the controls set as the batch options say, and tells from the program's state afterwards (and
// from any error the handler reported) whether the step succeeded.

#include "shell/batch_runner.h"

class QWidget;

namespace kestrave {

class AlignController;
class AlignPage;
class ApplicationContext;
class InputController;
class OptimizeController;
class OptimizePage;
class SaveController;
class ShellController;
class WaveletController;
struct PointWindows;
struct WindowDialogs;

// What a batch run drives: the main window, the controls it sets as the batch options say, the
// dialogs it presets, and the handlers the buttons would run.
struct WindowBatchParts {
    ApplicationContext& app;
    QWidget& window;
    AlignPage& align;
    OptimizePage& optimize;
    PointWindows& points;
    WindowDialogs& dialogs;
    InputController& input;
    AlignController& alignHandlers;
    OptimizeController& optimizeHandlers;
    ShellController& shell;
    WaveletController& wavelet;
    SaveController& save;
};

class WindowBatchOperations : public BatchOperations {
public:
    explicit WindowBatchOperations(const WindowBatchParts& parts);

    bool SelectFileButtonClick(const std::string& file) override;
    BatchInput input() override;
    void setFeature(int x, int y) override;
    bool RecalcFFTbuttonClick() override;
    bool AlignallButtonClick() override;
    void setSeams(int width) override;
    bool alignPoints(const std::filesystem::path& pointsFile) override;
    void setPreviewSlider(int position) override;
    bool SetLimitClick() override;
    void setRefframes(int frames) override;
    bool MakerefClick(const std::function<bool()>& atContinue) override;
    bool applyScheme(const std::filesystem::path& scheme) override;
    void ContinuebuttonClick() override;
    bool AlignStackButtonClick() override;
    int saveFilterIndex() override;
    std::vector<std::filesystem::path> inputFiles() override;
    bool SaveBMP2buttonClick(const std::filesystem::path& fileName, int filterIndex) override;

private:
    // Runs a handler; false when it reported an error or the run was cancelled meanwhile.
    template <typename Handler>
    bool run(Handler&& handler);

    WindowBatchParts parts_;
    ApplicationContext& app_;
};

}  // namespace kestrave
