#include "shell/controllers/final_controller.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>
#include <utility>

#include "enhance/final_types.h"
#include "frames/frame_model.h"
#include "output/save_formats.h"
#include "persist/reg_settings.h"
#include "platform/errors.h"
#include "shell/busy_cursor.h"
#include "shell/controllers/curve_mouse.h"
#include "shell/controllers/save_controller.h"
#include "shell/pages/curve_graph.h"
#include "shell/pages/final_page.h"
#include "shell/shell_ports.h"
#include "shell/tab_strip.h"
#include "shell/tool_windows.h"
#include "shell/window_dialogs.h"
#include "widgets/bitmap_view.h"
#include "widgets/check_box.h"
#include "widgets/event_scroll_box.h"
#include "widgets/slider.h"
#include "widgets/speed_button.h"
#include "widgets/spin_edit.h"
#include "widgets/switcher.h"

namespace kestrave {

namespace {

constexpr int HistogramHeight = 50;

int roundedInt(long double value) {
    return static_cast<int>(std::clamp<long double>(std::nearbyint(value), -1e9L, 1e9L));
}

QString sliderCaption(const char* name, const TRxSlider& slider) {
    return QString("%1 :%2").arg(name).arg(slider.Value());
}

}  // namespace

FinalController::FinalController(const FinalControllerParts& parts) : parts_(parts), page_(parts.page) {
    // Opening the page draws the crop rectangle in plain white.
    for (auto signal : {&TabStrip::pageEntering, &TabStrip::pageShown})
        connect(&parts.tabs, signal, this, [this](int tab) {
            if (tab != static_cast<int>(TMainTab::tabFinal)) return;
            UpdateFinalBitmap();
            cropBand_ = CropBand::Solid;
            showFinalPicture();
        });
    connectControls();
    processedShown_ = parts.pipeline.subscribe([this](PipelineChange change) {
        if (change == PipelineChange::Processed) showProcessed();
    });
    for (EditedCurve curve : {EditedCurve::Hue, EditedCurve::Saturation, EditedCurve::Lightness})
        graphOf(curve).showCurve(&splineOf(curve));
}

void FinalController::connectControls() {
    FinalPage& page = page_;
    connect(page.ComboBox2, &QComboBox::activated, this, &FinalController::ComboBox2Change);
    connect(page.RxSpinEdit4, &TRxSpinEdit::OnChange, this, &FinalController::settingChanged);
    // The dial turns the picture when the mouse lets it go.
    page.ASSwitcher1->installEventFilter(this);
    connect(page.FlipX, &TPCheck::OnClick, this, &FinalController::FlipXClick);
    connect(page.FlipY, &TPCheck::OnClick, this, &FinalController::FlipYClick);
    for (TRxSlider* slider : {page.HueSlider, page.SaturationSlider, page.Lightnessslider})
        connect(slider, &TRxSlider::OnChange, this, &FinalController::HueSliderChanged);
    connect(page.resethslbutton, &QPushButton::clicked, this, &FinalController::resethslbuttonClick);
    connect(page.AdvancedHLS, &TPCheck::OnClick, this, &FinalController::AdvancedHLSClick);
    connect(page.Cropping, &TPCheck::OnClick, this, &FinalController::CroppingClick);
    connect(page.RxSpeedButton1, &TRxSpeedButton::OnClick, this, &FinalController::RxSpeedButton1Click);
    page.RotateImage->setMouseTracking(true);
    page.RotateImage->installEventFilter(this);
    connect(page.EventScrollBox1, &TEventScrollBox::OnScrollHorz, this,
            &FinalController::EventScrollBox1ScrollHorz);
    connect(page.EventScrollBox1, &TEventScrollBox::OnScrollVert, this,
            &FinalController::EventScrollBox1ScrollHorz);
    connect(page.savefinalbutton, &QPushButton::clicked, this, &FinalController::savefinalbuttonClick);
    connect(page.clipboardbutton, &QPushButton::clicked, this, &FinalController::clipboardbuttonClick);

    for (EditedCurve curve : {EditedCurve::Hue, EditedCurve::Saturation, EditedCurve::Lightness}) {
        CurveGraph* graph = &graphOf(curve);
        connect(graph, &CurveGraph::MouseDown, this,
                [this, curve](Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF at) {
                    hueGraphMouseDown(curve, button, shift, at);
                });
        connect(graph, &CurveGraph::MouseMove, this,
                [this, curve](Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPointF at) {
                    hueGraphMouseMove(curve, buttons, shift, at);
                });
        connect(graph, &CurveGraph::MouseUp, this, [this, curve] { hueGraphMouseUp(curve); });
    }
    page.hls.HueHistoImage->installEventFilter(this);
}

bool FinalController::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    const bool mouse =
        type == QEvent::MouseButtonPress || type == QEvent::MouseMove || type == QEvent::MouseButtonRelease;
    if (!mouse) return QObject::eventFilter(watched, event);
    const auto* mouseEvent = static_cast<QMouseEvent*>(event);
    if (watched == page_.RotateImage) {
        if (type == QEvent::MouseButtonPress)
            RotateImageMouseDown(mouseEvent->button(), mouseEvent->position().toPoint());
        if (type == QEvent::MouseMove)
            RotateImageMouseMove(mouseEvent->buttons(), mouseEvent->position().toPoint());
        if (type == QEvent::MouseButtonRelease) RotateImageMouseUp();
    } else if (watched == page_.hls.HueHistoImage) {
        if (type == QEvent::MouseButtonPress)
            hueGraphMouseDown(EditedCurve::Hue, mouseEvent->button(), mouseEvent->modifiers(),
                              mouseEvent->position());
        if (type == QEvent::MouseMove)
            hueGraphMouseMove(EditedCurve::Hue, mouseEvent->buttons(), mouseEvent->modifiers(),
                              mouseEvent->position());
        if (type == QEvent::MouseButtonRelease) hueGraphMouseUp(EditedCurve::Hue);
    } else if (watched == page_.ASSwitcher1 && type == QEvent::MouseButtonRelease) {
        // The drag has moved the dial to its position already.
        ASSwitcher1MouseUp();
    }
    return QObject::eventFilter(watched, event);
}

FinalSettings FinalController::readFinalSettings() const {
    const FinalData& data = parts_.pipeline.finalImage();
    const ProgramState& state = parts_.pipeline.state();
    FinalSettings settings;
    settings.FlipX = page_.FlipX->Checked();
    settings.FlipY = page_.FlipY->Checked();
    settings.S0 = page_.SaturationSlider->Value();
    settings.H0 = page_.HueSlider->Value();
    settings.L0 = page_.Lightnessslider->Value();
    settings.SatCurveTable = data.tables.SatCurveTable;
    settings.HueCurveTable = data.tables.HueCurveTable;
    settings.LightCurveTable = data.tables.LightCurveTable;
    settings.Angle = roundedInt(page_.RxSpinEdit4->Value());
    settings.RotationCentreSet = state.RotationCentreSet;
    settings.RotationCentreX = state.RotationCentreX;
    settings.RotationCentreY = state.RotationCentreY;
    return settings;
}

void FinalController::UpdateFinalBitmap() {
    // A picture computed anew shows no crop rectangle until one is drawn on it.
    cropBand_ = CropBand::None;
    if (parts_.pipeline.wavelet().ProcessPicture.empty()) {
        parts_.pipeline.renderFinalPicture({});
    } else {
        const BusyCursor busy;
        try {
            parts_.pipeline.renderFinalPicture(readFinalSettings());
        } catch (const std::exception& error) {
            // Out of memory for a picture this large: the last picture stays.
            parts_.ports.messages().error("Final image", error.what());
        }
    }
    showFinalPicture();
    drawHueHistogram();
    EventScrollBox1ScrollHorz();
}

void FinalController::settingChanged() {
    parts_.ports.shell.ImageSaved = false;
    UpdateFinalBitmap();
}

void FinalController::showProcessed() {
    if (page_.isVisible()) UpdateFinalBitmap();
}

void FinalController::showFinalPicture() {
    const Bitmap24& shown = parts_.pipeline.finalImage().shown;
    if (shown.empty()) {
        page_.RotateImage->clear();
        page_.RotateImage->resize(0, 0);
        return;
    }
    QImage pixmap = bitmapView(shown).convertToFormat(QImage::Format_RGB32);
    const TEdgeRect& mark = parts_.ports.shell.view.CropMark;
    const TEdgeRect& crop = mark.Left != -1 ? mark : parts_.pipeline.state().CropRect;
    if (crop.Left != -1 && (dragging_ || cropBand_ != CropBand::None)) {
        const TEdgeRect box = orderedCorners(crop);
        QPainter painter(&pixmap);
        if (cropBand_ == CropBand::Xor) painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(Qt::white);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(QPoint(box.Left, box.Top), QPoint(box.Right, box.Bottom)));
    }
    page_.RotateImage->setPixmap(QPixmap::fromImage(pixmap));
    page_.RotateImage->resize(pixmap.size());
}

void FinalController::drawHueHistogram() {
    QPixmap chart(page_.hls.HueHistoImage->size());
    chart.fill(Qt::white);
    QPainter painter(&chart);
    painter.setPen(Qt::black);
    painter.drawRect(chart.rect().adjusted(0, 0, -1, -1));
    const auto bars = hueHistogramBars(parts_.pipeline.finalImage().histogram);
    for (int i = 0; i < HueHistogramSize; ++i) {
        const int bar = bars[static_cast<std::size_t>(i)];
        if (bar > 0) painter.drawLine(i, HistogramHeight, i, HistogramHeight - bar);
    }
    painter.end();
    page_.hls.HueHistoImage->setPixmap(chart);
}

void FinalController::EventScrollBox1ScrollHorz() {
    QLabel& overview = *page_.Overview;
    QPixmap view(overview.size());
    view.fill(QColor(64, 64, 64));
    const Bitmap24& shown = parts_.pipeline.finalImage().shown;
    if (!shown.empty()) {
        // The whole picture stretched over the view; the outline is the part of it the scroll
        // box shows, each side scaled as the picture is.
        const double qx = static_cast<double>(view.width()) / shown.width();
        const double qy = static_cast<double>(view.height()) / shown.height();
        const auto scaled = [](double v, double q) { return static_cast<int>(std::nearbyint(v * q)); };
        QPainter painter(&view);
        painter.drawImage(view.rect(), bitmapView(shown));
        const TEventScrollBox& box = *page_.EventScrollBox1;
        const int h = box.horizontalScrollBar()->value();
        const int v = box.verticalScrollBar()->value();
        const QSize visible = box.viewport()->size();
        painter.setPen(Qt::white);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(QPoint(scaled(h, qx), scaled(v, qy)),
                               QPoint(scaled(h + visible.width(), qx), scaled(v + visible.height(), qy)))
                             .intersected(view.rect().adjusted(0, 0, -1, -1)));
    }
    overview.setPixmap(view);
}

// ---- the turn ----

void FinalController::ComboBox2Change() {
    page_.RxSpinEdit4->setValue(page_.ComboBox2->currentIndex() * 15);
}

void FinalController::ASSwitcher1MouseUp() {
    page_.RxSpinEdit4->setValue(page_.ASSwitcher1->Position() * 10);
    EventScrollBox1ScrollHorz();
}

void FinalController::RxSpeedButton1Click() {
    page_.RxSpinEdit4->setValue(0);
    parts_.ports.messages().inform("Reposition rotation centre", "Point/click at the centre of rotation ");
    parts_.ports.shell.view.CentrePickMode = true;
}

void FinalController::FlipXClick() {
    settingChanged();
}

void FinalController::FlipYClick() {
    settingChanged();
}

void FinalController::CroppingClick() {
    settingChanged();
    if (!page_.Cropping->Checked()) return;
    cropBand_ = CropBand::Xor;
    showFinalPicture();
}

// ---- colour ----

void FinalController::HueSliderChanged() {
    page_.Huelabel->setText(sliderCaption("Hue", *page_.HueSlider));
    page_.Saturationlabel->setText(sliderCaption("Saturation", *page_.SaturationSlider));
    page_.Lightnesslabel->setText(sliderCaption("Lightness", *page_.Lightnessslider));
    settingChanged();
}

void FinalController::resethslbuttonClick() {
    for (TRxSlider* slider : {page_.HueSlider, page_.SaturationSlider, page_.Lightnessslider}) {
        const QSignalBlocker quiet(slider);
        slider->setValue(0);
    }
    // Padded so that the colons line up.
    page_.Huelabel->setText("Hue        :0");
    page_.Saturationlabel->setText("Saturation :0");
    page_.Lightnesslabel->setText("Lightness  :0");
    parts_.pipeline.resetHueCurves();
    for (EditedCurve curve : {EditedCurve::Hue, EditedCurve::Saturation, EditedCurve::Lightness})
        graphOf(curve).showCurve(&splineOf(curve));
    settingChanged();
}

void FinalController::AdvancedHLSClick() {
    parts_.HLSwindow.setVisible(page_.AdvancedHLS->Checked());
    for (EditedCurve curve : {EditedCurve::Hue, EditedCurve::Saturation, EditedCurve::Lightness}) {
        parts_.pipeline.setCurveStyle(curve, false);
        graphOf(curve).showCurve(&splineOf(curve));
    }
    drawHueHistogram();
}

const TBSpline& FinalController::splineOf(EditedCurve curve) const {
    return curveIn(parts_.pipeline.curves(), curve);
}

CurveGraph& FinalController::graphOf(EditedCurve curve) const {
    const HueSaturationWindow& hls = page_.hls;
    return curve == EditedCurve::Hue
               ? *hls.Huegraph
               : (curve == EditedCurve::Saturation ? *hls.Saturationgraph : *hls.Lightnessgraph);
}

const CurveGraphRules& FinalController::rulesOf(EditedCurve curve) const {
    return curve == EditedCurve::Hue ? HueCurveGraph
                                     : (curve == EditedCurve::Saturation ? SatCurveGraph : LightCurveGraph);
}

void FinalController::hueGraphMouseDown(EditedCurve curve, Qt::MouseButton button,
                                        Qt::KeyboardModifiers shift, QPointF at) {
    curveGraphPress(parts_.pipeline, curve, graphOf(curve), rulesOf(curve), button, shift, at);
}

void FinalController::hueGraphMouseMove(EditedCurve curve, Qt::MouseButtons buttons,
                                        Qt::KeyboardModifiers shift, QPointF at) {
    curveGraphMove(parts_.pipeline, curve, graphOf(curve), rulesOf(curve), false, buttons, shift, at);
}

void FinalController::hueGraphMouseUp(EditedCurve curve) {
    parts_.pipeline.buildCurveTable(curve);
    settingChanged();
}

// ---- the mouse on the picture ----

std::optional<int> FinalController::hueUnderPointer(QPoint at) const {
    const Bitmap24& shown = parts_.pipeline.finalImage().shown;
    if (!parts_.HLSwindow.isVisible() || shown.empty() || isTurned(readFinalSettings().Angle))
        return std::nullopt;
    // The shown picture is the result mirrored by the flips.
    const int x = page_.FlipX->Checked() ? shown.width() - 1 - at.x() : at.x();
    const int y = page_.FlipY->Checked() ? shown.height() - 1 - at.y() : at.y();
    const std::optional<float> hue = parts_.pipeline.finalHueAt(x, y);
    if (!hue) return std::nullopt;
    return static_cast<int>(std::nearbyint(*hue));
}

void FinalController::RotateImageMouseDown(Qt::MouseButton button, QPoint at) {
    if (parts_.pipeline.finalImage().shown.empty()) return;
    // A press sets the centre of rotation, or starts a new crop rectangle in place of the old.
    parts_.ports.shell.ImageSaved = false;
    ViewState& view = parts_.ports.shell.view;
    if (view.CentrePickMode) {
        parts_.pipeline.setRotationCentre(at.x(), at.y());
        return;
    }
    view.CropMark = startCropRect(at.x(), at.y());
    dragging_ = button == Qt::LeftButton;
    cropBand_ = CropBand::Xor;
    showFinalPicture();
    if (!parts_.HLSwindow.isVisible()) return;
    const std::optional<int> hue = hueUnderPointer(at);
    page_.hls.showHuePoint(hue);
    if (hue && button == Qt::RightButton && parts_.pipeline.addHuePoint(static_cast<float>(*hue)))
        page_.hls.Huegraph->showCurve(&parts_.pipeline.curves().HueSpline);
}

void FinalController::RotateImageMouseMove(Qt::MouseButtons buttons, QPoint at) {
    TEdgeRect& mark = parts_.ports.shell.view.CropMark;
    if (parts_.ports.shell.view.CentrePickMode || parts_.pipeline.finalImage().shown.empty()) return;
    page_.Croppedarea->setText(QString("%1,%2").arg(at.x()).arg(at.y()));
    if ((buttons & Qt::LeftButton) && dragging_ && mark.Left != -1) {
        page_.Croppedarea->setText(QString::fromStdString(cropDragText(mark, at.x(), at.y())));
        dragCropCorner(mark, at.x(), at.y());
        showFinalPicture();
    }
    if (parts_.HLSwindow.isVisible()) page_.hls.showHuePoint(hueUnderPointer(at));
}

void FinalController::RotateImageMouseUp() {
    dragging_ = false;
    // The release ends the centre pick mode and hands the rectangle drawn to the run.
    ViewState& view = parts_.ports.shell.view;
    const bool centrePickMode = std::exchange(view.CentrePickMode, false);
    const TEdgeRect mark = std::exchange(view.CropMark, TEdgeRect{});
    if (centrePickMode || mark.Left == -1) {
        showFinalPicture();
        return;
    }
    const TEdgeRect crop = releasedCropRect(mark);
    parts_.pipeline.setCropRect(crop);
    if (crop.Left != -1) {
        page_.Cropping->setChecked(true);
        page_.Cropping->show();
    }
    showFinalPicture();
}

// ---- output ----

void FinalController::savefinalbuttonClick() {
    const FinalData& data = parts_.pipeline.finalImage();
    if (data.shown.empty()) return;
    TFileDialog& dialog = parts_.fileDialogs.WaveletSave;
    try {
        dialog.InitialDir = parts_.pipeline.saveFolder(parts_.pipeline.folders());
    } catch (const KestraveError& error) {
        parts_.ports.messages().error("Save error", error.what());
        return;
    }
    if (!parts_.ports.dialogs().Execute(dialog)) return;
    FinalSaveOptions options;
    options.file = dialog.FileName;
    options.type = saveFormatAt(waveletSaveFormats(), dialog.FilterIndex).type;
    options.settings = readFinalSettings();
    const Pipeline& run = parts_.pipeline;
    if (page_.Cropping->Checked() && run.state().CropRect.Left != -1) options.crop = run.state().CropRect;
    runSaveCommand(parts_.ports.messages(), parts_.ports.shell, parts_.pipeline, [&] {
        return parts_.pipeline.saveFinal(options,
                                         savePorts(parts_.ports.messages(), parts_.ports.regSettings.get()));
    });
    // The stack page's save dialog goes back to BMP from its FITS types.
    const std::span<const StackSaveFormat> stackFormats = stackSaveFormats();
    int& stackType = parts_.fileDialogs.SaveDialog1.FilterIndex;
    if (stackType >= 1 && stackType <= static_cast<int>(stackFormats.size()) &&
        saveFormatAt(stackFormats, stackType).filter.fits)
        stackType = filterIndexOf(stackFormats, StackSaveType::BMP);
}

void FinalController::clipboardbuttonClick() {
    const Bitmap24& shown = parts_.pipeline.finalImage().shown;
    if (shown.empty()) return;
    const Bitmap24 picture = page_.Cropping->Checked() ? parts_.pipeline.croppedFinalPicture() : shown;
    QGuiApplication::clipboard()->setImage(bitmapView(picture).copy());
}

}  // namespace kestrave
