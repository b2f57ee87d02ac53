#include "shell/controllers/align_window.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>

#include "frames/frame_positions.h"
#include "shell/area_stages.h"
#include "shell/controllers/align_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/page_controls.h"
#include "shell/pages/registration_windows.h"
#include "shell/shell_ports.h"
#include "shell/tool_windows.h"
#include "shell/window_entry_points.h"
#include "widgets/bitmap_view.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

AlignWindow::AlignWindow(const AlignControllerParts& parts)
    : parts_(parts),
      pipeline_(parts.pipeline),
      ports_(parts.ports),
      pacer_(unattendedWindow(*parts.page.window(), [this] { return pipeline_.state().BatchMode; })) {}

AlignWindow::~AlignWindow() {
    setCursor(AlignCursor::Default);
}

AlignPorts AlignWindow::ports() {
    return AlignPorts{ports_.messages(), ports_.progress(), *this, *this};
}

// --- The reference ----------------------------------------------------------------------------

void AlignWindow::showFrame(int position) {
    TRxSlider& slider = *parts_.page.PreviewSlider;
    {
        const QSignalBlocker quiet(&slider);
        slider.setValue(position);
    }
    parts_.stages.showFrameAgain();
}

void AlignWindow::applyAutomaticValues(const AutomaticFilterValues& values) {
    const bool fftArmed = pipeline_.registration().FFTFilterArmed;
    const bool qualityArmed = pipeline_.registration().QualityFilterArmed;
    pipeline_.setFilterArming(false, false);
    AlignPage& page = parts_.page;
    if (values.FFTFilter) page.FFTFilterspin->setValue(*values.FFTFilter);
    if (values.QualityFilter) page.QualityFilter->setValue(*values.QualityFilter);
    if (values.QualFilterDX) page.QualFilterDX->setValue(*values.QualFilterDX);
    pipeline_.setFilterArming(fftArmed, qualityArmed);
}

void AlignWindow::featureAccepted() {
    AlignPage& page = parts_.page;
    page.Showbutton->hide();
    markButton(*page.Showbuttonp1, *page.Alignbutton);
    page.Framelabel->hide();
    showSpectrumUndefined();
    page.ShowGraphbox->setChecked(true);
    // The picked frame's picture, whole, until the optimizer shows its windows there.
    parts_.optimizePage.showAlignPicture(page.previewPicture());
    parts_.tools.FFTWindow->hide();
    parts_.tools.Registrationgraphwindow->hide();
}

void AlignWindow::referenceComputedOnce() {
    parts_.page.ShowFFTbox->setChecked(true);
}

// --- The alignment's view ---------------------------------------------------------------------

void AlignWindow::setCursor(AlignCursor cursor) {
    if (cursor == AlignCursor::Default) {
        if (overriding_) QApplication::restoreOverrideCursor();
        overriding_ = false;
        return;
    }
    const QCursor shape(cursor == AlignCursor::Cross ? Qt::CrossCursor : Qt::WaitCursor);
    if (overriding_)
        QApplication::changeOverrideCursor(shape);
    else
        QApplication::setOverrideCursor(shape);
    overriding_ = true;
}

void AlignWindow::showCorrelationSurface(const Bitmap24& picture) {
    showSpectrum(picture);
}

void AlignWindow::hideSpectrumWindow() {
    parts_.tools.FFTWindow->hide();
}

void AlignWindow::showClickFrame(const Bitmap24& picture) {
    showPreview(bitmapView(picture));
}

void AlignWindow::hideAlignmentWindows() {
    for (ToolWindow* window :
         {parts_.tools.FFTWindow, parts_.tools.Registrationgraphwindow, parts_.tools.RegiStration2})
        window->hide();
}

void AlignWindow::restoreAlignmentWindows() {
    if (parts_.page.ShowFFTbox->Checked()) parts_.tools.FFTWindow->show();
    if (parts_.page.ShowGraphbox->Checked())
        for (ToolWindow* window : {parts_.tools.Registrationgraphwindow, parts_.tools.RegiStration2})
            window->show();
}

void AlignWindow::frameDeselected(int frame) {
    int position = frame;
    if (pipeline_.model().FramesRanked) {
        for (int rank = 0; rank <= MaxFrameIndex; ++rank) {
            if (pipeline_.model().FrameRanking[rank].Frame != frame) continue;
            position = rank;
            break;
        }
    }
    QListWidget& list = *parts_.frameWindows.SelectFramesChecklist;
    if (QListWidgetItem* entry = list.item(position)) {
        const QSignalBlocker quiet(&list);
        entry->setCheckState(Qt::Unchecked);
    }
}

void AlignWindow::ignoreMisalignedChecked() {
    parts_.page.Ignoredefault->setChecked(true);
}

void AlignWindow::showSegmentPosition(int position) {
    parts_.page.PreviewSlider->setValue(position);
}

// The aligned box (unless the feature was clicked), with a small circle at its centre for a
// single input file, and for the spectral methods a circle around the feature.
void AlignWindow::frameAligned(const AlignedFrameView& view) {
    if (frameWatch_) frameWatch_(view.frame);
    const bool paced = pipeline_.alignment().InAlignPass && pacer_.unattended();
    // An unattended pass may hand frames it read only in part: the view waits for a whole one.
    const bool whole = view.picture != nullptr && !view.picture->empty();
    if (paced && (!whole || !pacer_.due())) return;
    RegistrationWindows& charts = parts_.registrationWindows;
    TChart& chart = *parts_.frameWindows.Chart8;
    // A frame's power spectrum replaces the run's curves: the correlation curve goes with them.
    if (!view.readout.spectrum.empty()) {
        charts.Series5->Assign(view.readout.spectrum);
        charts.Series8->Clear();
    }
    chart.BottomAxis.Increment = view.readout.bottomIncrement;
    chart.setTitle(QString::fromStdString(view.readout.title));
    if (view.picture == nullptr || view.picture->empty()) return;
    // The window shows what was drawn only when the pass lets events through, every tenth frame;
    // drawing the frames between would only cost time.
    if (!paced && pipeline_.alignment().InAlignPass && alignedInPass_++ % 10 != 0) return;

    QImage picture = bitmapView(*view.picture).copy();
    QPainter painter(&picture);
    painter.setPen(Qt::white);
    if (!view.clicked) {
        painter.drawRect(view.boxLeft, view.boxTop, view.boxSize, view.boxSize);
        const QPoint centre(view.boxLeft + view.boxSize / 2, view.boxTop + view.boxSize / 2);
        if (pipeline_.model().avicount == 0) painter.drawEllipse(centre, 5, 5);
        // The dragged free box, moved with the frame; its right and bottom edges lie just inside
        // the corners the mouse left.
        const TEdgeRect dragged = orderedCorners(ports_.shell.view.BoxMark);
        if (view.freeBox && dragged.Left != -1)
            painter.drawRect(dragged.Left + view.shiftX, dragged.Top + view.shiftY,
                             dragged.Right - dragged.Left - 1, dragged.Bottom - dragged.Top - 1);
    }
    if (view.spectral) {
        painter.drawEllipse(QPoint(view.featureX, view.featureY), 15, 15);
        painter.drawPoint(view.featureX, view.featureY);
    }
    painter.end();
    showPreview(picture);
}

// Nobody watches an unattended pass: the chart, drawn a few times per second, needs the spectrum
// of few frames, and the frames between skip working it out.
int AlignWindow::framesPerSpectrum() const {
    constexpr int UnattendedFramesPerSpectrum = 25;
    return pacer_.unattended() ? UnattendedFramesPerSpectrum : 1;
}

void AlignWindow::boxOffscreen() {
    TChart& chart = *parts_.frameWindows.Chart8;
    chart.textOut(180, 40, "!! ALIGNMENTBOX OFFSCREEN !!");
    chart.textOut(180, 55, "!! ESTIMATOR DISABLED     !!");
}

void AlignWindow::showPreview(const QImage& picture) {
    parts_.page.showInPreview(picture, ports_.shell.PreviewFitted);
}

void AlignWindow::showSpectrumUndefined() {
    parts_.registrationWindows.showSpectrumUndefined();
}

void AlignWindow::showSpectrum(const Bitmap24& spectrum) {
    QLabel& picture = *parts_.registrationWindows.imgFFT;
    picture.setPixmap(QPixmap::fromImage(bitmapView(spectrum).scaled(picture.size())));
}

}  // namespace kestrave
