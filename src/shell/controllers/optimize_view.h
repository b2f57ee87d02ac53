#pragma once
// What the window shows while the optimizer passes run: the optimizer chart, the reference window
// beside the current frame's compared box (`AlignImage`), the frame being processed, the pass
// pointer on the registration chart, the movements plot and the registration caption.

#include <QImage>
#include <vector>

#include "registration/optimizer_options.h"
#include "shell/controllers/align_image.h"
#include "shell/controllers/optimize_controller.h"
#include "shell/redraw_pacer.h"

namespace kestrave {

class OptimizeController::PassView : public OptimizerObserver {
public:
    explicit PassView(const OptimizeControllerParts& parts);

    void passStarted(const OptimizerChart& chart, const OptimizerReferenceView& reference) override;
    void alignmentRestored() override;
    void frameOptimized(int position, int frame, const TFrameRec& record,
                        const Bitmap24& currentBox) override;
    void passFinished(const OptimizerPassResult& result, double DifferenceSum) override;
    void captionChanged(const std::string& caption) override;

    // A new optimizer run starts; the passes it has ended so far.
    void startRun() { passesFinished_ = 0; }
    int passesFinished() const { return passesFinished_; }

private:
    void showPictures();
    void showRegistrationGraph();

    const OptimizeControllerParts& parts_;
    AlignImagePicture alignPicture_;
    QImage movePicture_;
    int charted_ = 0;                  // frames of the chart of this pass
    std::vector<int> chartPositions_;  // the ranking position of each point of the chart
    int shown_ = 0;                    // frames optimized so far in this pass
    int passesFinished_ = 0;
    // A pass nobody watches is drawn a few times per second.
    RedrawPacer pacer_;
};

}  // namespace kestrave
