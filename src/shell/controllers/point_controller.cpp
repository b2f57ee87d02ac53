#include "shell/controllers/point_controller.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTableWidget>
#include <QTimer>
#include <cmath>
#include <utility>

#include "platform/bitmap24.h"
#include "platform/scope_exit.h"
#include "shell/area_stages.h"
#include "shell/controllers/align_controller_parts.h"
#include "shell/controllers/align_page_options.h"
#include "shell/controllers/align_window.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/page_controls.h"
#include "shell/pages/point_windows.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/shell_ports.h"
#include "shell/tab_strip.h"
#include "shell/tool_windows.h"
#include "shell/unsaved_result.h"
#include "shell/window_dialogs.h"
#include "shell/window_entry_points.h"
#include "widgets/bitmap_view.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

constexpr char PointsCaption[] = "Alignment points";
constexpr char SaveFilter[] = "Kestrave Alignmentpoints|*.KAP";
constexpr char LoadFilter[] = "Kestrave alignmentpoints|*.KAP";
const QColor Yellow(0xFF, 0xFF, 0x00);

// The 255 x 255 area of the frame around `at` (white where it leaves the frame), with a small
// yellow circle on `at`: what the zoom window shows while the frames are aligned there.
QImage alignmentArea(const QImage& frame, PointXY at) {
    QImage area(255, 255, QImage::Format_RGB32);
    area.fill(Qt::white);
    QPainter painter(&area);
    painter.drawImage(QPoint(0, 0), frame, QRect(at.X - 128, at.Y - 128, 255, 255));
    painter.setPen(Yellow);
    painter.drawEllipse(QRect(123, 123, 10, 10));
    painter.end();
    return area;
}

QString cellText(const QTableWidget& grid, int row, int column) {
    const QTableWidgetItem* item = grid.item(row, column);
    return item ? item->text() : QString();
}

// The proposed point file: the name of the image saved last, with ".KAP" appended.
std::filesystem::path proposedName(const TFileDialog& saved) {
    const std::filesystem::path name = saved.FileName.filename();
    return name.empty() ? name : std::filesystem::path(name.string() + ".KAP");
}

// The time left of the points' pass, from the part of the frames it has aligned: shown each time
// another 5 % of them is done, in whole 5-second steps plus 5 seconds, and counted down by Timer1
// in between.
class PassCountdown {
public:
    PassCountdown(PointWindows& windows, ViewState& view, int frames)
        : windows_(windows), view_(view), frames_(std::max(frames, 1)) {
        clock_.start();
    }

    void frameAligned(int frame) {
        const int done = std::min(frame + 1, frames_);
        const int step = done * 20 / frames_;
        if (step <= shownStep_ || done >= frames_) return;
        shownStep_ = step;
        windows_.showPointsDone(done);
        const double left = static_cast<double>(clock_.elapsed()) * (frames_ - done) / done;
        view_.TimeLeft = pointCountdown(static_cast<int>(std::min(left, 2e9)), 1);
        windows_.startCountdown(timeLeftText(view_.TimeLeft));
    }

private:
    PointWindows& windows_;
    ViewState& view_;
    const int frames_;
    QElapsedTimer clock_;
    int shownStep_ = 0;
};

}  // namespace

PointController::PointController(const AlignControllerParts& parts, AlignWindow& window,
                                 OneBoxAlignment alignment)
    : parts_(parts),
      pipeline_(parts.pipeline),
      ports_(parts.ports),
      alignment_(std::move(alignment)),
      windows_(parts.pointWindows),
      window_(window) {
    SavePointDialog = makeFileDialog(TFileDialog::Kind::Save, SaveFilter, "KAP");
    LoadPointDialog = makeFileDialog(TFileDialog::Kind::Open, LoadFilter, "KAP");
    PointWindows& w = windows_;
    connect(w.EstimateBestAlign, &QPushButton::clicked, this, &PointController::EstimatebestalignClick);
    connect(w.ClearAlignmentpoints, &QPushButton::clicked, this, &PointController::ClearAlignmentpointsClick);
    connect(w.SavePoints, &QPushButton::clicked, this, &PointController::SavePointsClick);
    connect(w.Loadpoints, &QPushButton::clicked, this, &PointController::LoadpointsClick);
    connect(w.StringGrid1, &QTableWidget::cellClicked, this, &PointController::StringGrid1Click);
    connect(w.Resetalignpoints, &TPCheck::OnClick, this, &PointController::ResetalignpointsClick);
    connect(w.Alignmentzones, &TPCheck::OnClick, this, &PointController::AlignmentzonesClick);
    connect(w.Alignments, &TRxSpinEdit::OnChange, this, &PointController::AlignmentsChange);
    connect(w.Timer1, &QTimer::timeout, this, &PointController::Timer1Timer);
    connect(parts_.page.Freebox, &TPCheck::OnClick, this, &PointController::FreeboxClick);
    connect(parts_.page.Showalignpoints, &TPCheck::OnClick, this, &PointController::ShowalignpointsClick);
    w.StringGrid1->installEventFilter(this);
}

bool PointController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windows_.StringGrid1 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        stringgrid1delrow();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

bool PointController::inputLoaded() const {
    return pipeline_.state().ProcessStage >= TProcessStage::stInputLoaded &&
           pipeline_.input().source != nullptr;
}

std::vector<PointRowText> PointController::gridRows() const {
    const QTableWidget& grid = *windows_.StringGrid1;
    std::vector<PointRowText> rows;
    for (int r = 0; r < grid.rowCount(); ++r)
        rows.push_back({cellText(grid, r, 1).toStdString(), cellText(grid, r, 2).toStdString(),
                        cellText(grid, r, 3).toStdString()});
    return rows;
}

void PointController::takePoints(const std::vector<AlignPoint>& points) {
    QTableWidget& grid = *windows_.StringGrid1;
    const int count = std::min(static_cast<int>(points.size()), MaxAlignPoints);
    grid.setRowCount(count);
    for (int r = 0; r < count; ++r) {
        const AlignPoint& point = points[static_cast<std::size_t>(r)];
        auto* number = new QTableWidgetItem(QString::number(r + 1));
        number->setFlags(number->flags() & ~Qt::ItemIsEditable);
        grid.setItem(r, 0, number);
        grid.setItem(r, 1, new QTableWidgetItem(QString::number(point.X)));
        grid.setItem(r, 2, new QTableWidgetItem(QString::number(point.Y)));
        grid.setItem(r, 3, new QTableWidgetItem(QString::number(point.FFTSize)));
    }
    pipeline_.takeAlignPoints(points);
    windows_.Label52->setText("Alignmentpoints: " + QString::number(count));
}

void PointController::reportProblem(const std::string& text) {
    ports_.messages().warn(PointsCaption, text);
}

void PointController::drawPoints(const QColor& pen) {
    if (pipeline_.input().PreviewBitmap.empty()) return;
    const std::vector<PointRowText> rows = gridRows();
    std::vector<std::pair<int, AlignPoint>> points;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int number = static_cast<int>(r) + 1;
        const PointRowReading reading =
            readPointRow(number, rows[r], pipeline_.model().ImageWidth, pipeline_.model().ImageHeight);
        if (reading.point) points.emplace_back(number, *reading.point);
    }
    Bitmap24 frame = pipeline_.input().PreviewBitmap;
    if (windows_.Alignmentzones->Checked()) {
        std::vector<AlignPoint> sites;
        for (const auto& [number, point] : points) sites.push_back(point);
        frame = pipeline_.previewWithPointZones(sites);
    }
    QImage picture = bitmapView(frame).copy();
    QPainter painter(&picture);
    painter.setBrush(Qt::NoBrush);
    const int selected = windows_.StringGrid1->currentRow() + 1;
    for (const auto& [number, point] : points) {
        const int h = point.FFTSize / 2;
        painter.setPen(number == selected ? Yellow : pen);
        painter.drawEllipse(QRect(point.X - 3, point.Y - 3, 6, 6));
        painter.drawRect(point.X - h, point.Y - h, 2 * h, 2 * h);
        QFont font = painter.font();
        font.setBold(number == selected);
        painter.setFont(font);
        painter.setPen(number == selected ? Yellow : QColor(Qt::white));
        painter.drawText(QRect(point.X - h, point.Y - 8, 40, 16), Qt::AlignLeft | Qt::AlignTop,
                         QString::number(number));
    }
    painter.end();
    window_.showPreview(picture);
}

// --- The estimator and the grid ------------------------------------------------------------------

void PointController::EstimatebestalignClick() {
    const int n = pipeline_.boxSide();
    if (!inputLoaded() || n <= 0) return;
    const int md = static_cast<int>(std::lrint(windows_.MaxDist->Value()));
    pipeline_.markReferenceReady();
    std::vector<AlignPoint> points;
    for (const PointXY& at : pipeline_.estimatePoints(n, md)) points.push_back({at.X, at.Y, n});
    takePoints(points);
    drawPoints(Yellow);
    AlignPage& page = parts_.page;
    page.Alignbutton->setEnabled(true);
    markButton(*page.Showbuttonp1, *page.Alignbutton);
}

void PointController::ClearAlignmentpointsClick() {
    takePoints({});
    parts_.stages.showFrameAgain();
}

void PointController::stringgrid1delrow() {
    QTableWidget& grid = *windows_.StringGrid1;
    const int row = grid.currentRow();
    if (row < 0 || row >= grid.rowCount()) return;
    std::vector<PointRowText> rows = gridRows();
    rows.erase(rows.begin() + row);
    const PointRowsCheck check =
        readPointRows(rows, pipeline_.model().ImageWidth, pipeline_.model().ImageHeight);
    if (!check.problem.empty()) {
        reportProblem(check.problem);
        return;
    }
    takePoints(check.points);
    grid.setCurrentCell(std::min(row, grid.rowCount() - 1), 0);
    parts_.stages.showFrameAgain();
    drawPoints(Qt::white);
}

void PointController::StringGrid1Click() {
    drawPoints(Qt::white);
}

void PointController::deleteNearestPoint(int x, int y) {
    if (!windows_.Multialignwindow->isVisible()) return;
    const int row = nearestPointRow(gridRows(), x, y, pipeline_.model().ImageWidth);
    if (row < 0) return;
    windows_.StringGrid1->setCurrentCell(row, 0);
    stringgrid1delrow();
}

// --- Point files ---------------------------------------------------------------------------------

bool PointController::writeGrid(const std::filesystem::path& path) {
    std::vector<PointRowText> rows = gridRows();
    std::erase_if(rows, [](const PointRowText& row) { return row.X.empty(); });
    const PointRowsCheck check =
        readPointRows(rows, pipeline_.model().ImageWidth, pipeline_.model().ImageHeight);
    if (!check.problem.empty()) {
        reportProblem(check.problem);
        return false;
    }
    try {
        pipeline_.writePointFile(path, parts_.page.PreviewSlider->Value(), check.points);
    } catch (const FileError& error) {
        reportProblem(error.what());
        return false;
    }
    return true;
}

void PointController::SavePointsClick() {
    SavePointDialog.InitialDir = parts_.page.DirectoryListBox1->Directory();
    SavePointDialog.FileName = proposedName(parts_.dialogs.SaveDialog1);
    if (!ports_.dialogs().Execute(SavePointDialog)) return;
    if (askOverwrite(ports_.messages(), SavePointDialog.FileName,
                     " Overwrite existing alignmentpointsettings ?") != mrYes)
        return;
    writeGrid(SavePointDialog.FileName);
}

void PointController::LoadpointsClick() {
    if (!inputLoaded()) return;
    LoadPointDialog.InitialDir = parts_.page.DirectoryListBox1->Directory();
    LoadPointDialog.FileName = proposedName(parts_.dialogs.SaveDialog1);
    if (!ports_.dialogs().Execute(LoadPointDialog)) return;
    PointFileContent content;
    try {
        content = pipeline_.readPointFile(LoadPointDialog.FileName);
    } catch (const FileError& error) {
        reportProblem(error.what());
        return;
    }
    takePointFile(content);
}

void PointController::takePointFile(const PointFileContent& content) {
    AlignPage& page = parts_.page;
    pipeline_.markReferenceReady();
    page.Alignbutton->setEnabled(true);
    markButton(*page.Showbuttonp1, *page.Alignbutton);
    if (content.frameNumber >= 0 && content.frameNumber <= page.PreviewSlider->MaxValue())
        page.PreviewSlider->setValue(content.frameNumber);
    takePoints(content.points);
    if (!content.problems.empty()) reportProblem(content.problems);
    if (!content.points.empty()) {
        const int item = fftItemForSize(content.points.front().FFTSize);
        if (item != page.FFTsizeGroup->ItemIndex()) {
            page.FFTsizeGroup->setItemIndex(item);
            alignment_.boxSizeChosen();
        }
    }
    drawPoints(Qt::white);
}

void PointController::SaveTempPointFile() {
    const std::filesystem::path& folder = pipeline_.input().inputFolder;
    if (!folder.empty()) writeGrid(folder / TempPointFile);
    parts_.page.Alignbutton->setEnabled(true);
    windows_.Multialignwindow->hide();
    pipeline_.closePointPlacing();
}

// --- Zones, reset, countdown, toggles ------------------------------------------------------------

void PointController::ResetalignpointsClick() {
    TPCheck& check = *windows_.Resetalignpoints;
    if (!check.Checked()) return;
    const std::uint16_t answer = ports_.messages().ask(
        mtConfirmation, "Reset alignment ",
        "This will reset all alignmentpoints to the initial values for alignmentpoint 1", mbYesNo, mrNo);
    if (answer == mrYes && pipeline_.alignPoints().Alignpoints >= 2)
        pipeline_.resetShiftsToFirstPoint(parts_.page.PreviewSlider->MaxValue());
    check.setChecked(false);
}

void PointController::AlignmentzonesClick() {
    if (windows_.Alignmentzones->Checked()) drawPoints(Qt::white);
}

void PointController::Timer1Timer() {
    int& timeLeft = ports_.shell.view.TimeLeft;
    timeLeft = std::max(timeLeft - windows_.Timer1->interval(), 0);
    windows_.Multialigntimer->setText(QString::fromStdString(timeLeftText(timeLeft)));
}

void PointController::FreeboxClick() {
    pipeline_.setFreeBox(parts_.page.Freebox->Checked());
    parts_.page.BoxOutline->hide();
    parts_.stages.showFrameAgain();
}

void PointController::AlignmentsChange() {
    parts_.stages.showFrameAgain();
}

void PointController::ShowalignpointsClick() {
    parts_.stages.renderAgain();
}

// --- The multi-point setup ----------------------------------------------------------------------

void PointController::Multialignsetup() {
    // "Multipoint" chosen again while the points are placed starts nothing new.
    if (settingUp_) return;
    const LongOperation operation(ports_.operations);
    if (!operation) return;
    const QScopedValueRollback settingUp(settingUp_, true);
    const AlignmentPoints& points = pipeline_.alignPoints();
    AlignPage& page = parts_.page;
    ports_.progress().setCancelRequested(false);
    windows_.Multialigntimer->clear();
    const bool multiQuantity = parts_.optimizePage.multiQuantity();
    page.Freebox->setChecked(false);
    pipeline_.startPlacingPoints();
    windows_.Multialignwindow->show();
    windows_.Multialignwindow->raise();
    takePoints({});
    windows_.MaxDist->setValue(pipeline_.boxSide() / 2);
    takeRememberedPoints();

    const bool manualAlign = page.Manualalignbox->Checked();
    bool aligned = false;
    {
        // Nothing runs by itself while the points are placed and aligned; the user's choice comes
        // back however that ends.
        TPCheck& automatic = *page.Autoprocess;
        const ScopeExit automaticBack(
            [&automatic, chosen = automatic.Checked()] { automatic.setChecked(chosen); });
        automatic.setChecked(false);
        placePoints();
        // The points placed before a cancel are aligned all the same.
        ports_.progress().setCancelRequested(false);
        parts_.stages.showFrameAgain();
        // The grid holds the points (after a 100th click Alignpoints stands at 99 with 99 points).
        const int count = std::min(windows_.StringGrid1->rowCount(), MaxAlignPoints);
        if (points.Alignpoints <= 1 || count < 1) return;
        if (!mayRunPassOverResult(pipeline_, ports_, parts_.stages, PassOverResult::Align)) {
            // The stack stays; the points come back when "Multipoint" is chosen again.
            SaveTempPointFile();
            return;
        }
        aligned = alignPlacedPoints(count, multiQuantity, manualAlign);
    }
    if (!aligned || !automaticProcessing(page, pipeline_)) return;
    // "Automatic processing": the limit, then the points' optimizer, which stacks and processes.
    parts_.stages.limitFrames();
    if (!ports_.CancelRequested()) parts_.stages.optimizeAlignPoints();
}

// The reference for point p taken at (x, y) with box item `item`.
PointReference PointController::referenceAt(int p, int x, int y, int item) {
    AlignPage& page = parts_.page;
    if (item >= 0 && item != page.FFTsizeGroup->ItemIndex()) {
        page.FFTsizeGroup->setItemIndex(item);
        alignment_.boxSizeChosen();
    }
    pipeline_.takeFeatureAt(x, y);
    alignment_.referenceAgain();
    return pipeline_.pointReference(p, alignment_.alignOptions());
}

void PointController::takeRememberedPoints() {
    const std::filesystem::path& folder = pipeline_.input().inputFolder;
    if (folder.empty()) return;
    std::error_code ignored;
    TFileDialog& saved = parts_.dialogs.SaveDialog1;
    if (std::filesystem::exists(folder / TempPointFile, ignored)) saved.FileName = "temp";
    const std::string name = saved.FileName.filename().string();
    if (name.empty()) return;
    std::filesystem::path file = folder / (name + ".KAP");
    // The temporary file keeps its own spelling where file names tell case apart.
    if (!std::filesystem::exists(file, ignored) && name == "temp") file = folder / TempPointFile;
    if (!std::filesystem::exists(file, ignored)) return;
    try {
        takePointFile(pipeline_.readPointFile(file));
    } catch (const FileError& error) {
        reportProblem(error.what());
    }
}

void PointController::placePoints() {
    const AlignmentPoints& points = pipeline_.alignPoints();
    AlignPage& page = parts_.page;
    for (;;) {
        page.Manualalignbox->setChecked(false);
        pipeline_.readyForPointPick();
        // The charts of the last pick would cover the points' window; it stays in front.
        for (ToolWindow* chart : {parts_.tools.FFTWindow, parts_.tools.Registrationgraphwindow})
            chart->hide();
        windows_.Multialignwindow->raise();
        page.PreviewImage->setCursor(Qt::CrossCursor);
        drawPoints(Qt::white);
        // A click on the preview picks the next point; the Align button ends the placing.
        if (pipeline_.state().BatchMode) pipeline_.haltPointPlacing();
        while (!pipeline_.registration().FeatureChosen && !points.StopPlacing && !ports_.CancelRequested() &&
               !ports_.operations.closing()) {
            const LongOperations::Pump wait(ports_.operations, LongOperations::PumpKind::Wait);
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        page.Alignbutton->setEnabled(true);
        markButton(*page.Showbuttonp1, *page.Alignbutton);
        if (!points.StopPlacing && pipeline_.registration().FeatureChosen) addPickedPoint();
        // With every number taken (placed, loaded or estimated) the next pick takes point 99's.
        if (points.Alignpoints == MaxAlignPoints + 1) {
            ports_.messages().warn("Maximum alignmentpoints used",
                                   "next alignmentpoint will overwrite the last");
            pipeline_.setPointCount(MaxAlignPoints);
        }
        if (ports_.CancelRequested() || ports_.operations.closing()) {
            windows_.Multialignwindow->hide();
            page.Alignbutton->setEnabled(true);
            pipeline_.haltPointPlacing();
        }
        if (points.StopPlacing) break;
    }
    page.PreviewImage->unsetCursor();
}

// The picked feature becomes point Alignpoints (the next free number); once all 99 are taken
// it replaces point 99, never adding a 100th.
void PointController::addPickedPoint() {
    const PointRowsCheck check =
        readPointRows(gridRows(), pipeline_.model().ImageWidth, pipeline_.model().ImageHeight);
    if (!check.problem.empty()) {
        reportProblem(check.problem);
        return;
    }
    std::vector<AlignPoint> placed = check.points;
    const AlignPoint picked{pipeline_.state().FeatureX, pipeline_.state().FeatureY, pipeline_.boxSide()};
    const auto index =
        static_cast<std::size_t>(std::min(pipeline_.alignPoints().Alignpoints, MaxAlignPoints) - 1);
    if (index < placed.size())
        placed[index] = picked;
    else
        placed.push_back(picked);
    takePoints(placed);
    parts_.stages.showFrameAgain();
}

// Each point's area, and its line in the list.
void PointController::takeThumbnails(int count) {
    // The Stack page's list of the points, where each is ticked for the stack or not.
    parts_.frameWindows.listPoints(count);
    ImageList1.clear();
    const QImage frame = bitmapView(pipeline_.input().PreviewBitmap);
    for (int p = 1; p <= count; ++p) {
        pipeline_.enablePoint(p, true);
        ImageList1.push_back(
            alignmentArea(frame, pipeline_.alignPoints().PointPos[static_cast<std::size_t>(p)]));
    }
}

void PointController::showBoxArea(int x, int y) {
    ImageList1.assign(1, alignmentArea(bitmapView(pipeline_.input().PreviewBitmap), {x, y}));
    showArea(0);
    parts_.tools.Zoomwindow->raise();
}

void PointController::showArea(std::size_t index) {
    windows_.zoomimage->setPixmap(QPixmap::fromImage(ImageList1[index]));
    parts_.tools.Zoomwindow->show();
}

bool PointController::alignPlacedPoints(int count, bool multiQuantity, bool manualAlign) {
    AlignPage& page = parts_.page;
    ToolWindow& progressWindow = *parts_.tools.MultiAlignprogresswindow;
    ToolWindow& zoom = *parts_.tools.Zoomwindow;
    progressWindow.show();
    progressWindow.raise();
    windows_.MultiAlignProgressbar->setMaximum(count);
    windows_.MultiAlignProgressbar->setValue(0);
    pipeline_.setPointCount(count);
    takeThumbnails(count);
    windows_.Alignments->setValue(count);
    PlacedPointsOptions options;
    options.count = count;
    options.multiQuantity = multiQuantity;
    options.manualAlign = manualAlign;
    // The frames are not ranked while points are placed: the position shown is the frame itself.
    options.referenceFrame = page.PreviewSlider->Value();
    options.lastFrame = pipeline_.input().lastIndex;
    pipeline_.alignPointsOnFrame(options.referenceFrame);
    windows_.Multialignwindow->hide();
    parts_.tools.Registrationgraphwindow->show();
    parts_.tools.Registrationgraphwindow->raise();

    windows_.Multialigntimer->clear();
    const AlignmentPassResult pass = pipeline_.alignPlacedPoints(options, *this, ports_.progress());
    windows_.stopCountdown();
    progressWindow.hide();
    zoom.setWindowTitle("Zoom");
    zoom.hide();
    const bool finished = pass.end == PassEnd::Finished;
    if (finished) {
        // The distance between points 1 and 2 in every frame; none with a single point.
        windows_.showPointDistances(pass.pointDistances);
        if (!pass.pointDistances.empty() && page.graphWindowChosen()) parts_.tools.AngleDist->show();
    }
    alignment_.passEnded(pass);
    return finished;
}

void PointController::pointStarting(int p) {
    parts_.tools.MultiAlignprogresswindow->setWindowTitle("Aligning point #" + QString::number(p));
    parts_.tools.Zoomwindow->setWindowTitle("Alignment area " + QString::number(p));
    showArea(static_cast<std::size_t>(p) - 1);
}

void PointController::pointsDone(int done) {
    windows_.MultiAlignProgressbar->setValue(done);
}

AlignmentPassResult PointController::alignReferences(std::vector<PointReference>& references,
                                                     bool manualAlign) {
    AlignPage& page = parts_.page;
    page.glPageControl1->setEnabled(false);
    parts_.tabs.setEnabled(false);
    // While the frames are aligned on the references taken, the progress window counts the frames
    // and names the points, and the registration graph's window says that the pass runs.
    QProgressBar& bar = *windows_.MultiAlignProgressbar;
    const int pointsTaken = bar.maximum();
    const ScopeExit pointsCountAgain([&bar, pointsTaken] { bar.setMaximum(pointsTaken); });
    parts_.tools.MultiAlignprogresswindow->setWindowTitle(
        references.size() == 1 ? "Aligning point #" + QString::number(references.front().point)
                               : "Aligning " + QString::number(references.size()) + " alignmentpoints");
    parts_.tools.Registrationgraphwindow->setWindowTitle(
        QString::fromStdString("Initial alignment running " + pipeline_.optimizer().RegistrationCaption));
    AlignmentPassResult pass;
    try {
        const AlignmentPassOptions options = alignment_.passOptions();
        AlignPorts ports = window_.ports();
        windows_.startPointProgress(options.lastFrame + 1);
        PassCountdown countdown(windows_, ports_.shell.view, options.lastFrame + 1);
        window_.watchAlignedFrames([&countdown](int frame) { countdown.frameAligned(frame); });
        const ScopeExit unwatch([this] { window_.watchAlignedFrames({}); });
        pass = pipeline_.alignPoints(references, manualAlign, options,
                                     readSourceOptions(parts_.page, pipeline_), ports);
    } catch (const KestraveError& error) {
        ports_.messages().error("Error", error.what());
        pass.end = PassEnd::Failed;
    }
    page.glPageControl1->setEnabled(true);
    parts_.tabs.setEnabled(true);
    return pass;
}

}  // namespace kestrave
