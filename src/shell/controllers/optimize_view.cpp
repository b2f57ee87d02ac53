#include "shell/controllers/optimize_view.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <algorithm>
#include <cmath>

#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/optimizer_windows.h"
#include "shell/pages/registration_windows.h"
#include "shell/pages/stack_page.h"
#include "shell/shell_ports.h"
#include "shell/tool_windows.h"
#include "shell/window_entry_points.h"
#include "widgets/bitmap_view.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

constexpr int OptimizeTab = static_cast<int>(TMainTab::tabOptimize);
// The movements plot: a shift (X, Y) is drawn at (X + 100, Y + 100).
constexpr int MoveOrigin = 100;
constexpr int MoveSide = 2 * MoveOrigin + 1;

// The chart of a pass; the axes show only when a difference above 1 was measured.
void showPassChart(OptimizePage& page, const OptimizerChart& chart) {
    page.showOptimizerChart(chart.quality, chart.difference, chart.frameIncrement);
    page.showDifferenceAxis(chart.showDifferenceAxis, chart.differenceIncrement);
}

}  // namespace

OptimizeController::PassView::PassView(const OptimizeControllerParts& parts)
    : parts_(parts), pacer_(unattendedWindow(*parts.optimizePage.window(), [this] {
          return parts_.pipeline.state().BatchMode;
      })) {}

void OptimizeController::PassView::passStarted(const OptimizerChart& chart,
                                               const OptimizerReferenceView& reference) {
    OptimizePage& page = parts_.optimizePage;
    if (page.Optimizegraph->Checked()) showRegistrationGraph();
    parts_.tools.movements->setVisible(page.ShowMovementwindow->Checked());
    movePicture_ = QImage(MoveSide, MoveSide, QImage::Format_RGB32);
    movePicture_.fill(Qt::white);
    {
        QPainter painter(&movePicture_);
        painter.setPen(Qt::black);
        painter.drawRect(0, 0, MoveSide - 1, MoveSide - 1);
    }

    parts_.entries.selectTab(OptimizeTab);

    // The reference window at the top left of a white picture; each frame's compared box is shown
    // beside it. A resampled window is taken one pixel short and spread over one more.
    const int side = reference.side;
    const int shown = reference.resampled ? side + 1 : side;
    QImage window(shown, shown, QImage::Format_RGB32);
    window.fill(Qt::white);
    if (!reference.picture.empty()) {
        QPainter painter(&window);
        painter.drawImage(QRect(0, 0, shown, shown), bitmapView(reference.picture),
                          QRect(reference.featureX - side / 2, reference.featureY - side / 2, side, side));
    }
    alignPicture_.start(window, side, reference.resampled, reference.half);
    parts_.optimizerWindows.Showgraph2pointer->show();
    showPassChart(page, chart);
    charted_ = static_cast<int>(chart.quality.size());
    chartPositions_ = chart.positions;
    shown_ = 0;
    pacer_.restart();
    showPictures();
}

void OptimizeController::PassView::frameOptimized(int position, int frame, const TFrameRec& record,
                                                  const Bitmap24& currentBox) {
    ++shown_;
    const auto point = std::lower_bound(chartPositions_.begin(), chartPositions_.end(), position);
    if (point != chartPositions_.end() && *point == position)
        parts_.optimizePage.showOptimizedDifference(static_cast<int>(point - chartPositions_.begin()),
                                                    record.Slots[0].Difference);
    // The movements plot gathers every frame; the rest shows only the frame in hand.
    if (parts_.tools.movements->isVisible()) {
        const int x = record.Slots[0].X + MoveOrigin;
        const int y = record.Slots[0].Y + MoveOrigin;
        if (movePicture_.rect().contains(x, y)) movePicture_.setPixel(x, y, qRgb(255, 0, 0));
    }
    const bool paced = pacer_.unattended();
    if (paced && !pacer_.due()) return;
    const int chartWidth = parts_.frameWindows.registrationChartWidth();
    TRectShape& pointer = *parts_.optimizerWindows.Showgraph2pointer;
    pointer.move(static_cast<int>(
                     std::nearbyint(chartWidth * static_cast<double>(shown_) / std::max(charted_, 1) + 5.0)),
                 pointer.y());

    alignPicture_.showFrame(bitmapView(currentBox), frame);
    showPictures();
}

void OptimizeController::PassView::showRegistrationGraph() {
    parts_.registrationWindows.showRegistrationGraph(parts_.pipeline.model(), parts_.pipeline.rankLimit(),
                                                     parts_.pipeline.optimizer().RegistrationCaption);
}

// The registration graph shows the frames as the run starts from them.
void OptimizeController::PassView::alignmentRestored() {
    showRegistrationGraph();
}

void OptimizeController::PassView::passFinished(const OptimizerPassResult& result, double) {
    ++passesFinished_;
    OptimizePage& page = parts_.optimizePage;
    OptimizerWindows& windows = parts_.optimizerWindows;
    TRectShape& pointer = *windows.Showgraph2pointer;
    pointer.move(parts_.frameWindows.registrationChartWidth() + 5, pointer.y());
    if (page.Optimizegraph->Checked()) showRegistrationGraph();
    showPictures();
    windows.Xmove->setText(QStringLiteral("x sum:%1").arg(result.xSum));
    windows.Ymove->setText(QStringLiteral("y sum:%1").arg(result.ySum));
    parts_.stackPage.setPassButtonsEnabled(true);
}

void OptimizeController::PassView::captionChanged(const std::string& caption) {
    parts_.tools.RegiStration2->setWindowTitle(QString::fromStdString(caption));
}

void OptimizeController::PassView::showPictures() {
    parts_.optimizePage.showAlignPicture(QPixmap::fromImage(alignPicture_.picture()));
    parts_.optimizerWindows.Moveimage->setPixmap(QPixmap::fromImage(movePicture_));
}

}  // namespace kestrave
