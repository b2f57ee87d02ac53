#include "shell/pass_status.h"

#include <QProgressBar>

#include "platform/progress_port.h"

namespace kestrave {

namespace {

// Panel 2 shows the frame a pass works on, panel 4 the pass's own progress texts; panel 3 what
// the pass does ("Optimizing 90 frames") until a finished pass puts its result there.
constexpr int FramePanel = 2;
constexpr int RunningPanels[] = {FramePanel, 4};
constexpr int PassPanels[] = {FramePanel, 3, 4};

const char* outcomeWord(PassOutcome outcome) {
    switch (outcome) {
        case PassOutcome::Finished:
            return " finished";
        case PassOutcome::Cancelled:
            return " cancelled";
        case PassOutcome::Failed:
            break;
    }
    return " failed";
}

}  // namespace

void showPassEnd(QProgressBar& bar, ProgressPort& progress, int panel, const std::string& what,
                 PassOutcome outcome) {
    if (outcome == PassOutcome::Finished) {
        if (bar.maximum() <= bar.minimum()) bar.setRange(0, 1);
        bar.setValue(bar.maximum());
    } else {
        bar.reset();
        for (const int running : PassPanels)
            if (running != panel) progress.setStatus(running, "");
    }
    progress.setStatus(panel, what + outcomeWord(outcome));
}

void showPassStart(ProgressPort& progress, int panel) {
    progress.setStatus(panel, "");
}

void clearPassTexts(QProgressBar& bar, ProgressPort& progress) {
    bar.reset();
    for (const int panel : RunningPanels) progress.setStatus(panel, "");
}

}  // namespace kestrave
