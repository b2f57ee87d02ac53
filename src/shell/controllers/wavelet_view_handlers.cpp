// The processed view of the wavelet page: showing the picture with its overlays, the pointer's
// readout and area tools, the zoom window and the single-layer view.

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include "enhance/clamped_round.h"
#include "enhance/composition_types.h"
#include "enhance/wavelet_area.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/pages/wavelet_tool_panels.h"
#include "shell/shell_ports.h"
#include "shell/tool_windows.h"
#include "shell/window_entry_points.h"
#include "widgets/bitmap_view.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

constexpr int SearchMargin = 30;
constexpr int ZoomHalf = 64;
constexpr int ZoomSide = 250;
constexpr int CornerLeg = 10;

// Pixels of the shown image per frame pixel: the drizzle factor 2, the resampling factor, or 1.
double featureScale(const StackPage& stack) {
    if (stack.drizzling()) return 2.0;
    const double spin = static_cast<double>(stack.resampleSpin());
    if (stack.resampled() && spin > 0.0) return spin;
    return 1.0;
}

const QColor Lime(0, 255, 0);
constexpr int PointMarkRadius = 3;

void drawAreaCorners(QPainter& painter, int x0, int y0, int x1, int y1) {
    painter.setPen(Qt::white);
    const QPoint corners[][3] = {
        {{x0 + CornerLeg, y0}, {x0, y0}, {x0, y0 + CornerLeg}},
        {{x1 - CornerLeg, y0}, {x1, y0}, {x1, y0 + CornerLeg}},
        {{x0 + CornerLeg, y1}, {x0, y1}, {x0, y1 - CornerLeg}},
        {{x1 - CornerLeg, y1}, {x1, y1}, {x1, y1 - CornerLeg}},
    };
    for (const auto& corner : corners) painter.drawPolyline(corner, 3);
}

// Each point: a circle round it, its box, the frames stacked for it above the box and its number
// at the box's left edge.
void drawPointMarks(QPainter& painter, const std::vector<AlignPointMark>& marks) {
    painter.setPen(Lime);
    for (const AlignPointMark& mark : marks) {
        const int left = mark.x - mark.half;
        painter.drawEllipse(QPoint(mark.x, mark.y), PointMarkRadius, PointMarkRadius);
        painter.drawRect(
            QRect(QPoint(left, mark.y - mark.half), QPoint(mark.x + mark.half, mark.y + mark.half)));
        painter.drawText(QRect(left, mark.y - mark.half - 16, 200, 16), Qt::AlignLeft | Qt::AlignTop,
                         QString::number(mark.stacked));
        painter.drawText(QRect(left, mark.y - 8, 200, 16), Qt::AlignLeft | Qt::AlignTop,
                         QString::number(mark.number));
    }
}

}  // namespace

void WaveletController::connectViewControls() {
    page_.ProcessImage->setMouseTracking(true);
    page_.ProcessImage->installEventFilter(this);
    connect(page_.setrgbareacheckbox, &TPCheck::OnClick, this, &WaveletController::setrgbareacheckboxClick);
    connect(page_.RGBshiftset, &TPCheck::OnClick, this, &WaveletController::RGBshiftsetClick);
    connect(page_.Showprocessingarea, &TPCheck::OnClick, this, &WaveletController::ShowProcessingAreaClick);
    connect(page_.ZoomWavelet, &TPCheck::OnClick, this, &WaveletController::ZoomWaveletClick);
    for (int n = 1; n <= WaveletLayerCount; ++n) {
        QPushButton* button = page_.layerButtons()[static_cast<std::size_t>(n - 1)];
        connect(button, &QPushButton::pressed, this, [this, n] { layerButtonMouseDown(n); });
        connect(button, &QPushButton::released, this, [this, n] { layerButtonMouseUp(n); });
    }
}

bool WaveletController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == page_.ProcessImage) {
        switch (event->type()) {
            case QEvent::MouseButtonPress: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                ProcessImageMouseDown(mouse->button(), mouse->modifiers(), mouse->position().toPoint());
                break;
            }
            case QEvent::MouseMove: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                ProcessImageMouseMove(mouse->modifiers(), mouse->position().toPoint());
                break;
            }
            case QEvent::MouseButtonRelease:
                ProcessImageMouseUp(static_cast<QMouseEvent*>(event)->position().toPoint());
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void WaveletController::showProcessedView() {
    const Bitmap24& picture = shownPicture();
    if (picture.empty()) {
        page_.ProcessImage->clear();
        return;
    }
    // The overlays go onto a copy (exclusive-or pens need a raster image): the picture saved
    // stays clean.
    QImage view = bitmapView(picture).convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&view);
        drawOverlays(painter);
    }
    page_.ProcessImage->setPixmap(QPixmap::fromImage(view));
    if (ports_.shell.ProcessFitted) {
        page_.refitProcessedView();
    } else {
        page_.ProcessImage->resize(view.size());
    }
    // The zoom window follows every new view (a render, Do All), not only the pointer's moves.
    showZoomSquare();
}

void WaveletController::drawOverlays(QPainter& painter) const {
    const ImageDataSection& section = pipeline_.images();
    const int width = pipeline_.model().ImageWidth;
    const int height = pipeline_.model().ImageHeight;
    painter.setBrush(Qt::NoBrush);
    // The area's corners, the search box and the rubber band in exclusive-or.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    if (pipeline_.state().showProcessingArea) {
        const int x0 = section.ProcessAreaX;
        const int y0 = section.ProcessAreaY;
        drawAreaCorners(painter, x0, y0, x0 + section.ProcessAreaWidth - 1,
                        y0 + section.ProcessAreaHeight - 1);
    }
    // While "Move Area" is on the box follows the pointer, shown or not.
    if (page_.RGBshiftactive->Checked() || moveAreaMode_) {
        const SearchBox box = rgbSearchBox(searchBoxOptions(true), width, height);
        painter.setPen(QColor(0, 128, 0));
        painter.drawRect(
            QRect(QPoint(box.cx - box.hx, box.cy - box.hy), QPoint(box.cx + box.hx, box.cy + box.hy)));
        painter.setPen(QColor(255, 255, 0));
        painter.drawRect(QRect(QPoint(box.cx - box.hx - SearchMargin, box.cy - box.hy - SearchMargin),
                               QPoint(box.cx + box.hx + SearchMargin, box.cy + box.hy + SearchMargin)));
    }
    const TCornerRect& area = ports_.shell.view.RGBArea;
    if (defineAreaMode_ && area.X1 >= 0) {
        painter.setPen(Qt::white);
        painter.drawRect(QRect(QPoint(area.X1, area.Y1), QPoint(area.X2, area.Y2)).normalized());
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (parts_.align.showsAlignPoints()) drawPointMarks(painter, pipeline_.alignPointMarks());
    if (layerViewShown_) {
        const WaveletArea layerArea = pipeline_.clippedProcessArea();
        painter.setPen(Qt::yellow);
        painter.drawText(QRect(layerArea.x0 + 5, layerArea.y0, width, height), Qt::AlignLeft | Qt::AlignTop,
                         LayerViewLegend);
    }
}

QPoint WaveletController::imagePoint(QPoint at) const {
    if (!ports_.shell.ProcessFitted) return at;
    const double scale = ports_.shell.ProcessFitScale;
    return {clampedRound(at.x() * scale, -1'000'000, 1'000'000),
            clampedRound(at.y() * scale, -1'000'000, 1'000'000)};
}

void WaveletController::ProcessImageMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift,
                                              QPoint at) {
    if (pipeline_.wavelet().ProcessPicture.empty()) return;
    const QPoint point = imagePoint(at);
    if (defineAreaMode_) ports_.shell.view.RGBArea = {point.x(), point.y(), point.x(), point.y()};
    if (button == Qt::LeftButton && shift == Qt::NoModifier) {
        // The feature is kept in frame pixels. The processing area is centred on the click and,
        // like every move of the area, kept whole inside the image.
        pipeline_.chooseFeatureOnProcessedView(point.x(), point.y(), featureScale(parts_.stack));
    }
    showProcessedView();
}

void WaveletController::ProcessImageMouseMove(Qt::KeyboardModifiers shift, QPoint at) {
    if (pipeline_.wavelet().ProcessPicture.empty()) return;
    const QPoint point = imagePoint(at);
    if (const auto readout = pipeline_.pixelReadout(point.x(), point.y()))
        ports_.progress().setStatus(3, *readout);
    TCornerRect& area = ports_.shell.view.RGBArea;
    if (defineAreaMode_ && area.X1 >= 0) {
        area.X2 = point.x();
        area.Y2 = point.y();
        showProcessedView();
    }
    if (moveAreaMode_) {
        // The area keeps its size, centred on the pointer; the feature follows it.
        ports_.shell.view.moveColourArea(point.x(), point.y());
        pipeline_.followColourArea(point.x(), point.y(), featureScale(parts_.stack));
        showProcessedView();
    }
    if (zoomOn_) {
        if (shift & Qt::ControlModifier) zoomAnchor_ = point;
        refreshZoom(point);
    }
}

void WaveletController::ProcessImageMouseUp(QPoint at) {
    if (pipeline_.wavelet().ProcessPicture.empty()) return;
    const QPoint point = imagePoint(at);
    pipeline_.showStackInProcessedView();
    if (!composeWorkingImage()) return;
    if (defineAreaMode_) {
        ports_.shell.view.RGBArea.X2 = point.x();
        ports_.shell.view.RGBArea.Y2 = point.y();
        defineAreaMode_ = false;
        page_.RGBshiftset->setChecked(false);
    }
    const ImageDataSection& section = pipeline_.images();
    if (moveAreaMode_) {
        pipeline_.centreProcessAreaOnFeature(featureScale(parts_.stack));
        moveAreaMode_ = false;
        page_.setrgbareacheckbox->setChecked(false);
    }
    page_.markNextButton(page_.DoAll->isHidden() ? nullptr : page_.DoAll);
    const WaveletProcessOptions options = processOptions();
    try {
        for (int n = 1; n <= WaveletLayerCount; ++n) {
            ports_.progress().setStatus(2, "X1= " + std::to_string(section.ProcessAreaX) +
                                               " Y1=" + std::to_string(section.ProcessAreaY));
            pipeline_.computeWaveletLayer(options, n);
        }
    } catch (const WaveletError& error) {
        reportWaveletError(error);
        return;
    }
    Layer1sliderChanged();
}

void WaveletController::setrgbareacheckboxClick() {
    moveAreaMode_ = page_.setrgbareacheckbox->Checked();
    if (moveAreaMode_) {
        defineAreaMode_ = false;
        page_.RGBshiftset->setChecked(false);
    } else {
        page_.moveProcessedImageToOrigin();
    }
}

void WaveletController::RGBshiftsetClick() {
    defineAreaMode_ = page_.RGBshiftset->Checked();
    if (defineAreaMode_) {
        moveAreaMode_ = false;
        page_.setrgbareacheckbox->setChecked(false);
        ports_.shell.view.RGBArea = {};
    } else {
        page_.moveProcessedImageToOrigin();
    }
    showProcessedView();
}

void WaveletController::ShowProcessingAreaClick() {
    pipeline_.setShowProcessingArea(page_.Showprocessingarea->Checked());
    Layer1sliderChanged();
}

void WaveletController::ZoomWaveletClick() {
    zoomAnchor_ = zoomPointer_ = {-1, -1};
    zoomOn_ = page_.ZoomWavelet->Checked();
    ToolWindow& window = *parts_.tools.WaveZoom;
    window.setVisible(zoomOn_);
    if (zoomOn_) window.raise();
}

void WaveletController::refreshZoom(QPoint at) {
    const int width = pipeline_.model().ImageWidth;
    const int height = pipeline_.model().ImageHeight;
    if (ZoomHalf < at.x() && at.x() < width - ZoomHalf && ZoomHalf < at.y() && at.y() < height - ZoomHalf)
        zoomPointer_ = at;
    showZoomSquare();
}

void WaveletController::showZoomSquare() {
    const QPoint centre = zoomAnchor_.x() != -1 ? zoomAnchor_ : zoomPointer_;
    if (!zoomOn_ || centre.x() == -1) return;
    const QPixmap shown = page_.ProcessImage->pixmap();
    const QPixmap square =
        shown.copy(centre.x() - ZoomHalf, centre.y() - ZoomHalf, 2 * ZoomHalf, 2 * ZoomHalf);
    parts_.panels.Zoomimage2->setPixmap(square.scaled(ZoomSide, ZoomSide));
}

void WaveletController::layerButtonMouseDown(int n) {
    if (!PrepareLayerView()) return;
    try {
        layerView_ = pipeline_.waveletLayerView(n);
    } catch (const WaveletError& error) {
        RestoreProcessedView();
        reportWaveletError(error);
        return;
    }
    layerViewShown_ = true;
    showProcessedView();
}

void WaveletController::layerButtonMouseUp(int) {
    RestoreProcessedView();
}

bool WaveletController::PrepareLayerView() {
    const WaveletProcessOptions options = processOptions();
    if (options.Resampled) pipeline_.takeResampledImageSize(options);
    if (pipeline_.wavelet().ProcessPicture.empty()) return false;
    layerView_.emplace();
    return true;
}

const Bitmap24& WaveletController::shownPicture() const {
    return layerViewShown_ ? *layerView_ : pipeline_.wavelet().ProcessPicture;
}

void WaveletController::RestoreProcessedView() {
    if (!layerViewShown_ && !layerView_) return;
    page_.moveProcessedImageToOrigin();
    layerView_.reset();
    layerViewShown_ = false;
    showProcessedView();
}

}  // namespace kestrave
