// What the Align page shows of the optimizer's work, heard from the pipeline, and the handler of
// its quality limit that places the frame slider.

#include <algorithm>

#include "pipeline/pipeline.h"
#include "shell/controllers/align_controller.h"
#include "shell/pages/align_page.h"
#include "shell/shell_ports.h"
#include "widgets/slider.h"

namespace kestrave {

void AlignController::showOptimizerProgress() {
    AlignPage& page = parts_.page;
    const OptimizerProgress& progress = pipeline_.optimizerProgress();
    switch (progress.step) {
        case OptimizerProgress::Step::PassStarted:
            // The spectrum is not drawn while the optimizer runs.
            page.hideAlignSlider();
            page.setFftWindowChosen(false);
            if (sliderFrame_ < 0)
                sliderFrame_ = pipeline_.model()
                                   .FrameRanking[std::clamp(page.AlignSlider->Value(), 0, MaxFrameIndex)]
                                   .Frame;
            break;
        case OptimizerProgress::Step::Frame:
            // The note names the frame the slider still stands on: the one taken before.
            page.showFrameNote(QStringLiteral("Processing frame %1 of %2")
                                   .arg(sliderFrame_ + 1)
                                   .arg(pipeline_.model().usedframes));
            sliderFrame_ = progress.frame;
            break;
        case OptimizerProgress::Step::Ended:
            // The note keeps the frame named last.
            sliderFrame_ = -1;
            break;
    }
}

void AlignController::showRealignValues() {
    const AutomaticFilterValues& values = pipeline_.realignValues();
    if (values.FFTFilter) {
        // An automatic value is not the user's: the spin's change handler must not take it so.
        const bool armed = pipeline_.registration().FFTFilterArmed;
        pipeline_.armFFTFilter(false);
        parts_.page.setFilterRadius(*values.FFTFilter);
        pipeline_.armFFTFilter(armed);
    }
    // The band's handlers would compute the reference again from the reference frame and
    // lose the processed picture: the spins only show the new band.
    parts_.page.showQualityBand(values.QualityFilter, values.QualFilterDX);
}

void AlignController::OptimizeQualitySpinChange() {
    // Inside a pass or the limit the value is written by the program, which places the slider
    // itself.
    AlignPage& page = parts_.page;
    if (ports_.operations.running() || !pipeline_.model().FramesRanked || !page.limitAllowed()) return;
    page.setPreviewPosition(pipeline_.qualityCutoffPosition(page.lastFrameIndex(), page.qualityLimit()));
}

}  // namespace kestrave
