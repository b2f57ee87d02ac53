// Frame lists and dropped files: the handlers that save the checked frames as a list, take a
// list as the input or append it to the open series, empty the list, and take files dropped on
// the main window.

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <algorithm>
#include <optional>

#include "frames/frame_list_entries.h"
#include "frames/frame_positions.h"
#include "shell/busy_cursor.h"
#include "shell/controllers/input_controller.h"
#include "shell/message_routine.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/frame_windows.h"
#include "shell/shell_ports.h"
#include "shell/window_dialogs.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

constexpr char ListCaption[] = "Frame list";
constexpr char DropCaption[] = "Warning";

// A list's FITS and SER frames are stretched without asking; the TIFF stretch stays as it was.
InputTaking listTaking() {
    InputTaking how;
    how.fit = StretchRule::Stretch;
    how.tif = StretchRule::Keep;
    how.ser = StretchRule::Stretch;
    how.tooLarge = {"Frame size error", "BMP or JPEG too large  !!!!", mtError};
    return how;
}

InputTaking dropTaking() {
    InputTaking how;
    how.ser = StretchRule::Ask;
    how.tooLarge = {"Frame size error", "Bitmap too large  !!!!", mtError};
    how.dropped = true;
    return how;
}

// The frames a list names of `kind` (None: the kind of its first line); nothing, after a message,
// when it cannot be read or names none.
std::optional<FrameListEntries> listedFrames(const Pipeline& pipeline, MessageRoutine& messages,
                                             const std::filesystem::path& file, InputFilter kind) {
    FrameListEntries entries;
    try {
        entries = pipeline.listedFrames(file, kind);
    } catch (const FileError& error) {
        messages.error(ListCaption, error.what());
        return std::nullopt;
    }
    if (entries.files.empty()) {
        const std::string frames =
            kind == InputFilter::None ? "frames" : std::string(inputKindName(kind)) + " frames";
        messages.warn(ListCaption, "The list names no " + frames + ": " + file.string());
        return std::nullopt;
    }
    return entries;
}

void tellLeftOut(MessageRoutine& messages, const char* caption, std::size_t leftOut) {
    if (leftOut > 0)
        messages.warn(caption,
                      std::to_string(leftOut) +
                          " file(s) left out: an input holds frames of one kind, and one SER video at most");
}

}  // namespace

std::vector<std::string> InputController::openSeriesFiles() const {
    return pipeline_.input().source ? pipeline_.seriesFiles(lastIndex()) : std::vector<std::string>{};
}

bool InputController::takeEntries(const FrameListEntries& entries, InputTaking how, const char* caption,
                                  bool append) {
    const FrameModel& model = pipeline_.model();
    AppendedInput input = appendToSeries(append ? openSeriesFiles() : std::vector<std::string>{},
                                         filterOfInputType(model.InputType), entries);
    input.plan.series = how.dropped;
    std::vector<bool> excluded(input.kept);
    for (std::size_t i = 0; i < input.kept; ++i) excluded[i] = model.FrameTable[static_cast<int>(i)].Excluded;
    if (input.kept > 0 && !how.dropped) {
        // The open series goes on as it was taken (a drop asks its questions again).
        how.fit = how.tif = how.ser = StretchRule::Keep;
        how.decideColour = false;
    }
    if (!takeInput(input.plan, how)) return false;
    if (input.kept > 0 && !model.SingleImage) {
        // The frames that were open keep the user's choice.
        QListWidget& list = *parts_.frameWindows.SelectFramesChecklist;
        for (std::size_t i = 0; i < input.kept; ++i) {
            const int frame = static_cast<int>(i);
            pipeline_.selectFrame(frame, !excluded[i]);
            syncEntry(list, frame);
        }
        pipeline_.countSelectedFrames(lastIndex());
    }
    // Dropped files of another kind are passed over without a word.
    if (!how.dropped) tellLeftOut(ports_.messages(), caption, entries.leftOut);
    return true;
}

// --- Frame list files ---------------------------------------------------------------------------

void InputController::SaveFramelistbuttonClick() {
    const QListWidget& list = *parts_.frameWindows.SelectFramesChecklist;
    MessageRoutine& messages = ports_.messages();
    std::vector<bool> checked(static_cast<std::size_t>(list.count()));
    for (int j = 0; j < list.count(); ++j)
        checked[static_cast<std::size_t>(j)] = list.item(j)->checkState() == Qt::Checked;
    // A list without a checked frame could never be loaded again.
    const std::vector<std::string> files = pipeline_.checkedFrameFiles(checked);
    if (files.empty()) {
        messages.warn("Empty framelist", "Empty list cannot be saved");
        return;
    }
    TFileDialog& dialog = parts_.dialogs.SaveDialog2;
    dialog.InitialDir = parts_.page.DirectoryListBox1->Directory();
    if (!ports_.dialogs().Execute(dialog)) return;
    if (askOverwrite(messages, dialog.FileName, " Overwrite existing file ?") == mrYes) {
        try {
            pipeline_.saveFrameList(dialog.FileName, files);
        } catch (const FileError& error) {
            messages.error(ListCaption, error.what());
        }
    }
    ports_.progress().setCaption(inputCaption(pipeline_.model(), false));
}

void InputController::LoadframelistbuttonClick() {
    TFileDialog& dialog = parts_.dialogs.OpenDialog1;
    dialog.InitialDir = parts_.page.DirectoryListBox1->Directory();
    if (ports_.dialogs().Execute(dialog)) loadFrameList(dialog.FileName);
}

void InputController::loadFrameList(const std::filesystem::path& file) {
    changeInput([&] {
        const std::optional<FrameListEntries> entries =
            listedFrames(pipeline_, ports_.messages(), file, InputFilter::None);
        if (!entries || !takeEntries(*entries, listTaking(), ListCaption, false)) return;
        // The quality method and its threshold wait for the feature, whose pick enables them.
        const AlignPage& align = parts_.page;
        for (QWidget* control :
             std::initializer_list<QWidget*>{align.QualityMethodlabel, align.QualityMethodCombo,
                                             align.Lowerqualitylabel, align.OptimizeQualitySpin})
            control->setEnabled(false);
        // More frames can then be added to a still-frame series.
        if (!pipeline_.model().InputIsSER) parts_.frameWindows.Addframelistbutton->show();
    });
}

void InputController::AddframelistbuttonClick() {
    TFileDialog& dialog = parts_.dialogs.OpenDialog1;
    dialog.InitialDir = parts_.page.DirectoryListBox1->Directory();
    if (!ports_.dialogs().Execute(dialog)) return;
    changeInput([&] {
        // Lines of another kind than the open series' are left out.
        const bool open = !openSeriesFiles().empty();
        const InputFilter kind = open ? filterOfInputType(pipeline_.model().InputType) : InputFilter::None;
        const auto entries = listedFrames(pipeline_, ports_.messages(), dialog.FileName, kind);
        if (!entries) return;
        // An emptied list takes the listed frames as a new input.
        if (!open) {
            takeEntries(*entries, listTaking(), ListCaption, true);
            return;
        }
        appendListedFrames(*entries);
    });
}

void InputController::appendListedFrames(const FrameListEntries& entries) {
    AlignPage& align = parts_.page;
    FrameWindows& windows = parts_.frameWindows;
    const int last = pipeline_.appendSeriesFrames(entries.files, readSourceOptions());
    std::vector<std::string> items;
    for (int frame = windows.SelectFramesChecklist->count(); frame <= last; ++frame)
        items.push_back(std::filesystem::path(pipeline_.model().FrameNames[frame]).filename().string());
    appendFrameEntries(items);
    {
        const QSignalBlocker quiet(align.PreviewSlider);
        align.PreviewSlider->setMaxValue(std::max(last, 1));
    }
    pipeline_.commitFrameLimit(
        {.ranks = std::max(last, 1), .countRange = std::max(last, 1), .stackBound = last});
    align.Sliderset->setMaxValue(last + 1);
    windows.LimitStack->setMaxValue(last);
    windows.QUALSliderMalign->setMaxValue(std::max(last, 1));
    tellLeftOut(ports_.messages(), ListCaption, entries.leftOut);
}

void InputController::SortFramelistbuttonClick() {
    const QListWidget& list = *parts_.frameWindows.SelectFramesChecklist;
    const FrameModel& model = pipeline_.model();
    // A video's frames keep the order they were recorded in.
    if (pipeline_.input().source && model.InputIsSeries && !model.InputIsSER) {
        const BusyCursor busy;
        const std::vector<std::string> entries =
            pipeline_.sortSeries(list.count(), lastIndex(), readSourceOptions());
        fillFrameList(entries);
    }
    parts_.page.moveToFirstFrameQuietly();
    PreviewSliderChange();
}

void InputController::EmptyframelistbuttonClick() {
    if (!pipeline_.model().InputIsSeries) return;
    changeInput([this] {
        AlignPage& align = parts_.page;
        FrameWindows& windows = parts_.frameWindows;
        // No frame is read (browsed, aligned or stacked) until new files come.
        pipeline_.emptyFrameList();
        fillFrameList({});
        disablePassButtons();
        {
            const QSignalBlocker quiet(align.PreviewSlider);
            align.PreviewSlider->setMaxValue(1);
            align.PreviewSlider->setValue(0);
        }
        pipeline_.commitFrameLimit({.ranks = 1, .countRange = 1, .stackBound = 1});
        windows.LimitStack->setMaxValue(1);
        windows.QUALSliderMalign->setMaxValue(1);
        pipeline_.blankPreview();
        showPicture();
    });
}

// --- Dropped files ------------------------------------------------------------------------------

void InputController::PJFormDropFiles1DropFiles(const std::vector<std::string>& files) {
    if (files.empty() || parts_.pages.currentWidget() != &parts_.page) return;
    changeInput([&] {
        const FrameListEntries entries = droppedEntries(files);
        if (entries.kind == InputFilter::None) {
            ports_.messages().warn(DropCaption, "USed File-format not available for drag&drop");
            return;
        }
        takeEntries(entries, dropTaking(), DropCaption, true);
    });
}

}  // namespace kestrave
