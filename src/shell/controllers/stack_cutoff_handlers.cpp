// The Stack page's cut-offs: the global quality and difference cut-offs on the stack graph, each
// alignment point's own pair on its graph, the alignment sections over the stack, the stack-depth
// view and the small toggles of the stack graph and stack list windows.

#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <vector>

#include "registration/chart_text.h"
#include "shell/area_stages.h"
#include "shell/controllers/stack_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/registration_windows.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/shell_ports.h"
#include "shell/tool_windows.h"
#include "shell/window_entry_points.h"
#include "widgets/bitmap_view.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/rect_shape.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

// The stack graph window's height with one graph and with the alignment points' graph below it.
constexpr int SinglePointGraphHeight = 328;
constexpr int MultiPointGraphHeight = 609;
constexpr int PointMarkRadius = 5;  // the points on the frame at the quality cut-off
constexpr int DepthMarkRadius = 3;  // the points on the stack-depth view
const QColor Yellow(255, 255, 0);
const QColor Lime(0, 255, 0);

// Writes a spin edit without running its change handler.
void setQuietly(TRxSpinEdit& spin, double value) {
    const QSignalBlocker quiet(&spin);
    spin.setValue(value);
}

// A QImage painting straight into the bitmap's bytes.
QImage paintableView(Bitmap24& bitmap) {
    return QImage(bitmap.bits(), bitmap.width(), bitmap.height(), static_cast<qsizetype>(bitmap.stride()),
                  QImage::Format_BGR888);
}

}  // namespace

// --- The global cut-offs -------------------------------------------------------------------------

void StackController::StackSliderChange() {
    if (inSliderChange_) return;
    inSliderChange_ = true;
    const struct Leave {
        bool& flag;
        ~Leave() { flag = false; }
    } leave{inSliderChange_};
    StackPage& page = parts_.stackPage;
    FrameWindows& graph = parts_.frameWindows;
    RegistrationWindows& charts = parts_.registrationWindows;
    const TRxSlider& slider = *graph.StackSlider;
    const int rank = slider.Value();
    const StackCutoffs cutoffs = parts_.pipeline.stackCutoffs(rank, graph.differencecutslider->Value());

    page.stackshape->setBrush(cutoffs.excluded ? QColor(Qt::red) : QColor(0, 0x80, 0));

    // The stack graph runs up to the largest difference.
    TChart& chart = *charts.Chart9;
    const double largest = cutoffs.largestDifference;
    chart.LeftAxis.setRange(0.0, largest);
    chart.LeftAxis.Increment = 0.1 * largest;
    chart.BottomAxis.Increment = chartAxisIncrement(static_cast<std::size_t>(charts.Series5->Count()));
    chart.update();

    if (parts_.pipeline.state().ProcessStage >= TProcessStage::stFFTSizeSet) {
        graph.RxLabel4->setText(
            multiPoint()
                ? QStringLiteral(" ")
                : QString::fromStdString(
                      "Difference Cutoff (green line) (max =" + fixedPointText(largest, 6, 3) + ") ( % " +
                      fixedPointText(graph.differencecutslider->Value() * 0.1, 5, 0) + ")"));
        graph.RxLabel5->setText(
            QString::fromStdString("Quality Cutoff (red line) ( % " +
                                   fixedPointText(rank / (slider.MaxValue() + 0.001) * 100.0, 5, 0) + ")"));
    }
    // Before the frames are aligned the cut-offs only move: the input selection sets them while
    // the preview shows its first frame, and the stack page cannot be opened yet.
    if (parts_.pipeline.state().ProcessStage <= TProcessStage::stReferenceReady) return;
    parts_.ports.progress().setStatus(3, "Stacksize: " + std::to_string(cutoffs.stackSize) +
                                             " Low quality :" + fixedPointText(cutoffs.lowQuality, 5, 2) +
                                             "%");
    showFrameAtCutoff(cutoffs.frame);
    // A dark or flat frame being built has no registration to show.
    if (parts_.pipeline.state().MasterFrameMode) return;
    parts_.registrationWindows.showRegistrationGraph(parts_.pipeline.model(), parts_.pipeline.rankLimit(),
                                                     parts_.pipeline.optimizer().RegistrationCaption);
    placeCutoffIndicators();
}

void StackController::showFrameAtCutoff(int frame) {
    const FrameModel& model = parts_.pipeline.model();
    if (!parts_.pipeline.input().source || model.ImageWidth <= 0 || model.ImageHeight <= 0) return;
    if (model.InputIsSeries)
        parts_.ports.progress().setStatus(2, "Processing bitmap :" + std::to_string(frame));
    try {
        parts_.pipeline.showFrameAtCutoff(frame);
    } catch (const std::exception& error) {
        // The slider may move many times a second: a frame that cannot be read is named in the
        // status bar instead of a message for every step.
        parts_.ports.progress().setStatus(2, error.what());
        return;
    }
    // The preview shows the frame read (the input's controller hears `Preview`).
    if (const std::string caption = seriesCaption(model, frame, ShownBy::StackCutoff); !caption.empty())
        parts_.window.setWindowTitle(QString::fromStdString(caption));
    // The frame on a picture of the stack's size, from the top-left corner.
    const Bitmap24& preview = parts_.pipeline.input().PreviewBitmap;
    Bitmap24 picture(model.ImageWidth, model.ImageHeight);
    const int width = std::min(preview.width(), picture.width());
    for (int y = 0; y < std::min(preview.height(), picture.height()); ++y)
        std::copy_n(preview.row(y), 3 * static_cast<std::size_t>(width), picture.row(y));

    // The alignment points where this frame has them; with the single box, point 1 is the box.
    const TFrameRec& rec = model.FrameTable[frame];
    QImage image = bitmapView(picture).convertToFormat(QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setPen(Yellow);
    painter.setBrush(Qt::NoBrush);
    for (int p = 1; p <= pointCount(); ++p) {
        const PointXY& at = parts_.pipeline.alignPoints().PointPos[p];
        painter.drawEllipse(QPoint(rec.Slots[p].X + at.X, rec.Slots[p].Y + at.Y), PointMarkRadius,
                            PointMarkRadius);
    }
    painter.end();
    showStackImage(image);
}

void StackController::placeCutoffIndicators() {
    const FrameWindows& windows = parts_.frameWindows;
    RegistrationWindows& charts = parts_.registrationWindows;
    const TRxSlider& slider = *windows.StackSlider;
    const TRxSlider& difference = *windows.differencecutslider;
    const QRect plot = charts.Chart9->plotRect();
    // With the single box the quality cut-off is shown within the ranks the last stack took.
    const double range = multiPoint() ? slider.MaxValue() : parts_.pipeline.frameLimit();
    const int left = plot.left() + indicatorOffset(plot.width(), slider.Value(), range + 0.001);
    charts.StackQuality->setGeometry(left, plot.top(), 2, plot.height());
    charts.Selectoff->setGeometry(left, plot.top(), plot.right() + 1 - left, plot.height());
    const int top =
        plot.top() + indicatorOffset(plot.height(), 1001 - difference.Value(), difference.MaxValue() + 1);
    charts.Stackdifference->setGeometry(plot.left(), top, plot.width(), 2);
}

void StackController::LimitStackChange() {
    TRxSpinEdit& limit = *parts_.frameWindows.LimitStack;
    if (limit.Value() <= 0) return;
    if (limit.Value() > parts_.pipeline.frameLimit()) setQuietly(limit, parts_.pipeline.stackCount().last);
    parts_.pipeline.setStackCount(static_cast<int>(std::nearbyint(static_cast<double>(limit.Value()))));
    StackSliderChanged();
}

void StackController::StackSliderChanged() {
    if (parts_.pipeline.state().ProcessStage < TProcessStage::stStackPage ||
        parts_.pipeline.alignPoints().Alignpoints <= 1)
        return;
    FrameWindows& windows = parts_.frameWindows;
    TRxSlider& quality = *windows.QUALSliderMalign;
    const double shown = static_cast<double>(windows.Alignmentpointstackgraph->Value());
    int smallest = parts_.pipeline.frameLimit();
    for (int p = 1; p <= pointCount(); ++p) {
        setQuietly(*windows.Alignmentpointstackgraph, p);
        AlignmentpointstackgraphChange();
        quality.setValue(std::min(windows.StackSlider->Value(), quality.MaxValue()));
        parts_.pipeline.setPointLimitCount(p, quality.Value());
        smallest = std::min(smallest, quality.Value());
    }
    windows.Alignmentpointstackgraph->setValue(shown);
    parts_.ports.progress().setStatus(3, "Stacksize : " + std::to_string(smallest + 1) + " Frames");
}

// --- The alignment points' graphs ----------------------------------------------------------------

bool StackController::multiPoint() const {
    return parts_.pipeline.alignPoints().MultiPointMode && parts_.pipeline.alignPoints().Alignpoints > 1;
}

int StackController::pointCount() const {
    return std::clamp(parts_.pipeline.alignPoints().Alignpoints, 0, MaxAlignPoints);
}

bool StackController::pointChecked(int p) const {
    const QListWidget& list = *parts_.frameWindows.Alignmentpointlist;
    if (p - 1 < list.count()) return list.item(p - 1)->checkState() == Qt::Checked;
    return parts_.pipeline.alignPoints().PointEnabled[static_cast<std::size_t>(p)];
}

int StackController::shownPoint() const {
    // The spin runs to 100; the arrays hold the points 1..99.
    const double value = static_cast<double>(parts_.frameWindows.Alignmentpointstackgraph->Value());
    return static_cast<int>(std::lrint(std::clamp(value, 1.0, static_cast<double>(MaxAlignPoints))));
}

PointStackGraph StackController::pointGraph(int p) const {
    const FrameWindows& windows = parts_.frameWindows;
    PointGraphInput input;
    input.point = p;
    input.tag = parts_.pipeline.frameLimit();
    input.differencecut = windows.differencecutslider->Value();
    input.MultiQuantity = parts_.optimizePage.multiQuantity();
    input.qualityFloor = parts_.pipeline.points().PointQualityCutInit[static_cast<std::size_t>(p)];
    return parts_.pipeline.pointStackGraph(input);
}

void StackController::showPointGraph(const PointStackGraph& graph) {
    FrameWindows& windows = parts_.frameWindows;
    windows.FastLineSeries3->Assign(graph.quality);
    windows.FastLineSeries4->Assign(graph.difference);
    windows.Series7->Clear();
    TChart& chart = *windows.Chart10;
    chart.LeftAxis.Minimum = 0.0;
    chart.LeftAxis.Increment = 0.1 * graph.largestDifference;
    chart.BottomAxis.Increment = graph.count() > 10 ? 0.1 * (graph.count() - 1) : 1.0;
    chart.update();
}

void StackController::placePointIndicators() {
    FrameWindows& windows = parts_.frameWindows;
    const TRxSlider& difference = *windows.DifSliderMalign;
    const TRxSlider& quality = *windows.QUALSliderMalign;
    const QRect plot = windows.Chart10->plotRect();
    const int top =
        plot.top() + indicatorOffset(plot.height(), 1001 - difference.Value(), difference.MaxValue() + 1);
    windows.StackAPDifference->setGeometry(plot.left(), top, plot.width(), 2);
    const int left = plot.left() + indicatorOffset(plot.width(), quality.Value(), quality.MaxValue() + 1);
    windows.StackAPquality->setGeometry(left, plot.top(), plot.right() + 1 - left, plot.height());
}

void StackController::showPointCutoffs(int p, const PointStackGraph& graph, double qualityDivisor) {
    const FrameWindows& windows = parts_.frameWindows;
    const PointLimits& points = parts_.pipeline.points();
    const auto at = static_cast<std::size_t>(p);
    const int frames = pointFramesToStack(graph, windows.QUALSliderMalign->Value(),
                                          pointDifferenceCut(graph, windows.DifSliderMalign->Value()),
                                          points.PointQualityCut[at]);
    // An all-zero graph has no best quality to relate the cut to.
    const double percent = qualityDivisor == 0.0 ? 0.0 : points.PointQualityCut[at] / qualityDivisor * 100.0;
    windows.Stackframelabel->setText(
        QString::fromStdString("Frames to stack:" + std::to_string(frames) + "\n\r" +
                               "Low quality :" + fixedPointText(percent, 5, 2) + "%." +
                               "Dif. cutoff  :" + fixedPointText(points.PointDifferenceCut[at], 5, 2)));
}

void StackController::AlignmentpointstackgraphChange() {
    FrameWindows& windows = parts_.frameWindows;
    const int p = shownPoint();
    const auto at = static_cast<std::size_t>(p);
    if (parts_.tools.Stackgraphpanel->isVisible()) {
        const bool disabled = !pointChecked(p);
        windows.DisabledApoint->setVisible(disabled);
        showPointBox(p, disabled);
    }
    const PointStackGraph graph = pointGraph(p);
    showPointGraph(graph);
    // The sliders take the point's remembered positions; their handlers set its cuts.
    windows.QUALSliderMalign->setMaxValue(graph.qualitySliderMax());
    windows.DifSliderMalign->setValue(parts_.pipeline.points().PointDifferenceSlider[at]);
    windows.QUALSliderMalign->setValue(parts_.pipeline.points().PointQualitySlider[at]);
    placePointIndicators();
    parts_.pipeline.setPointQualityCut(p, pointQualityCutAt(graph, windows.QUALSliderMalign->Value(),
                                                            parts_.pipeline.points().PointQualityCut[at]));
    showPointCutoffs(p, graph, graph.largestQuality);
}

void StackController::QUALSliderMalignChange() {
    const TProgStatus status = parts_.pipeline.state().progstatus;
    if (!multiPoint() || (status != TProgStatus::psOptimized && status != TProgStatus::psStacked)) return;
    const int p = shownPoint();
    const auto at = static_cast<std::size_t>(p);
    const int s = parts_.frameWindows.QUALSliderMalign->Value();
    parts_.pipeline.setPointQualitySlider(p, s);
    const PointStackGraph graph = pointGraph(p);
    if (s >= graph.count()) return;
    parts_.pipeline.setPointQualityCut(
        p, pointQualityCutAt(graph, s, parts_.pipeline.points().PointQualityCut[at]));
    placePointIndicators();
    showPointCutoffs(p, graph, graph.largestQuality + 0.0001);
}

void StackController::redrawPointCutoffs() {
    if (parts_.pipeline.state().ProcessStage < TProcessStage::stStackPage || !multiPoint()) return;
    FrameWindows& windows = parts_.frameWindows;
    for (int p = 1; p <= pointCount(); ++p) {
        setQuietly(*windows.Alignmentpointstackgraph, p);
        AlignmentpointstackgraphChange();
        QUALSliderMalignChange();
    }
    parts_.pipeline.setStackCountRange(windows.QUALSliderMalign->Value());
}

void StackController::openPointCutoffs() {
    if (!parts_.pipeline.alignPoints().MultiPointMode) return;
    FrameWindows& windows = parts_.frameWindows;
    TRxSlider& quality = *windows.QUALSliderMalign;
    for (int p = 1; p <= pointCount(); ++p) {
        setQuietly(*windows.Alignmentpointstackgraph, p);
        AlignmentpointstackgraphChange();
        quality.setValue(quality.MaxValue());
        // The point keeps the position as its own, also where the slider did not move.
        parts_.pipeline.setPointQualitySlider(p, quality.Value());
    }
    parts_.pipeline.setStackCountRange(quality.MaxValue());
}

void StackController::DifSliderMalignChange() {
    const int p = shownPoint();
    const int d = parts_.frameWindows.DifSliderMalign->Value();
    parts_.pipeline.setPointDifferenceSlider(p, d);
    const PointStackGraph graph = pointGraph(p);
    parts_.pipeline.setPointDifferenceCut(p, static_cast<float>(pointDifferenceCut(graph, d)));
    placePointIndicators();
    showPointCutoffs(p, graph, graph.largestQuality);
}

QRect StackController::pointBox(int p) const {
    const auto at = static_cast<std::size_t>(p);
    const int x =
        parts_.pipeline.alignPoints().PointPos[at].X + parts_.pipeline.stack().result.StackMaxShiftX;
    const int y =
        parts_.pipeline.alignPoints().PointPos[at].Y + parts_.pipeline.stack().result.StackMaxShiftY;
    const int h = parts_.pipeline.alignPoints().PointFFTSize[at] / 2;
    return {QPoint(x - h, y - h), QPoint(x + h, y + h)};
}

void StackController::showPointBox(int p, bool crossed) {
    const Bitmap24& stack = parts_.pipeline.wavelet().Stackimage;
    if (stack.empty()) return;
    QImage image = bitmapView(stack).convertToFormat(QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Yellow);
    const QRect box = pointBox(p);
    painter.drawRect(box);
    if (crossed) {
        painter.setPen(Qt::white);
        painter.drawLine(box.topLeft(), box.bottomRight());
        painter.drawLine(box.topRight(), box.bottomLeft());
    }
    painter.end();
    showStackImage(image);
}

// --- The windows and views -----------------------------------------------------------------------

void StackController::ShowstackgraphClick() {
    ToolWindow& window = *parts_.tools.Stackgraphpanel;
    window.setVisible(parts_.stackPage.showsStackGraph());
    if (!window.isVisible()) return;
    window.raise();
    FrameWindows& windows = parts_.frameWindows;
    RegistrationWindows& charts = parts_.registrationWindows;
    const TRxSlider& slider = *windows.StackSlider;
    TRxSpinEdit& limit = *windows.LimitStack;
    charts.FastLineSeries2->Active = true;
    // The frame limit shows the range's end; the quality cut-off stays where the user put it
    // (a stack shows this window again, and must not move the cut-off for the next one).
    limit.setMaxValue(slider.MaxValue());
    setQuietly(limit, slider.MaxValue());
    placeCutoffIndicators();
    charts.Chart9->update();
    const int points = pointCount();
    if (points < 2) {
        window.resize(window.width(), SinglePointGraphHeight);
        return;
    }

    // Every point's graph below; the quality cut-off starts from the largest per-point stack.
    charts.FastLineSeries2->Active = false;
    window.resize(window.width(), MultiPointGraphHeight);
    windows.Alignmentpointstackgraph->setMaxValue(points);
    windows.Alignmentpointstackgraph->setValue(points);
    int largest = 1;
    for (int p = 1; p <= points; ++p)
        largest = std::max(largest, parts_.pipeline.points().PointLimitCount[static_cast<std::size_t>(p)]);
    parts_.pipeline.setStackCountRange(largest);
    limit.setMaxValue(largest);
    // Down one and back, so that every change handler runs once.
    for (const int value : {largest, largest - 1, largest}) parts_.pipeline.setStackCount(value);
    for (const int value : {largest, largest - 1, largest}) limit.setValue(value);
    placeCutoffIndicators();
    for (int p = 1; p <= points; ++p) {
        windows.Alignmentpointstackgraph->setValue(p);
        QUALSliderMalignChange();
    }
}

void StackController::ShowStacklistClick() {
    ToolWindow& window = *parts_.tools.StackFrameswindow;
    window.setVisible(parts_.stackPage.showsStackList());
    if (window.isVisible()) window.raise();
}

void StackController::PCheck2Click() {
    parts_.frameWindows.StackFramesList->setSelectionMode(parts_.frameWindows.PCheck2->Checked()
                                                              ? QAbstractItemView::ExtendedSelection
                                                              : QAbstractItemView::SingleSelection);
}

void StackController::FastStackClick() {
    const StackPage& page = parts_.stackPage;
    if (page.FastStack->Checked() && (page.Resampled->Checked() || page.Drizzling->Checked()))
        parts_.ports.messages().warn(
            "WARNING", "Drizzling/Resampling cannot be done using the Fast Method in multi-point alignment");
}

void StackController::ShowStackCountClick(bool depthShown) {
    if (!depthShown) {
        parts_.stages.processStack();
        return;
    }
    const Bitmap24& shown = parts_.pipeline.wavelet().ProcessPicture;
    const int width = shown.empty() ? parts_.pipeline.stack().result.ImageWidth : shown.width();
    const int height = shown.empty() ? parts_.pipeline.stack().result.ImageHeight : shown.height();
    if (!parts_.pipeline.stack().exists() || width <= 0 || height <= 0) return;
    Bitmap24 depth = parts_.pipeline.stackDepthPicture(width, height);
    if (parts_.alignPage.showsAlignPoints()) {
        QImage view = paintableView(depth);
        QPainter painter(&view);
        painter.setPen(Lime);
        painter.setBrush(Qt::NoBrush);
        for (int p = 1; p <= pointCount(); ++p) {
            if (!pointChecked(p)) continue;
            const QRect box = pointBox(p);
            const QPoint centre = box.center();
            const int h = box.width() / 2;
            painter.drawEllipse(centre, DepthMarkRadius, DepthMarkRadius);
            painter.drawRect(box);
            const int stacked = parts_.pipeline.stack().result.PointStackDepth[static_cast<std::size_t>(p)];
            painter.drawText(QRect(centre.x() - h, centre.y() - h - 16, 200, 16),
                             Qt::AlignLeft | Qt::AlignTop, QString::number(stacked));
            painter.drawText(QRect(centre.x() - h, centre.y() - 8, 200, 16), Qt::AlignLeft | Qt::AlignTop,
                             QString::number(p));
        }
    }
    // The wavelet page shows it.
    parts_.pipeline.showStackDepth(std::move(depth));
}

void StackController::restoreStackPicture() {
    if (!parts_.pipeline.wavelet().Stackimage.empty()) showStackPicture(parts_.pipeline.wavelet().Stackimage);
}

void StackController::showPointZones() {
    if (parts_.pipeline.wavelet().Stackimage.empty()) return;
    std::vector<int> points;
    for (int p = 1; p <= pointCount(); ++p)
        if (pointChecked(p)) points.push_back(p);
    showStackPicture(parts_.pipeline.stackPointZones(points));
}

void StackController::AlignmentpointsClick() {
    if (pointCount() < 2) return;
    const bool shown = parts_.stackPage.showsPointZones();
    ToolWindow& window = *parts_.tools.Alignmentpointswindow;
    window.setVisible(shown);
    if (shown) window.raise();
    restoreStackPicture();
    if (shown) showPointZones();
}

void StackController::AlignmentpointlistClick() {
    const QListWidget& list = *parts_.frameWindows.Alignmentpointlist;
    for (int p = 1; p <= std::min(pointCount(), static_cast<int>(list.count())); ++p)
        parts_.pipeline.enablePoint(p, list.item(p - 1)->checkState() == Qt::Checked);
    if (parts_.tools.Stackgraphpanel->isVisible()) AlignmentpointstackgraphChange();
    if (parts_.stackPage.showsPointZones()) {
        restoreStackPicture();
        showPointZones();
    }
}

void StackController::AlignmentpointswindowRollClose() {
    restoreStackPicture();
    parts_.stackPage.setPointZonesShown(false);
}

}  // namespace kestrave
