#include "shell/controllers/sigma_controller.h"

#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>
#include <system_error>

#include "platform/errors.h"
#include "shell/controllers/stack_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/sigma_events_window.h"
#include "shell/pages/stack_page.h"
#include "shell/shell_ports.h"
#include "shell/tool_windows.h"
#include "stacking/sigma_event_values.h"
#include "stacking/stack_result.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace fs = std::filesystem;

namespace {

// Events are circled with this radius, events and box drawn in yellow.
constexpr int EventCircleRadius = 20;
const QColor EventColour(255, 255, 0);

int roundedValue(const TRxSpinEdit& spin) {
    return static_cast<int>(std::nearbyint(std::clamp(static_cast<double>(spin.Value()), -1e9, 1e9)));
}

// Events are shown when their ratio exceeds the window's sigma factor x 100.
double eventThreshold(const SigmaEventsWindow& window) {
    return window.eventSigma() * 100.0;
}

void fillList(QListWidget& list, const std::vector<std::string>& lines) {
    const QSignalBlocker quiet(&list);
    list.clear();
    for (const std::string& line : lines) list.addItem(QString::fromStdString(line));
}

}  // namespace

SigmaController::SigmaController(const SigmaControllerParts& parts)
    : SaveBoxdialog(makeFileDialog(TFileDialog::Kind::Save, "Kestrave SigmaEventbox|*.ksb", "ksb")),
      Loadboxdialog(makeFileDialog(TFileDialog::Kind::Open, "Kestrave Sigmaeventbox|*.ksb", "ksb")),
      parts_(parts) {
    const SigmaEventsWindow& window = parts.sigmaEventsWindow;
    connect(&parts.stackPage, &StackPage::sigmaStackRequested, this,
            &SigmaController::StatisticalstackbuttonClick);
    connect(&parts.stackPage, &StackPage::sigmaEventsRequested, this,
            &SigmaController::Recordingbutton1Click);
    connect(window.Start, &QPushButton::clicked, this, &SigmaController::StartClick);
    connect(window.LoaDevent, &QPushButton::clicked, this, &SigmaController::Button4Click);
    connect(window.Sigmalist, &QListWidget::currentRowChanged, this, &SigmaController::SigmalistClick);
    connect(window.Showframe, &QPushButton::clicked, this, &SigmaController::ShowframeClick);
    connect(window.Sigmaeventsigma, &TRxSpinEdit::OnChange, this, &SigmaController::SigmaeventsigmaChange);
    connect(window.SigmaEdge, &TRxSpinEdit::OnChange, this, &SigmaController::SigmaEdgechange);
    for (TRxSpinEdit* edge :
         {window.Sigmaboxtop, window.Sigmaboxleft, window.Sigmaboxright, window.Sigmaboxbottom})
        connect(edge, &TRxSpinEdit::OnChange, this, &SigmaController::SigmaboxtopChange);
    connect(window.NextFrame, &QPushButton::clicked, this, &SigmaController::NextFrameClick);
    connect(window.PreviousFrame, &QPushButton::clicked, this, &SigmaController::PreviousFrameClick);
    connect(window.Saveedgebox, &QPushButton::clicked, this, &SigmaController::SaveedgeboxClick);
    connect(window.Loadedgebox, &QPushButton::clicked, this, &SigmaController::LoadedgeboxClick);
}

SigmaController::~SigmaController() = default;

bool SigmaController::savedListExists() const {
    const fs::path saved = parts_.pipeline.savedSigmaEvents();
    std::error_code error;
    return !saved.empty() && fs::exists(saved, error);
}

template <class Read>
auto SigmaController::fromSavedList(Read&& read) -> std::optional<decltype(read())> {
    try {
        return read();
    } catch (const FileError& error) {
        parts_.ports.messages().error("Sigma events", error.what());
        return std::nullopt;
    }
}

void SigmaController::StatisticalstackbuttonClick() {
    runSigmaStack();
}

bool SigmaController::runSigmaStack() {
    parts_.ports.progress().setCancelRequested(false);
    if (parts_.stackPage.resampled() || parts_.stackPage.drizzling()) {
        if (parts_.ports.messages().ask(
                mtInformation, "Not available option",
                " Drizzling/Resampling is not available during sigma-clipping, continue ?", mbYesNo,
                mrYes) != mrYes)
            return false;
        parts_.stackPage.dropResamplingAndDrizzling();
        // The resampling controls hide; the wavelet page's Drizzle2 follows Drizzling.
        parts_.stack.ResampledClick();
    }

    const SigmaEventsWindow& window = parts_.sigmaEventsWindow;
    StackOptions options = parts_.stack.readStackOptions();
    options.Recordsigma = window.Recordsigma->Checked();
    if (options.Recordsigma) {
        // A recording run clips with the window's factor (up to 10, beyond the page's 8).
        options.Statisticspin = static_cast<float>(window.Sigmaeventsigma->Value());
        options.Lowpixdetect = static_cast<float>(window.Lowpixdetect->Value());
        options.SigmaBoxTop = static_cast<float>(window.Sigmaboxtop->Value());
        options.SigmaBoxLeft = static_cast<float>(window.Sigmaboxleft->Value());
        options.SigmaBoxRight = static_cast<float>(window.Sigmaboxright->Value());
        options.SigmaBoxBottom = static_cast<float>(window.Sigmaboxbottom->Value());
        options.INCLEXCLbox = window.INCLEXCLbox->ItemIndex() == 1 ? 1 : 0;
    }
    parts_.stackPage.setSigmaStackRunning(true);
    SigmaStackRun sigma;
    const fs::path log = parts_.pipeline.sigmaEventLog();
    parts_.stack.runStack(options, [&](const StackOptions& run, FrameSource& frames) {
        SigmaStackEnd stage = parts_.pipeline.makeSigmaStack(run, frames, parts_.ports.progress(),
                                                             parts_.ports.messages(), log);
        sigma = std::move(stage.passes);
        return stage.end;
    });
    parts_.stackPage.setSigmaStackRunning(false);
    // The list holds the frames of this run once its clipped pass started.
    if (options.Recordsigma && sigma.finalRan) fillList(*window.Sigmalist, sigma.Sigmalist);
    parts_.stackPage.updateStackImage();
    return sigma.recorded;
}

void SigmaController::Recordingbutton1Click() {
    SigmaEdgechange();
    ToolWindow& window = *parts_.tools.Sigmaevents;
    window.show();
    window.raise();
    parts_.sigmaEventsWindow.LoaDevent->setEnabled(savedListExists());
}

void SigmaController::StartClick() {
    const SigmaEventsWindow& window = parts_.sigmaEventsWindow;
    window.Recordsigma->setChecked(true);
    const bool recorded = runSigmaStack();
    window.Recordsigma->setChecked(false);
    // Only a complete run's log is kept, and only the input's first.
    if (recorded) {
        try {
            parts_.pipeline.keepSigmaEvents();
        } catch (const FileError& error) {
            parts_.ports.messages().error("Sigma events", error.what());
        }
    }
    window.LoaDevent->setEnabled(savedListExists());
    Button4Click();
}

void SigmaController::Button4Click() {
    if (!savedListExists()) return;
    const SigmaEventsWindow& window = parts_.sigmaEventsWindow;
    const double threshold = eventThreshold(window);
    const std::optional<std::vector<std::string>> lines =
        fromSavedList([&] { return parts_.pipeline.sigmaEventList(threshold); });
    if (!lines) return;
    fillList(*window.Sigmalist, *lines);
}

std::optional<int> SigmaController::chosenFrame() const {
    const QListWidgetItem* item = parts_.sigmaEventsWindow.Sigmalist->currentItem();
    if (!item) return std::nullopt;
    try {
        return listLineFrame(item->text().toStdString());
    } catch (const std::invalid_argument& error) {
        parts_.ports.messages().error("Sigma events", error.what());
        return std::nullopt;
    }
}

void SigmaController::SigmalistClick() {
    // A line that names no frame is left alone.
    const std::optional<int> frame = chosenFrame();
    if (!frame) return;
    const SigmaEventsWindow& window = parts_.sigmaEventsWindow;
    const std::vector<std::string> lines = fromSavedList([&] {
                                               return parts_.pipeline.sigmaFrameEvents(*frame);
                                           }).value_or(std::vector<std::string>{});
    fillList(*window.Eventlist, lines);
    if (window.AutoFrame->Checked()) ShowframeClick();
}

void SigmaController::ShowframeClick() {
    const std::optional<int> frame = chosenFrame();
    if (!frame) return;
    const SigmaEventsWindow& window = parts_.sigmaEventsWindow;
    const int rank = parts_.pipeline.sigmaEventRank(*frame - 1);
    ShownEventFrame = *frame - 1;
    const double threshold = eventThreshold(window);
    const std::vector<EventMark> marks = fromSavedList([&] {
                                             return parts_.pipeline.sigmaEventMarks(*frame, threshold);
                                         }).value_or(std::vector<EventMark>{});

    parts_.stack.StackSliderChange();
    if (rank >= 0) parts_.pipeline.setStackCount(rank);
    drawOnStackimage([&marks](QPainter& painter) {
        for (const EventMark& mark : marks)
            painter.drawEllipse(QPoint(mark.X, mark.Y), EventCircleRadius, EventCircleRadius);
    });
    window.CurrentEventnumber->setText("Events " + QString::number(marks.size()));
}

void SigmaController::SigmaeventsigmaChange() {
    QListWidget& list = *parts_.sigmaEventsWindow.Sigmalist;
    if (list.count() == 0) return;
    if (savedListExists()) {
        // The lines are marked anew against the new factor; the chosen line stays chosen.
        const int row = list.currentRow();
        Button4Click();
        const QSignalBlocker quiet(&list);
        list.setCurrentRow(row);
    }
    if (list.currentRow() >= 0) SigmalistClick();
}

void SigmaController::SigmaEdgechange() {
    const SigmaEventsWindow& window = parts_.sigmaEventsWindow;
    const FrameModel& model = parts_.pipeline.model();
    const int e = roundedValue(*window.SigmaEdge);
    setBoxEdges(e, e, model.ImageWidth - e, model.ImageHeight - e);
}

void SigmaController::setBoxEdges(int top, int left, int right, int bottom) {
    const SigmaEventsWindow& window = parts_.sigmaEventsWindow;
    {
        // One redraw for the four edges.
        const QSignalBlocker quietTop(window.Sigmaboxtop);
        const QSignalBlocker quietLeft(window.Sigmaboxleft);
        const QSignalBlocker quietRight(window.Sigmaboxright);
        const QSignalBlocker quietBottom(window.Sigmaboxbottom);
        window.Sigmaboxtop->setValue(top);
        window.Sigmaboxleft->setValue(left);
        window.Sigmaboxright->setValue(right);
        window.Sigmaboxbottom->setValue(bottom);
    }
    SigmaboxtopChange();
}

void SigmaController::SigmaboxtopChange() {
    const SigmaEventsWindow& window = parts_.sigmaEventsWindow;
    parts_.stack.StackSliderChange();
    const QRect box(QPoint(roundedValue(*window.Sigmaboxleft), roundedValue(*window.Sigmaboxtop)),
                    QPoint(roundedValue(*window.Sigmaboxright), roundedValue(*window.Sigmaboxbottom)));
    drawOnStackimage([&box](QPainter& painter) { painter.drawRect(box); });
}

void SigmaController::drawOnStackimage(const std::function<void(QPainter&)>& draw) {
    parts_.stackPage.drawOnStackImage([&draw](QPainter& painter) {
        painter.setPen(EventColour);
        painter.setBrush(Qt::NoBrush);
        draw(painter);
    });
}

void SigmaController::showFrameAtRank(int frame) {
    const int rank = parts_.pipeline.sigmaEventRank(frame);
    if (rank >= 0) parts_.pipeline.setStackCount(rank);
}

void SigmaController::NextFrameClick() {
    if (ShownEventFrame > parts_.pipeline.input().browseLast - 1) return;
    showFrameAtRank(++ShownEventFrame);
}

void SigmaController::PreviousFrameClick() {
    if (ShownEventFrame < 1) return;
    showFrameAtRank(--ShownEventFrame);
}

void SigmaController::SaveedgeboxClick() {
    SaveBoxdialog.InitialDir = parts_.pipeline.folders().directory;
    if (!parts_.ports.dialogs().Execute(SaveBoxdialog)) return;
    if (askOverwrite(parts_.ports.messages(), SaveBoxdialog.FileName, " overwrite existing boxsettings ?") !=
        mrYes)
        return;
    const SigmaEventsWindow& window = parts_.sigmaEventsWindow;
    SigmaBox box;
    box.Type = window.INCLEXCLbox->ItemIndex() == 1 ? 1 : 0;
    box.Top = roundedValue(*window.Sigmaboxtop);
    box.Bottom = roundedValue(*window.Sigmaboxbottom);
    box.Left = roundedValue(*window.Sigmaboxleft);
    box.Right = roundedValue(*window.Sigmaboxright);
    try {
        parts_.pipeline.writeSigmaBox(SaveBoxdialog.FileName, box);
    } catch (const FileError& failure) {
        parts_.ports.messages().error("Save Box", failure.what());
    }
}

void SigmaController::LoadedgeboxClick() {
    Loadboxdialog.InitialDir = parts_.pipeline.folders().directory;
    if (!parts_.ports.dialogs().Execute(Loadboxdialog)) return;
    SigmaBox box;
    try {
        box = parts_.pipeline.readSigmaBox(Loadboxdialog.FileName);
    } catch (const FileError& failure) {
        parts_.ports.messages().error("Load Box", failure.what());
        return;
    }
    parts_.sigmaEventsWindow.INCLEXCLbox->setItemIndex(box.Type);
    setBoxEdges(box.Top, box.Left, box.Right, box.Bottom);
}

}  // namespace kestrave
