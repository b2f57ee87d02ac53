#include "shell/controllers/align_controller.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QWheelEvent>
#include <cmath>
#include <optional>

#include "frames/frame_positions.h"
#include "frames/frame_source_options.h"
#include "persist/reg_settings.h"
#include "platform/scope_exit.h"
#include "registration/alignment_point_types.h"
#include "registration/debayer_switch_types.h"
#include "registration/frame_limit_values.h"
#include "registration/quality_method.h"
#include "shell/area_stages.h"
#include "shell/controllers/align_option_handlers.h"
#include "shell/controllers/align_page_options.h"
#include "shell/controllers/align_window.h"
#include "shell/controllers/point_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/page_controls.h"
#include "shell/pages/point_windows.h"
#include "shell/pages/registration_windows.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/shell_ports.h"
#include "shell/stored_settings.h"
#include "shell/tab_strip.h"
#include "shell/tool_windows.h"
#include "shell/unsaved_result.h"
#include "shell/window_entry_points.h"
#include "widgets/bitmap_view.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

bool featurePicked(const ProgramState& state) {
    return state.FeatureX != 0 || state.FeatureY != 0;
}

// The zoom window's picture: the 128 × 128 square of `preview` around (x, y), doubled onto
// 256 × 256, with a yellow 20 × 20 outline around the pointer. None when the square would reach
// past the frame (`width` × `height`).
std::optional<QImage> zoomSquare(const QImage& preview, int x, int y, int width, int height) {
    constexpr int Half = 64;
    if (!(Half < x && x + Half < width && Half < y && y + Half < height)) return std::nullopt;
    const QImage source =
        preview.copy(x - Half, y - Half, 2 * Half, 2 * Half).convertToFormat(QImage::Format_RGB32);
    QImage square(4 * Half, 4 * Half, QImage::Format_RGB32);
    for (int v = 0; v < square.height(); ++v) {
        const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(v / 2));
        auto* to = reinterpret_cast<QRgb*>(square.scanLine(v));
        for (int u = 0; u < square.width(); ++u) to[u] = from[u / 2];
    }
    QPainter painter(&square);
    painter.setPen(QColor(255, 255, 0));
    painter.setBrush(Qt::NoBrush);
    // The outline's corners are (118, 118) and (137, 137): 20 pixels a side.
    painter.drawRect(118, 118, 19, 19);
    return square;
}

}  // namespace

// Sees every wheel event of the application before its widget does; takes those of the main
// window while the feature is chosen.
class AlignController::WheelWatch : public QObject {
public:
    explicit WheelWatch(AlignController& controller) : controller_(controller) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel || !controller_.choosingFeature()) return false;
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr || widget->window() != controller_.parts_.page.window()) return false;
        controller_.WMMouseWheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
        return true;
    }

private:
    AlignController& controller_;
};

AlignController::AlignController(const AlignControllerParts& parts)
    : parts_(parts),
      pipeline_(parts.pipeline),
      ports_(parts.ports),
      window_(std::make_unique<AlignWindow>(parts_)),
      points_(std::make_unique<PointController>(
          parts_, *window_,
          OneBoxAlignment{.boxSizeChosen = [this] { FFTsizeGroupClick(); },
                          .referenceAgain = [this] { RecalcFFTbuttonClick(); },
                          .alignOptions = [this] { return readAlignOptions(); },
                          .passOptions = [this] { return readPassOptions(); },
                          .passEnded = [this](const AlignmentPassResult& pass) { alignmentEnded(pass); }})) {
    AlignPage& page = parts_.page;
    options_ = std::make_unique<AlignOptionHandlers>(parts_);
    runHeard_ = pipeline_.subscribe([this](PipelineChange change) { hearRun(change); });
    connect(&page, &AlignPage::qualityLimitChanged, this, &AlignController::OptimizeQualitySpinChange);
    // The limit moves the program back to the Optimize page: an unsaved result is asked about first.
    connect(&page, &AlignPage::limitRequested, this, [this] {
        runPassOverResult(pipeline_, ports_, parts_.stages, PassOverResult::Limit,
                          [this] { SetLimitClick(); });
    });
    connect(page.Avidebay, &TPCheck::OnClick, this, &AlignController::AVIDEBAYClick);
    connect(page.FFTsizeGroup, &TRadioGroup::OnClick, this, &AlignController::FFTsizeGroupClick);
    connect(page.Alignmethod, &TRadioGroup::OnClick, this, &AlignController::AlignmethodClick);
    connect(&page, &AlignPage::alignMethodRequested, this, &AlignController::AlignmethodClick);
    connect(&page, &AlignPage::debayerSwitchRequested, this, &AlignController::applyDebayerSwitch);
    connect(page.RecalcFFTbutton, &QPushButton::clicked, this, &AlignController::RecalcFFTbuttonClick);
    connect(page.QualityMethodCombo, &QComboBox::activated, this, &AlignController::QualityMethodComboChange);
    connect(&page, &AlignPage::qualityMethodRequested, this, &AlignController::QualityMethodComboChange);
    connect(page.QualityFilter, &TRxSpinEdit::OnChange, this, &AlignController::QualityFilterChange);
    connect(page.QualFilterDX, &TRxSpinEdit::OnChange, this, &AlignController::QualityFilterChange);
    connect(page.CentralHVS, &TRxSpinEdit::OnChange, this, &AlignController::CentralHVSChange);
    connect(page.Compresfactor, &TRxSpinEdit::OnChange, this, &AlignController::CompresfactorChange);
    connect(page.Autofilter, &TPCheck::OnClick, this, &AlignController::AutofilterClick);
    connect(page.FFTFilterspin, &TRxSpinEdit::OnChange, this, &AlignController::FFTFilterspinChange);
    connect(page.ManualFFT, &TPCheck::OnClick, this, &AlignController::armFFTFilter);
    connect(page.TrackDetect, &TRxSpinEdit::OnChange, this, &AlignController::TrackDetectChange);
    connect(page.ShowFFTbox, &TPCheck::OnClick, this, &AlignController::ShowFFTboxClick);
    connect(page.ShowGraphbox, &TPCheck::OnClick, this, &AlignController::ShowgraphboxClick);
    connect(page.Colourstack, &TPCheck::OnClick, this, &AlignController::ColourstackClick);
    connect(page.Misalignwarning, &TPCheck::OnClick, this, &AlignController::MisalignwarningClick);
    connect(page.Manualalignbox, &TPCheck::OnClick, this, &AlignController::ManualAlignboxClick);
    for (TPCheck* interlace : {page.interlaced, page.Interlacehoriz})
        connect(interlace, &TPCheck::OnClick, this, &AlignController::InterlacedClick);
    connect(page.Blurbox, &TPCheck::OnClick, this, &AlignController::BlurBoxClick);
    connect(page.Alignbutton, &QPushButton::clicked, this, &AlignController::AlignallButtonClick);
    connect(page.Previewzoom, &TPCheck::OnClick, this, &AlignController::PreviewzoomClick);
    for (ToolWindow* window :
         {parts_.tools.Zoomwindow, parts_.tools.Registerhaltwindow, parts_.tools.WaveZoom})
        connect(window, &TgbRollup::OnCaptionDblClick, this, &AlignController::ZoomwindowCaptionDblClick);
    for (TRxSpinEdit* spin : {page.QualityFilter, page.QualFilterDX, page.CentralHVS, page.Compresfactor})
        connectArming(*spin, &AlignController::armQualityFilter);
    connectArming(*page.FFTFilterspin, &AlignController::armFFTFilter);
    // The weighting's centre starts where its spin edit does.
    pipeline_.setQualityWeightingCentre(static_cast<int>(std::lrint(page.CentralHVS->Value())));
    page.PreviewImage->setMouseTracking(true);
    page.PreviewImage->installEventFilter(this);
    // The wheel is the window's, wherever the pointer is over it.
    wheel_ = std::make_unique<WheelWatch>(*this);
    qApp->installEventFilter(wheel_.get());
}

AlignController::~AlignController() = default;

// A press or a key on the spin edit or its step buttons, before the value changes.
void AlignController::connectArming(TRxSpinEdit& spin, void (AlignController::*arm)()) {
    for (QObject* part : std::initializer_list<QObject*>{&spin, spin.spinButton(), spin.upDown()}) {
        if (part == nullptr) continue;
        part->installEventFilter(this);
        arming_.emplace_back(part, arm);
    }
}

bool AlignController::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == parts_.page.PreviewImage &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
         type == QEvent::MouseButtonRelease)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int x = static_cast<int>(mouse->position().x()), y = static_cast<int>(mouse->position().y());
        if (type == QEvent::MouseButtonPress)
            PreviewImageMouseDown(mouse->button(), mouse->modifiers(), x, y);
        else if (type == QEvent::MouseMove)
            PreviewImageMouseMove(mouse->buttons(), mouse->modifiers(), x, y);
        else
            PreviewImageMouseUp(mouse->button(), x, y);
    } else if (watched == parts_.page.PreviewImage && type == QEvent::Leave) {
        // The box follows the mouse over the picture only: it does not stay where the mouse left.
        parts_.page.BoxOutline->hide();
    } else if (type == QEvent::MouseButtonPress || type == QEvent::KeyPress) {
        for (const auto& [part, arm] : arming_)
            if (part == watched) (this->*arm)();
    }
    return QObject::eventFilter(watched, event);
}

bool AlignController::inputLoaded() const {
    return pipeline_.state().ProcessStage >= TProcessStage::stInputLoaded &&
           pipeline_.input().source != nullptr;
}

QPoint AlignController::previewPoint(int x, int y) const {
    if (!ports_.shell.PreviewFitted) return {x, y};
    const float scale = ports_.shell.PreviewFitScale;
    return {static_cast<int>(std::lrint(x * scale)), static_cast<int>(std::lrint(y * scale))};
}

QPoint AlignController::shownPoint(int x, int y) const {
    if (!ports_.shell.PreviewFitted) return {x, y};
    const float scale = ports_.shell.PreviewFitScale;
    return {static_cast<int>(std::lrint(x / scale)), static_cast<int>(std::lrint(y / scale))};
}

template <typename Work>
void AlignController::computeReference(Work work) {
    const QScopedValueRollback busy(referenceBusy_, true);
    try {
        work();
    } catch (const KestraveError& error) {
        ports_.messages().error("Error", error.what());
    }
}

void AlignController::recomputeReference() {
    AlignPorts ports = window_->ports();
    computeReference([&] { pipeline_.computeReference(readReferenceOptions(), readAlignOptions(), ports); });
}

// --- Reading the controls ----------------------------------------------------------------------

ReferenceOptions AlignController::readReferenceOptions() const {
    return kestrave::readReferenceOptions(parts_.page, pipeline_);
}

AlignOptions AlignController::readAlignOptions() const {
    const AlignPage& page = parts_.page;
    AlignOptions options;
    options.Colourstack = page.Colourstack->Checked();
    options.LumWeights = pipeline_.state().LumWeights;
    options.levels = boxLevelOptions(page);
    options.Trackobject = page.Trackobject->Checked();
    options.predicttrack = page.predicttrack->Checked();
    options.Misalignwarning = page.Misalignwarning->Checked();
    options.Ignoredefault = page.Ignoredefault->Checked();
    options.ShowFFTbox = page.ShowFFTbox->Checked();
    options.interlaced = page.interlaced->Checked();
    options.Interlacehoriz = page.Interlacehoriz->Checked();
    options.FreeBox = pipeline_.alignPoints().FreeBox;
    options.quality = qualityMethodChoice(page).grading;
    options.QualityFilter = static_cast<double>(page.QualityFilter->Value());
    options.QualFilterDX = static_cast<double>(page.QualFilterDX->Value());
    options.Compresfactor = static_cast<double>(page.Compresfactor->Value());
    options.FOMspin = static_cast<double>(page.FOMspin->Value());
    options.Pix = {static_cast<double>(page.Pix1->Value()), static_cast<double>(page.Pix2->Value()),
                   static_cast<double>(page.Pix3->Value())};
    return options;
}

AlignmentPassOptions AlignController::readPassOptions() const {
    const AlignPage& page = parts_.page;
    AlignmentPassOptions options;
    options.align = readAlignOptions();
    options.lastFrame = pipeline_.input().lastIndex;
    options.Usedarkframe = page.Usedarkframe->Checked();
    options.DarkWidth = pipeline_.images().DarkPlanes[1].xCount();
    options.DarkHeight = pipeline_.images().DarkPlanes[1].yCount();
    options.UseFlatfield = page.UseFlatfield->Checked();
    options.FlatWidth = pipeline_.images().FlatPlanes[1].xCount();
    options.FlatHeight = pipeline_.images().FlatPlanes[1].yCount();
    options.Resampled = parts_.stackPage.resampled();
    options.OptimizeQualitySpin = static_cast<double>(parts_.page.OptimizeQualitySpin->Value());
    options.Optimizegraph = parts_.optimizePage.showsOptimizerGraph();
    options.RegistrationCaption = pipeline_.optimizer().RegistrationCaption;
    options.highBitInput = pipeline_.model().InputType == TInputType::itAVI &&
                           pipeline_.input().browseBuffers.Samples == FrameSamples::HighBit;
    return options;
}

// --- Debayer switch and alignment method ---------------------------------------------------------

void AlignController::applyDebayerSwitch() {
    // Each switch (and each input taken) over a SER of more than 8 bits warns until told not to.
    const bool highBitSer = pipeline_.model().InputIsSER && pipeline_.input().readers.SerPixelDepth > 8;
    const DebayerSwitchResult result =
        pipeline_.switchDebayer(parts_.page.Avidebay->Checked(), highBitSer, ports_.messages());
    TPCheck& colourstack = *parts_.page.Colourstack;
    colourstack.setCaption(QString::fromStdString(result.colourstackCaption));
    if (result.checkColour) {
        colourstack.setEnabled(true);
        colourstack.setChecked(true);
    }
}

void AlignController::AVIDEBAYClick() {
    applyDebayerSwitch();
    if (pipeline_.state().ProcessStage >= TProcessStage::stInputLoaded) parts_.stages.showFrameAgain();
}

void AlignController::AlignmethodClick() {
    AlignPage& page = parts_.page;
    FrameWindows& windows = parts_.frameWindows;
    const AlignmentPoints& points = pipeline_.alignPoints();
    windows.differencecutslider->show();
    pipeline_.backToFeatureSet();
    if (!inputLoaded()) return;
    ToolWindow& multipoint = *parts_.pointWindows.Multialignwindow;
    switch (page.Alignmethod->ItemIndex()) {
        case AlignMethodSingle:
            // Back from the points (their window open, or a run made with them): one box stacks
            // from now on, not the points' zones, and it is the box of the feature picked before
            // the points moved it.
            if (!multipoint.isVisible() && points.Alignpoints <= 1 && !parts_.stackPage.multiPoint()) return;
            {
                const bool leavingPointWindow = multipoint.isVisible();
                if (leavingPointWindow) points_->SaveTempPointFile();
                pipeline_.setUserBoxPlaced(false);
                parts_.stackPage.setMultiPoint(false);
                pipeline_.useSingleBox();
                backToSavedFeature();
                // Out of the points' window, the pointer goes back to the feature on the preview.
                if (leavingPointWindow)
                    QCursor::setPos(page.PreviewImage->mapToGlobal(
                        shownPoint(pipeline_.state().FeatureX, pipeline_.state().FeatureY)));
            }
            break;
        case AlignMethodMultipoint:
            windows.differencecutslider->hide();
            points_->Multialignsetup();
            if (multipoint.isVisible()) multipoint.raise();
            break;
        case AlignMethodNone:
            if (multipoint.isVisible()) points_->SaveTempPointFile();
            pipeline_.clearWholeFrameShifts(pipeline_.input().lastIndex);
            page.Setlimitbutton->setEnabled(true);
            markButton(*page.Showbuttonp1, *page.Setlimitbutton, -2);
            page.PreviewSlider->setValue(page.PreviewSlider->MaxValue());
            pipeline_.setStackCount(page.PreviewSlider->Value());
            windows.Showgraphpointer->show();
            break;
        default:
            break;
    }
}

// --- Box size, feature pick, box outline ---------------------------------------------------------

void AlignController::FFTsizeGroupClick() {
    AlignPage& page = parts_.page;
    const FftSizeChoice choice = pipeline_.chooseBoxSize(
        page.FFTsizeGroup->ItemIndex(), static_cast<double>(page.FFTFilterspin->Value()), ports_.messages());
    // The outline drawn at the old size stays; the next mouse move does not erase it.
    if (choice.applied) ports_.shell.view.keepBoxOutline = true;
    page.FFTsizeGroup->setItemIndex(choice.itemIndex);
    if (choice.featureDropped) page.Alignbutton->setEnabled(false);
    if (!choice.applied) return;
    parts_.stages.showFrameAgain();
    const int n = pipeline_.boxSide();
    PointWindows& pointWindows = parts_.pointWindows;
    if (pointWindows.Multialignwindow->isVisible()) {
        points_->drawPoints(Qt::white);
        pointWindows.MaxDist->setValue(n / 2);
    }
    parts_.tools.FFTWindow->setWindowTitle("FFT spectrum " + QString::number(n) + "x" + QString::number(n));
}

void AlignController::PreviewImageMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x,
                                            int y) {
    const QPoint at = previewPoint(x, y);
    if (button == Qt::RightButton && modifiers == Qt::NoModifier) {
        points_->deleteNearestPoint(at.x(), at.y());
        return;
    }
    const RegistrationState& registration = pipeline_.registration();
    // A pick is refused while another long operation loops; the click an alignment waits for is not.
    std::optional<LongOperation> operation;
    if (!registration.WaitForClick) {
        operation.emplace(ports_.operations);
        if (!*operation) return;
    }
    RegistrationWindows& charts = parts_.registrationWindows;
    charts.Series6->Clear();
    charts.Series6->ShowInLegend = false;
    charts.Series5->Title = "Power spectrum";
    if (pipeline_.alignPoints().FreeBox) {
        // The free box is dragged from here and placed when the button is released.
        ports_.shell.view.BoxMark = {at.x(), at.x(), at.y(), at.y()};
        showFreeBoxBand();
        return;
    }
    if (!inputLoaded()) return;

    AlignPage& page = parts_.page;
    const QualityMethod* method = qualityMethodAt(page.QualityMethodCombo->currentIndex());
    if (!page.Autofilter->Checked() && method && method->tunedOnOptionsSheet)
        page.glPageControl1->setCurrentWidget(page.TabSheet10);
    page.showPlainPreview();
    PreviewClick click;
    click.x = at.x();
    click.y = at.y();
    click.position = std::min(page.PreviewSlider->Value(), pipeline_.input().lastIndex);
    pickAt(click);
}

void AlignController::enablePickControls() {
    if (pipeline_.registration().WaitForClick) return;
    AlignPage& page = parts_.page;
    for (QWidget* control :
         std::initializer_list<QWidget*>{page.Alignbutton, page.QualityMethodlabel, page.QualityMethodCombo,
                                         page.Alignmethod, page.Lowerqualitylabel, page.OptimizeQualitySpin,
                                         page.ShowFFTbox, page.ShowGraphbox, page.Manualalignbox})
        control->setEnabled(true);
}

void AlignController::pickAt(const PreviewClick& click) {
    enablePickControls();
    // A feature taken leaves no outline remembered over the preview.
    const auto forgetOutlineOnPick = [this](PickResult result) {
        if (result == PickResult::FeatureAccepted) ports_.shell.view.forgetBoxOutline();
    };
    AlignPorts ports = window_->ports();
    if (pipeline_.registration().WaitForClick) {
        forgetOutlineOnPick(pipeline_.pickFeature(click, readReferenceOptions(), readAlignOptions(), ports));
        return;
    }
    PickResult result = PickResult::Ignored;
    computeReference(
        [&] { result = pipeline_.pickFeature(click, readReferenceOptions(), readAlignOptions(), ports); });
    forgetOutlineOnPick(result);
    if (result != PickResult::FeatureAccepted) return;

    AlignPage& page = parts_.page;
    ToolWindows& tools = parts_.tools;
    page.Frontpanel->hide();
    // Outside the multi-point mode the first point follows the clicked feature.
    if (!pipeline_.alignPoints().MultiPointMode && !click.freeBox) pipeline_.firstPointAtFeature();
    page.BoxOutline->hide();
    const bool fewPoints = pipeline_.alignPoints().Alignpoints < 2;
    if (fewPoints || click.freeBox) {
        for (ToolWindow* window : {tools.FFTWindow, tools.Registrationgraphwindow}) {
            window->show();
            window->raise();
        }
    }
    if (fewPoints && page.ShowGraphbox->Checked()) {
        tools.Registrationgraphwindow->show();
        tools.Registrationgraphwindow->raise();
        tools.RegiStration2->show();
    }
    tools.SelectFrameswindow->hide();
    if (pipeline_.model().InputType == TInputType::itAVI) {
        const int h = pipeline_.boxSide() / 2;
        QImage picture = bitmapView(pipeline_.input().PreviewBitmap).copy();
        QPainter painter(&picture);
        painter.setPen(Qt::white);
        painter.drawRect(click.x - h, click.y - h, 2 * h, 2 * h);
        painter.end();
        window_->showPreview(picture);
    }
}

void AlignController::PreviewImageMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x,
                                            int y) {
    const QPoint at = previewPoint(x, y);
    parts_.positionPanel.setText(QString::number(at.x()) + "-" + QString::number(at.y()));
    AlignPage& page = parts_.page;
    const ProgramState& state = pipeline_.state();
    const bool freeBox = pipeline_.alignPoints().FreeBox;
    ViewState& view = ports_.shell.view;
    if (freeBox && (buttons & Qt::LeftButton) && view.BoxMark.Left != -1) {
        view.BoxMark.Right = at.x();
        view.BoxMark.Bottom = at.y();
        showFreeBoxBand();
    }
    if (!inputLoaded()) return;
    const int position = std::min(page.PreviewSlider->Value(), pipeline_.input().lastIndex);
    if (pipeline_.model().FrameTable[frameAtPosition(pipeline_.model(), position)].Excluded) {
        page.PreviewImage->setCursor(Qt::ForbiddenCursor);
        return;
    }
    if (freeBox) return;
    const bool fits = boxFitsAt(at);
    page.PreviewImage->setCursor(fits ? Qt::CrossCursor : Qt::ArrowCursor);
    if (page.Previewzoom->Checked() && !(modifiers & Qt::ControlModifier)) showZoomSquare(at.x(), at.y());
    if (state.progstatus == TProgStatus::psAligned) return;
    // Before the alignment every selected frame is in use; later the limit's count stands (the
    // stack list and the project keep it), so the move leaves it alone then.
    if (state.progstatus < TProgStatus::psAligned) pipeline_.countSelectedFrames(pipeline_.input().lastIndex);
    showBoxOutline(at, fits);
}

bool AlignController::boxFitsAt(QPoint at) const {
    const int h = pipeline_.boxSide() / 2;
    return h <= at.x() && at.x() <= pipeline_.model().ImageWidth - 1 - h && h <= at.y() &&
           at.y() <= pipeline_.model().ImageHeight - 1 - h;
}

void AlignController::showBoxOutline(QPoint at, bool fits) {
    AlignPage& page = parts_.page;
    // The outline is a frame over the picture, so moving it leaves nothing behind at any size.
    ViewState& view = ports_.shell.view;
    view.keepBoxOutline = false;
    view.boxOutlineX = fits ? at.x() : -1;
    view.boxOutlineY = fits ? at.y() : -1;
    page.BoxOutline->setVisible(fits);
    if (!fits) return;
    const int h = pipeline_.boxSide() / 2;
    const float scale = ports_.shell.PreviewFitted ? ports_.shell.PreviewFitScale : 1.0f;
    page.BoxOutline->setGeometry(static_cast<int>((at.x() - h) / scale),
                                 static_cast<int>((at.y() - h) / scale), static_cast<int>(2 * h / scale),
                                 static_cast<int>(2 * h / scale));
}

void AlignController::backToSavedFeature() {
    pipeline_.restoreSavedFeature();
    const ProgramState& state = pipeline_.state();
    if (referenceBusy_ || ports_.operations.running() || !featurePicked(state)) return;
    // The points' alignment left the reference of a point behind: the one box's is made again.
    recomputeReference();
    parts_.page.showPlainPreview();
    showBoxOutline(QPoint(state.FeatureX, state.FeatureY), true);
}

void AlignController::showZoomSquare(int x, int y) {
    const FrameModel& model = pipeline_.model();
    const std::optional<QImage> square =
        zoomSquare(parts_.page.previewPicture().toImage(), x, y, model.ImageWidth, model.ImageHeight);
    if (square) parts_.pointWindows.zoomimage->setPixmap(QPixmap::fromImage(*square));
}

// From the input's arrival until the frames are aligned, a feature (and its box) is being chosen.
bool AlignController::choosingFeature() const {
    return inputLoaded() && pipeline_.state().progstatus < TProgStatus::psAligned;
}

void AlignController::PreviewzoomClick() {
    ToolWindow& zoom = *parts_.tools.Zoomwindow;
    zoom.setVisible(parts_.page.Previewzoom->Checked());
    if (zoom.isVisible()) zoom.raise();
}

void AlignController::ZoomwindowCaptionDblClick() {
    parts_.page.Previewzoom->setChecked(false);
    PreviewzoomClick();
}

void AlignController::WMMouseWheel(int delta) {
    if (!choosingFeature()) return;
    TRadioGroup& sizes = *parts_.page.FFTsizeGroup;
    sizes.setFocus();
    const int item = sizes.ItemIndex();
    int wanted = item;
    if (delta > 10) wanted = std::min(item + 1, static_cast<int>(sizes.Items().size()) - 1);
    if (delta < -10 && item > 0) wanted = item - 1;
    if (wanted == item) return;
    // The pointer stays where the wheel turned: the outline around it takes the new size at once.
    const QPoint pointer(ports_.shell.view.boxOutlineX, ports_.shell.view.boxOutlineY);
    sizes.setItemIndex(wanted);
    FFTsizeGroupClick();
    if (pointer.x() != -1 && !pipeline_.alignPoints().FreeBox) showBoxOutline(pointer, boxFitsAt(pointer));
}

void AlignController::PreviewImageMouseUp(Qt::MouseButton button, int x, int y) {
    ViewState& view = ports_.shell.view;
    if (pipeline_.alignPoints().FreeBox && button != Qt::RightButton && view.BoxMark.Left != -1) {
        const QPoint at = previewPoint(x, y);
        view.BoxMark.Right = at.x();
        view.BoxMark.Bottom = at.y();
        placeFreeBox();
    }
    pipeline_.saveFeature();
}

void AlignController::showFreeBoxBand() {
    QFrame& band = *parts_.page.FreeBoxBand;
    const TEdgeRect box = orderedCorners(ports_.shell.view.BoxMark);
    if (box.Left == -1) {
        band.hide();
        return;
    }
    const float scale = ports_.shell.PreviewFitted ? ports_.shell.PreviewFitScale : 1.0f;
    const auto shown = [scale](int v) { return static_cast<int>(std::lrint(v / scale)); };
    band.setGeometry(shown(box.Left), shown(box.Top), std::max(shown(box.Right - box.Left), 1),
                     std::max(shown(box.Bottom - box.Top), 1));
    band.show();
    band.raise();
}

void AlignController::placeFreeBox() {
    AlignPage& page = parts_.page;
    page.FreeBoxBand->hide();
    std::optional<LongOperation> operation;
    if (!pipeline_.registration().WaitForClick) {
        operation.emplace(ports_.operations);
        if (!*operation) return;
    }
    if (!inputLoaded()) return;
    const TEdgeRect dragged = orderedCorners(ports_.shell.view.BoxMark);
    page.showPlainPreview();
    page.FFTsizeGroup->setItemIndex(
        freeBoxSizeItem(std::max(dragged.Right - dragged.Left, dragged.Bottom - dragged.Top)));
    FFTsizeGroupClick();
    const int n = pipeline_.boxSide();
    if (n <= 0) return;
    const FreeBoxFit fit =
        fitFreeBox(dragged, n, pipeline_.model().ImageWidth, pipeline_.model().ImageHeight);
    if (fit.tooLarge) {
        ports_.messages().inform("Alignment box problem", "Box larger then maximum available size");
        pipeline_.setFreeBox(false);
        page.Freebox->setChecked(false);
    }
    pipeline_.placeFreeBox(fit);
    ports_.shell.view.BoxMark = fit.box;

    PreviewClick click;
    click.x = fit.centreX;
    click.y = fit.centreY;
    click.position = std::min(page.PreviewSlider->Value(), pipeline_.input().lastIndex);
    click.freeBox = true;
    pickAt(click);
}

// --- Reference recalculation, quality method and options -----------------------------------------

void AlignController::RecalcFFTbuttonClick() {
    if (referenceBusy_ || !inputLoaded() || !featurePicked(pipeline_.state())) return;
    const LongOperation operation(ports_.operations);
    if (!operation) return;
    recomputeReference();
}

// The band of the spectral figure over the 400-pixel spectrum chart.
void AlignController::placeBandPointer(const QualityMethodChoice& choice) {
    if (!choice.showBandPointer) return;
    RegistrationWindows& charts = parts_.registrationWindows;
    TRectShape& pointer = *charts.Showgraph1pointer;
    pointer.setGeometry(choice.pointerLeft, pointer.y(), std::max(choice.pointerWidth, 1), pointer.height());
    pointer.show();
    charts.FFTLABELs->move(choice.pointerLeft, charts.FFTLABELs->y());
    charts.FFTLABELs->show();
}

void AlignController::QualityMethodComboChange() {
    AlignPage& page = parts_.page;
    const QualityMethodChoice choice = qualityMethodChoice(page);
    page.Currentquality->setText(QString::fromStdString(choice.label));
    placeBandPointer(choice);
    if (!choice.showBandPointer) {
        parts_.registrationWindows.Showgraph1pointer->hide();
        parts_.registrationWindows.FFTLABELs->hide();
    }
    page.CopyAlignmethods->setItemIndex(page.QualityMethodCombo->currentIndex());
    if (ports_.shell.StartingUp || !featurePicked(pipeline_.state())) return;
    const bool placed = pipeline_.setUserBoxPlaced(true);
    const ScopeExit back([&] { pipeline_.setUserBoxPlaced(placed); });
    RecalcFFTbuttonClick();
}

void AlignController::armQualityFilter() {
    pipeline_.armQualityFilter();
}

void AlignController::armFFTFilter() {
    pipeline_.armFFTFilter(true);
}

namespace {

// A change the user made to a quality-band control: the band is the user's from now on.
void takeBandAsManual(Pipeline& pipeline, TPCheck& Autofilter) {
    if (pipeline.takeQualityBandAsManual()) Autofilter.setChecked(false);
}

void storeSetting(ShellPorts& ports, const char* key, long double value) {
    kestrave::storeSetting(ports.regSettings.get(), key, static_cast<int>(std::lrint(value)));
}

}  // namespace

void AlignController::QualityFilterChange() {
    if (ports_.shell.StartingUp) return;
    AlignPage& page = parts_.page;
    const QualityMethodChoice choice = qualityMethodChoice(page);
    placeBandPointer(choice);
    storeSetting(ports_, "QualityFilter", page.QualityFilter->Value());
    takeBandAsManual(pipeline_, *page.Autofilter);
    if (choice.showBandPointer) RecalcFFTbuttonClick();
}

void AlignController::CentralHVSChange() {
    AlignPage& page = parts_.page;
    pipeline_.setQualityWeightingCentre(static_cast<int>(std::lrint(page.CentralHVS->Value())));
    takeBandAsManual(pipeline_, *page.Autofilter);
    if (qualityMethodChoice(page).grading.humanVision()) RecalcFFTbuttonClick();
}

void AlignController::CompresfactorChange() {
    AlignPage& page = parts_.page;
    takeBandAsManual(pipeline_, *page.Autofilter);
    if (inputLoaded() && qualityMethodChoice(page).grading.fromImage()) RecalcFFTbuttonClick();
}

void AlignController::AutofilterClick() {
    pipeline_.setAutomaticQualityBand(parts_.page.Autofilter->Checked());
    if (inputLoaded()) RecalcFFTbuttonClick();
}

void AlignController::FFTFilterspinChange() {
    AlignPage& page = parts_.page;
    const long double radius = page.FFTFilterspin->Value();
    storeSetting(ports_, "FFTFilter", radius);
    if (pipeline_.takeFFTFilterAsManual()) page.ManualFFT->setChecked(true);
    pipeline_.setFFTFilterRadius(static_cast<double>(radius));
    page.RecalcFFTbutton->setEnabled(true);
    if (pipeline_.state().ProcessStage != TProcessStage::stFeatureSet) RecalcFFTbuttonClick();
}

void AlignController::TrackDetectChange() {
    pipeline_.setMisalignRatio(static_cast<float>(parts_.page.TrackDetect->Value()));
}

void AlignController::ShowFFTboxClick() {
    parts_.tools.FFTWindow->setVisible(parts_.page.ShowFFTbox->Checked());
}

void AlignController::ShowgraphboxClick() {
    const bool shown = parts_.page.ShowGraphbox->Checked();
    parts_.tools.Registrationgraphwindow->setVisible(shown);
    parts_.tools.RegiStration2->setVisible(shown);
}

// --- Charts --------------------------------------------------------------------------------------

void AlignController::showSpectrumUndefined() {
    window_->showSpectrumUndefined();
}

void AlignController::DrawRegistrationGraph() {
    parts_.registrationWindows.showRegistrationGraph(pipeline_.model(), pipeline_.rankLimit(),
                                                     pipeline_.optimizer().RegistrationCaption);
}

void AlignController::hearRun(PipelineChange change) {
    switch (change) {
        case PipelineChange::BoxSize: {
            // The box size an alignment point's optimizing puts in force shows in the page's choice.
            const int item = pipeline_.boxSizeItem();
            if (item != parts_.page.FFTsizeGroup->ItemIndex()) parts_.page.FFTsizeGroup->setItemIndex(item);
            break;
        }
        case PipelineChange::FrameLimit:
            // The ranked frames the frame limit keeps show as the alignment slider's range.
            parts_.page.setLastRankPosition(pipeline_.rankLimit());
            break;
        case PipelineChange::Optimizer:
            showOptimizerProgress();
            break;
        case PipelineChange::Realigned:
            showRealignValues();
            break;
        case PipelineChange::Input:
            // The distances of the last input's points are no figures of the new one.
            parts_.pointWindows.showPointDistances({});
            parts_.tools.AngleDist->hide();
            break;
        default:
            break;
    }
}

}  // namespace kestrave

namespace kestrave {

// --- Option glue -------------------------------------------------------------------------------

void AlignController::ColourstackClick() {
    const bool colour = parts_.page.Colourstack->Checked();
    kestrave::storeSetting(ports_.regSettings.get(), "usecolour", colour);
    parts_.page.followColourChoice(colour);
    pipeline_.chooseColour(colour, ColourChoice::By::User);
}

void AlignController::MisalignwarningClick() {
    kestrave::storeSetting(ports_.regSettings.get(), "Misalignwarning",
                           parts_.page.Misalignwarning->Checked());
}

void AlignController::ManualAlignboxClick() {
    pipeline_.setManualAlign(parts_.page.Manualalignbox->Checked());
    parts_.page.Misalignwarning->setChecked(!pipeline_.alignment().ManualAlign);
}

void AlignController::InterlacedClick() {
    AlignPage& page = parts_.page;
    const bool interlaced = page.interlaced->Checked();
    page.Interlacehoriz->setVisible(interlaced);
    if (!interlaced) page.Interlacehoriz->setChecked(false);
}

void AlignController::BlurBoxClick() {
    parts_.page.Bias->setVisible(parts_.page.Blurbox->Checked());
}

}  // namespace kestrave
