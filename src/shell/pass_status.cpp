#include "shell/pass_status.h"

#include <QProgressBar>

#include "platform/progress_port.h"

namespace kestrave {

namespace {

// Panel 2 shows the frame a pass works on, panel 4 the pass's own progress texts.
constexpr int FramePanel = 2;
constexpr int RunningPanels[] = {FramePanel, 4};

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
        if (panel != FramePanel) progress.setStatus(FramePanel, "");
    }
    progress.setStatus(panel, what + outcomeWord(outcome));
}

void clearPassTexts(QProgressBar& bar, ProgressPort& progress) {
    bar.reset();
    for (const int panel : RunningPanels) progress.setStatus(panel, "");
}

}  // namespace kestrave
