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

int OptimizeController::PassView::windowSide() const {
    const int n = parts_.pipeline.fft().FFTSize;
    const ResamplingOptions resampling = parts_.stackPage.resamplingOptions();
    if (!resampling.resampled) return n;
    return static_cast<int>(std::nearbyint(n * std::clamp(resampling.resampleSpin, 1.0L, 4.0L)));
}

void OptimizeController::PassView::passStarted(const OptimizerChart& chart) {
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

    // The reference window; each frame's compared box is shown beside it.
    const int side = windowSide();
    const int n = parts_.pipeline.fft().FFTSize;
    reference_ = QImage(side + 1, side + 1, QImage::Format_RGB32);
    reference_.fill(Qt::white);
    const Bitmap24& reference = parts_.pipeline.registration().Image1;
    if (!reference.empty()) {
        QPainter painter(&reference_);
        painter.drawImage(QRect(0, 0, side + 1, side + 1), bitmapView(reference),
                          QRect(parts_.pipeline.state().FeatureX - n / 2,
                                parts_.pipeline.state().FeatureY - n / 2, n + 1, n + 1));
    }
    current_ = QImage();
    frame_ = -1;
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

    current_ = bitmapView(currentBox).copy();
    frame_ = frame;
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
    OptimizePage& page = parts_.optimizePage;
    QLabel& align = *page.AlignImage;
    align.setScaledContents(false);
    const QImage picture = comparePicture();
    align.setPixmap(QPixmap::fromImage(picture));
    align.resize(picture.size());
    parts_.optimizerWindows.Moveimage->setPixmap(QPixmap::fromImage(movePicture_));
}

QImage OptimizeController::PassView::comparePicture() const {
    const OptimizePage& page = parts_.optimizePage;
    const QFontMetrics text(page.AlignImage->font());
    constexpr int Gap = 10;
    const int captionHeight = 2 * text.height() + Gap;
    const QSize room = page.EventScrollBox2->viewport()->size();
    const int side = std::max(reference_.width(), 1);
    // Whole-number enlargements keep the pixels sharp; beyond eight they only show blocks.
    constexpr int LargestZoom = 8;
    const int zoom = std::clamp(
        std::min((room.width() - 3 * Gap) / (2 * side), (room.height() - 2 * Gap - captionHeight) / side), 1,
        LargestZoom);
    const int shown = side * zoom;
    QImage picture(2 * shown + 3 * Gap, shown + 2 * Gap + captionHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    const QRect left(Gap, Gap, shown, shown);
    const QRect right(2 * Gap + shown, Gap, shown, shown);
    painter.drawImage(left, reference_);
    if (!current_.isNull()) {
        const QSize box = current_.size() * zoom;
        painter.drawImage(
            QRect(right.left(), right.center().y() - box.height() / 2, box.width(), box.height()), current_);
    }
    painter.setPen(Qt::black);
    const int labels = left.bottom() + Gap / 2;
    painter.drawText(QRect(left.left(), labels, shown, text.height()), Qt::AlignHCenter, "Reference");
    painter.drawText(QRect(right.left(), labels, shown, text.height()), Qt::AlignHCenter, "Current");
    if (frame_ >= 0)
        painter.drawText(QRect(0, labels + text.height(), picture.width(), text.height()), Qt::AlignHCenter,
                         QStringLiteral("Processing %1").arg(frame_ + 1));
    return picture;
}

}  // namespace kestrave
