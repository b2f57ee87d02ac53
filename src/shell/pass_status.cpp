#include "shell/pass_status.h"

#include <QProgressBar>

#include "platform/progress_port.h"

namespace kestrave {

namespace {

// Panel 2 shows the frame a pass works on, panel 4 the pass's own progress texts; panel 3 what
// the pass does ("Optimizing 90 frames").
constexpr int FramePanel = 2;
constexpr int RunningPanels[] = {FramePanel, 4};
constexpr int PassPanels[] = {FramePanel, 3, 4};

}  // namespace

void showPassEnd(QProgressBar& bar, ProgressPort& progress, int panel, const std::string& what,
                 PassOutcome outcome) {
    bar.reset();
    if (outcome == PassOutcome::Finished) {
        progress.setStatus(panel, "");
        return;
    }
    for (const int running : PassPanels)
        if (running != panel) progress.setStatus(running, "");
    progress.setStatus(panel, what + (outcome == PassOutcome::Cancelled ? " cancelled" : " failed"));
}

void showPassStart(ProgressPort& progress, int panel) {
    progress.setStatus(panel, "");
}

void clearPassTexts(QProgressBar& bar, ProgressPort& progress) {
    bar.reset();
    for (const int panel : RunningPanels) progress.setStatus(panel, "");
}

}  // namespace kestrave
