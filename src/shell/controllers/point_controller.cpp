#include "shell/controllers/point_controller.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <cmath>

#include "platform/bitmap24.h"
#include "registration/point_estimator.h"
#include "registration/point_file.h"
#include "registration/voronoi_diagram.h"
#include "shell/application_context.h"
#include "shell/controllers/align_controller.h"
#include "shell/controllers/align_window.h"
#include "shell/controllers/input_controller.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/main_form.h"
#include "shell/pages/align_page.h"
#include "shell/pages/page_controls.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/point_windows.h"
#include "shell/pages/stack_page.h"
#include "shell/tool_windows.h"
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

QString cellText(const QTableWidget& grid, int row, int column) {
    const QTableWidgetItem* item = grid.item(row, column);
    return item ? item->text() : QString();
}

// The proposed point file: the name of the image saved last, with ".KAP" appended.
std::filesystem::path proposedName(const TFileDialog& saved) {
    const std::filesystem::path name = saved.FileName.filename();
    return name.empty() ? name : std::filesystem::path(name.string() + ".KAP");
}

}  // namespace

PointController::PointController(TMainForm& form, AlignWindow& window)
    : form_(form), app_(form.app), windows_(form.pointWindows), window_(window) {
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
    connect(form.alignPage->Freebox, &TPCheck::OnClick, this, &PointController::FreeboxClick);
    connect(form.alignPage->Showalignpoints, &TPCheck::OnClick, this, &PointController::ShowalignpointsClick);
    connect(form.stackPage->Multi, &TPCheck::OnClick, this, &PointController::MultiClick);
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
    return app_.state.ProcessStage >= TProcessStage::stInputLoaded && app_.input.source != nullptr;
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
    setAlignPoints(app_.alignPoints, points);
    windows_.Label52->setText("Alignmentpoints: " + QString::number(count));
}

void PointController::reportProblem(const std::string& text) {
    app_.messages().NewMessagedlg(PointsCaption, text, mtWarning, mbOK, 0, false, "");
}

void PointController::drawPoints(const QColor& pen) {
    if (app_.input.PreviewBitmap.empty()) return;
    const std::vector<PointRowText> rows = gridRows();
    std::vector<std::pair<int, AlignPoint>> points;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int number = static_cast<int>(r) + 1;
        const PointRowReading reading =
            readPointRow(number, rows[r], app_.model.ImageWidth, app_.model.ImageHeight);
        if (reading.point) points.emplace_back(number, *reading.point);
    }
    Bitmap24 frame = app_.input.PreviewBitmap;
    if (windows_.Alignmentzones->Checked()) {
        std::vector<DiagramPoint> sites;
        for (const auto& [number, point] : points)
            sites.push_back({static_cast<long double>(point.X), static_cast<long double>(point.Y)});
        drawPointZones(frame, sites);
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
    const int n = app_.fft.FFTSize;
    if (!inputLoaded() || n <= 0) return;
    const int md = static_cast<int>(std::lrint(windows_.MaxDist->Value()));
    setProcessStage(app_.state, TProcessStage::stReferenceReady);
    std::vector<AlignPoint> points;
    for (const PointXY& at : estimateAlignPoints(app_.input.PreviewBitmap, n, md))
        points.push_back({at.X, at.Y, n});
    takePoints(points);
    drawPoints(Yellow);
    AlignPage& page = *form_.alignPage;
    page.Alignbutton->setEnabled(true);
    markButton(*page.Showbuttonp1, *page.Alignbutton);
}

void PointController::ClearAlignmentpointsClick() {
    takePoints({});
    form_.input->PreviewSliderChange();
}

void PointController::stringgrid1delrow() {
    QTableWidget& grid = *windows_.StringGrid1;
    const int row = grid.currentRow();
    if (row < 0 || row >= grid.rowCount()) return;
    std::vector<PointRowText> rows = gridRows();
    rows.erase(rows.begin() + row);
    const PointRowsCheck check = readPointRows(rows, app_.model.ImageWidth, app_.model.ImageHeight);
    if (!check.problem.empty()) {
        reportProblem(check.problem);
        return;
    }
    takePoints(check.points);
    grid.setCurrentCell(std::min(row, grid.rowCount() - 1), 0);
    form_.input->PreviewSliderChange();
    drawPoints(Qt::white);
}

void PointController::StringGrid1Click() {
    drawPoints(Qt::white);
}

void PointController::deleteNearestPoint(int x, int y) {
    if (!windows_.Multialignwindow->isVisible()) return;
    const int row = nearestPointRow(gridRows(), x, y, app_.model.ImageWidth);
    if (row < 0) return;
    windows_.StringGrid1->setCurrentCell(row, 0);
    stringgrid1delrow();
}

// --- Point files ---------------------------------------------------------------------------------

bool PointController::writeGrid(const std::filesystem::path& path) {
    std::vector<PointRowText> rows = gridRows();
    std::erase_if(rows, [](const PointRowText& row) { return row.X.empty(); });
    const PointRowsCheck check = readPointRows(rows, app_.model.ImageWidth, app_.model.ImageHeight);
    if (!check.problem.empty()) {
        reportProblem(check.problem);
        return false;
    }
    try {
        writeAlignPointFile(path, form_.alignPage->PreviewSlider->Value(), check.points);
    } catch (const FileError& error) {
        reportProblem(error.what());
        return false;
    }
    return true;
}

void PointController::SavePointsClick() {
    SavePointDialog.InitialDir = form_.alignPage->DirectoryListBox1->Directory();
    SavePointDialog.FileName = proposedName(form_.dialogs.SaveDialog1);
    if (!app_.dialogs().Execute(SavePointDialog)) return;
    if (askOverwrite(app_.messages(), SavePointDialog.FileName,
                     " Overwrite existing alignmentpointsettings ?") != mrYes)
        return;
    writeGrid(SavePointDialog.FileName);
}

void PointController::LoadpointsClick() {
    if (!inputLoaded()) return;
    LoadPointDialog.InitialDir = form_.alignPage->DirectoryListBox1->Directory();
    LoadPointDialog.FileName = proposedName(form_.dialogs.SaveDialog1);
    if (!app_.dialogs().Execute(LoadPointDialog)) return;
    PointFileContent content;
    try {
        content = readAlignPointFile(LoadPointDialog.FileName, app_.model.ImageWidth, app_.model.ImageHeight);
    } catch (const FileError& error) {
        reportProblem(error.what());
        return;
    }
    AlignPage& page = *form_.alignPage;
    setProcessStage(app_.state, TProcessStage::stReferenceReady);
    page.Alignbutton->setEnabled(true);
    markButton(*page.Showbuttonp1, *page.Alignbutton);
    if (content.frameNumber >= 0 && content.frameNumber < page.PreviewSlider->MaxValue())
        page.PreviewSlider->setValue(content.frameNumber);
    takePoints(content.points);
    if (!content.problems.empty()) reportProblem(content.problems);
    if (!content.points.empty()) {
        const int item = fftItemForSize(content.points.front().FFTSize);
        if (item != page.FFTsizeGroup->ItemIndex()) {
            page.FFTsizeGroup->setItemIndex(item);
            form_.align->FFTsizeGroupClick();
        }
    }
    drawPoints(Qt::white);
}

void PointController::SaveTempPointFile() {
    const std::filesystem::path& folder = app_.input.inputFolder;
    if (!folder.empty()) writeGrid(folder / TempPointFile);
    form_.alignPage->Alignbutton->setEnabled(true);
    windows_.Multialignwindow->hide();
    AlignmentPoints& points = app_.alignPoints;
    points.MultiPointMode = false;
    points.StopPlacing = true;
    points.Alignpoints = 1;
}

// --- Zones, reset, countdown, toggles ------------------------------------------------------------

void PointController::ResetalignpointsClick() {
    TPCheck& check = *windows_.Resetalignpoints;
    if (!check.Checked()) return;
    const std::uint16_t answer = app_.messages().NewMessagedlg(
        "Reset alignment ", "This will reset all alignmentpoints to the initial values for alignmentpoint 1",
        mtConfirmation, mbYesNo, 0, false, "", mrNo);
    if (answer == mrYes && app_.alignPoints.Alignpoints >= 2)
        resetPointShifts(app_.model, app_.alignPoints.Alignpoints,
                         form_.alignPage->PreviewSlider->MaxValue());
    check.setChecked(false);
}

void PointController::AlignmentzonesClick() {
    if (windows_.Alignmentzones->Checked()) drawPoints(Qt::white);
}

void PointController::Timer1Timer() {
    int& left = app_.alignPoints.TimeLeft;
    left = std::max(left - windows_.Timer1->interval(), 0);
    windows_.Multialigntimer->setText(QString::fromStdString(timeLeftText(left)));
}

void PointController::FreeboxClick() {
    app_.alignPoints.FreeBox = form_.alignPage->Freebox->Checked();
    form_.alignPage->BoxOutline->hide();
    form_.input->PreviewSliderChange();
}

void PointController::MultiClick() {
    app_.alignPoints.MultiPointMode = form_.stackPage->Multi->Checked();
}

void PointController::AlignmentsChange() {
    form_.input->PreviewSliderChange();
}

void PointController::ShowalignpointsClick() {
    form_.wavelet->Layer1sliderChanged();
}

void PointController::Multialignsetup() {}

}  // namespace kestrave
