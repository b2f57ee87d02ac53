#include "shell/controllers/input_controller.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <cstring>

#include "frames/calibration_types.h"
#include "frames/frame_errors.h"
#include "frames/frame_positions.h"
#include "frames/input_reset_options.h"
#include "persist/reg_settings.h"
#include "shell/area_stages.h"
#include "shell/controllers/align_page_options.h"
#include "shell/controllers/frame_texts.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/image_info_window.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/page_controls.h"
#include "shell/pages/registration_windows.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/pages/wavelet_tool_panels.h"
#include "shell/pass_status.h"
#include "shell/shell_ports.h"
#include "shell/speed_bar.h"
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

constexpr char StretchQuestion[] = "Stretch intensity-levels ";
constexpr char StretchDefaultBox[] = "Make my choice the default for TIF/FITS";
constexpr char ColourDefaultBox[] = "Do not ask this again, autodetect colour/B-W ";

QColor signColour(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

void setChecked(QListWidgetItem& item, bool checked) {
    item.setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool isChecked(const QListWidgetItem& item) {
    return item.checkState() == Qt::Checked;
}

// The file a frame comes from when each frame has a file of its own.
std::string frameFileName(const FrameModel& model, int frame) {
    return model.InputIsSeries ? model.FrameNames[static_cast<std::size_t>(frame)] : std::string();
}

}  // namespace

Bitmap24 clipboardPicture(const QImage& image) {
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    const int width = std::min(bgr.width(), MaxFrameSize);
    const int height = std::min(bgr.height(), MaxFrameSize);
    Bitmap24 picture(width, height);
    for (int y = 0; y < height; ++y)
        std::memcpy(picture.row(y), bgr.constScanLine(y), 3 * std::size_t(width));
    return picture;
}

InputController::InputController(const InputControllerParts& parts)
    : parts_(parts), pipeline_(parts.pipeline), ports_(parts.ports) {
    chooseInput = [this] { return runInputDialog(); };
    AlignPage& align = parts_.page;
    FrameWindows& windows = parts_.frameWindows;
    connect(&parts_.selectButton, &QToolButton::clicked, this, &InputController::SelectFileButtonClick);
    connect(windows.SortFramelistbutton, &QPushButton::clicked, this,
            &InputController::SortFramelistbuttonClick);
    connect(&parts_.clipboardButton, &QToolButton::clicked, this, &InputController::ClipboardFrontClick);
    connect(align.PreviewSlider, &TRxSlider::OnChange, this, &InputController::PreviewSliderChange);
    runHeard_ = pipeline_.subscribe([this](PipelineChange change) {
        if (change == PipelineChange::Preview) showPicture();
        if (change == PipelineChange::Frames) showFrameSign();
    });
    connect(align.AlignSlider, &TRxSlider::OnChange, this, &InputController::AlignSliderChange);
    align.PreviewSlider->installEventFilter(this);
    connect(windows.SelectFramesChecklist, &QListWidget::itemClicked, this,
            &InputController::SelectFramesChecklistClick);
    // A tick changed by the user acts on the list's current entry.
    connect(windows.SelectFramesChecklist, &CheckListBox::OnClickCheck, this,
            [this, list = windows.SelectFramesChecklist] {
                SelectFramesChecklistClickCheck(list->currentItem());
            });
    connect(windows.SelectFramesChecklist, &QListWidget::itemDoubleClicked, this,
            &InputController::SelectFramesChecklistDblClick);
    connect(windows.Setallbutton, &QPushButton::clicked, this, &InputController::SetallbuttonClick);
    connect(windows.Setnoneframelistbutton, &QPushButton::clicked, this,
            &InputController::SetnoneframelistbuttonClick);
    connect(windows.StackFramesList, &QListWidget::itemClicked, this, &InputController::StackFramesListClick);
    connect(windows.StackFramesList, &CheckListBox::OnClickCheck, this,
            [this, list = windows.StackFramesList] { StackFramesListClickCheck(list->currentItem()); });
    connect(windows.StackFramesList, &QListWidget::itemDoubleClicked, this,
            &InputController::StackFramesListDblClick);
    connect(align.ShowFramelist, &TPCheck::OnClick, this, &InputController::ShowFramelistClick);
    connect(windows.SaveFramelistbutton, &QPushButton::clicked, this,
            &InputController::SaveFramelistbuttonClick);
    connect(windows.Loadframelistbutton, &QPushButton::clicked, this,
            &InputController::LoadframelistbuttonClick);
    connect(windows.Addframelistbutton, &QPushButton::clicked, this,
            &InputController::AddframelistbuttonClick);
    connect(windows.Emptyframelistbutton, &QPushButton::clicked, this,
            &InputController::EmptyframelistbuttonClick);
}

bool InputController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parts_.page.PreviewSlider && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space)
        PreviewSliderKeyDown(32);
    return QObject::eventFilter(watched, event);
}

// --- Choosing the input ----------------------------------------------------------------------

// The input dialog (its filter and the filter chosen last) through the window's file dialogs.
ChosenInput InputController::runInputDialog() {
    TFileDialog& dialog = parts_.dialogs.Addbitmapdialog;
    // It opens in the current folder: the last input's, or the one remembered from the last run.
    dialog.InitialDir = parts_.page.DirectoryListBox1->Directory();
    if (!ports_.dialogs().Execute(dialog)) return {};
    ChosenInput chosen;
    chosen.filter = static_cast<InputFilter>(dialog.FilterIndex);
    for (const std::filesystem::path& file : dialog.Files) chosen.files.push_back(file.string());
    return chosen;
}

bool InputController::askStretch(const char* caption) {
    TRadioGroup& choice = *parts_.page.Fittifstretch;
    if (choice.ItemIndex() == 1) return true;
    if (choice.ItemIndex() == 2) return false;
    const bool yes = ports_.messages().ask(mtConfirmation, caption, StretchQuestion, mbYesNo, mrYes,
                                           StretchDefaultBox) == mrYes;
    if (ports_.messages().DoNotRepeat()) choice.setItemIndex(yes ? 1 : 2);
    return yes;
}

bool InputController::decideStretch(StretchRule rule, bool current, const char* caption) {
    if (rule == StretchRule::Keep) return current;
    return rule == StretchRule::Stretch || askStretch(caption);
}

void InputController::changeInput(const std::function<void()>& change) {
    const LongOperation operation(ports_.operations);
    if (!operation || selecting_) return;
    const QScopedValueRollback busy(selecting_, true);
    change();
}

void InputController::reportMissing(const std::string& file) {
    ports_.messages().error("Missing file", "non existing file :" + file);
}

void InputController::SelectFileButtonClick() {
    changeInput([this] {
        ChosenInput chosen;
        InputTaking how;
        if (pipeline_.state().BatchMode) {
            chosen.files = {pipeline_.input().BatchInputFile};
            chosen.filter = filterOfFile(pipeline_.input().BatchInputFile);
        } else {
            chosen = chooseInput();
            if (chosen.files.empty()) return;
            // The dialog's preview of a SER video leaves its frames stretched.
            how.ser = StretchRule::Stretch;
        }

        // Everything that can fail is tried before the current input is given up.
        takeInput(planChosenInput(chosen.files, chosen.filter), how);
    });
}

void InputController::openInputFile(const std::string& file, InputFilter filter) {
    changeInput([&] {
        const InputPlan plan = planInput({file}, filter);
        if (plan.files.empty()) {
            reportMissing(file);
            return;
        }
        takeInput(plan, {});
    });
}

void InputController::ClipboardFrontClick() {
    const QImage image = QApplication::clipboard()->image();
    if (image.isNull()) return;
    std::filesystem::path file;
    try {
        file = pipeline_.keepPastedPicture(parts_.page.currentFolder(), clipboardPicture(image));
    } catch (const std::exception& error) {
        ports_.messages().error("File error", error.what());
        return;
    }
    openInputFile(file.string(), InputFilter::BMP);
    // The pasted picture is stacked as it is: nothing is picked on it, no point shown on it.
    if (!pipeline_.model().SingleImage) return;
    parts_.page.Showalignpoints->setEnabled(false);
    parts_.page.PreviewImage->setEnabled(false);
}

bool InputController::takeProjectInput(const InputPlan& plan) {
    bool taken = false;
    changeInput([&] {
        InputTaking how;
        how.fit = how.ser = StretchRule::Stretch;
        how.tif = StretchRule::Keep;
        how.decideColour = false;
        how.tooLarge = {"Frame size error", "AVI or BMP too large !!!!", mtError};
        how.tooLargeForVideo = true;
        how.proposeVideoName = false;
        taken = takeInput(plan, how);
        // A project names its video as its samples are ("HI-AVI" for more than 8 bits).
        if (taken && !pipeline_.model().InputIsSeries) pipeline_.restoreInputCaption(ports_.progress());
    });
    return taken;
}

struct InputController::TakeSteps final : InputTakePorts {
    TakeSteps(InputController& input, const InputPlan& plan, const InputTaking& how)
        : input(input), plan(plan), how(how) {}
    void missingFile(const std::string& file) override { input.reportMissing(file); }
    void unreadable(const std::exception& error) override { input.showFrameError(error, plan.files.front()); }
    std::optional<InputStretches> giveUpCurrent() override {
        // The stack or wavelet result of the open input goes with it; Cancel keeps both.
        if (!mayGiveUpResult(input.pipeline_, input.ports_, input.parts_.stages, "New input",
                             "Save before opening the new input ?", mbCancel))
            return std::nullopt;
        return input.decideStretches(plan.filter, how);
    }
    bool dropped() const override { return how.dropped; }
    FrameSourceOptions prepareFor(const ProbedInput& probed) override {
        input.prepareControlsForInput(how.dropped);
        const FrameSourceOptions options = input.readSourceOptions();
        input.showKindControls(probed.filter);
        return options;
    }

    InputController& input;
    const InputPlan& plan;
    const InputTaking& how;
};

bool InputController::takeInput(const InputPlan& plan, const InputTaking& how) {
    TakeSteps steps(*this, plan, how);
    const std::optional<InputTaken> taken = pipeline_.takeInput(plan, steps);
    if (!taken) return false;
    const InputRecord& record = taken->record;
    ports_.shell.view.forgetBoxOutline();
    showTakenInput(plan.filter, taken->probed, record, how);
    if (record.singleImage) {
        takeSingleImage(record);
        return true;
    }
    const bool decide = how.decideColour && plan.filter != InputFilter::SER &&
                        !(how.dropped && parts_.page.AutoDetectColour->Checked());
    showTakenSeries(record, decide, how.tooLargeForVideo);
    // A drop leaves the slider one before the last frame of the list.
    if (how.dropped) parts_.page.PreviewSlider->setValue(std::max(record.lastIndex - 1, 0));
    return true;
}

InputStretches InputController::decideStretches(InputFilter filter, const InputTaking& how) {
    const FrameModel& current = pipeline_.model();
    InputStretches stretch;
    stretch.fit = filter == InputFilter::FIT && decideStretch(how.fit, current.FitStretch, "Fit format");
    stretch.tif = filter == InputFilter::TIF && decideStretch(how.tif, current.TifStretch, "Tiff format");
    stretch.ser = filter == InputFilter::SER ? decideStretch(how.ser, current.SerStretch, "Ser format")
                                             : current.SerStretch;
    return stretch;
}

// The old input is given up: every control back to its start, the passes' buttons greyed.
void InputController::prepareControlsForInput(bool dropped) {
    resetControlsBeforeInput();
    if (dropped)
        resetForDrop();
    else
        initializesettings();
    disablePassButtons();
    parts_.page.Lowerqualitylabel->setEnabled(true);
    parts_.frameWindows.CreateDarkframe1->setEnabled(true);
    parts_.frameWindows.CreateFlatfield1->setEnabled(true);
    parts_.page.applyAlignMethod();
}

// What every input shows once taken: its folder, caption and facts, its debayering, its
// luminance channel.
void InputController::showTakenInput(InputFilter filter, const ProbedInput& facts, const InputRecord& record,
                                     const InputTaking& how) {
    AlignPage& align = parts_.page;
    colourSign(0);
    // The input's folder becomes the current folder.
    align.DirectoryListBox1->setDirectory(pipeline_.input().inputFolder);
    if (ports_.regSettings) {
        ports_.regSettings->WriteString(kRegFilesSection, "Lasttype", inputKindName(filter));
        ports_.regSettings->WriteString(kRegFilesSection, "Dir", pipeline_.input().inputFolder.string());
    }
    ports_.progress().setCaption(record.caption);
    parts_.imageInfoWindow.showObjectAndDate(record.objectName, record.fileDate);
    // A video's saves propose the video's own name (the first segment's, without its extension).
    if (filter == InputFilter::AVI && how.proposeVideoName) {
        parts_.dialogs.proposeFileName(record.objectName);
        parts_.dialogs.WaveletSave.FileName = record.objectName;
    }
    if (record.seriesFramesTooLarge || (how.tooLargeForVideo && record.aviFrameTooLarge))
        ports_.messages().ask(how.tooLarge.type, how.tooLarge.caption, how.tooLarge.text, mbOK, mrOk);
    if (filter == InputFilter::SER) {
        // A colour-sensor video is debayered with its own pattern; any other is not.
        if (facts.serBayer && facts.serDebayerItem >= 0)
            align.debayergroup->setItemIndex(facts.serDebayerItem);
        align.Avidebay->setChecked(facts.serBayer);
        if (!facts.serBayer) align.Colourstack->setChecked(false);
        align.applyDebayerSwitch();
    }
    if (facts.luminance) showLuminanceChoice();
    // A pasted picture left both greyed: a taken input is pointed at and its points shown again.
    align.Showalignpoints->setEnabled(true);
    align.PreviewImage->setEnabled(true);
}

// A series (or a video) taken: the image section set up, the sliders and lists sized to its
// frames, the first frame shown and (`decideColour`) colour or black-and-white chosen from it.
void InputController::showTakenSeries(const InputRecord& record, bool decideColourNow, bool videoSizeTold) {
    MessageRoutine& messages = ports_.messages();
    AlignPage& align = parts_.page;
    FrameWindows& windows = parts_.frameWindows;

    align.Showpanel->hide();
    align.PreviewImage->show();
    if (record.aviFrameTooLarge && !videoSizeTold)
        messages.warn("File warning", "AVI or BMP frame too large !!!!");
    if (!record.aviMissingFrames.empty()) messages.warn("File warning", record.aviMissingFrames);
    ports_.progress().setStatus(3, record.statusText);
    pipeline_.setUpImagePlanes(ports_.progress(), messages);

    const int last = record.lastIndex;
    windows.differencecutslider->setValue(1000);
    {
        const QSignalBlocker quiet(align.PreviewSlider);
        align.PreviewSlider->setMinValue(0);
        align.PreviewSlider->setMaxValue(std::max(last, 1));
        align.PreviewSlider->setMaxValue(last);
        align.PreviewSlider->setValue(0);
    }
    // A range cannot end at its start: one frame still reaches position 1.
    pipeline_.commitFrameLimit(
        {.ranks = std::max(last, 1), .countRange = std::max(last, 1), .stackBound = last});
    if (record.tooManyFrames) messages.warn(TooManyFramesCaption, TooManyFramesText);
    if (record.aviFilesLeftOut)
        messages.warn("Too many files", "Warning : at most 101 AVI files are taken as one input ");
    PreviewSliderChange();

    if (decideColourNow) decideColour();

    windows.LimitStack->setValue(last);
    windows.QUALSliderMalign->setMaxValue(std::max(last, 1));
    fillFrameList(record.listItems);
}

void InputController::resetControlsBeforeInput() {
    AlignPage& align = parts_.page;
    pipeline_.resetBeforeInput();
    ports_.shell.PreviewFitted = ports_.shell.ProcessFitted = false;
    ports_.shell.PreviewFitScale = ports_.shell.ProcessFitScale = 1.0f;
    align.PreviewFull->setChecked(false);
    align.PreviewFull->setEnabled(true);
    align.Alignmethod->setItemIndex(0);
    ports_.shell.ImageSaved = false;
    align.Showpanel->hide();
    align.RectShape1->hide();
    for (QWidget* control :
         std::initializer_list<QWidget*>{align.Haltwindow, align.QualityMethodlabel, align.QualityMethodCombo,
                                         align.Alignmethod, align.OptimizeQualitySpin})
        control->setEnabled(true);
    parts_.tools.Registrationgraphwindow->hide();
    clearLastInputTexts();
}

// Nothing of the last input's passes stays in the bar, the status, the captions or the charts.
void InputController::disablePassButtons() {
    const AlignPage& align = parts_.page;
    for (QWidget* control :
         std::initializer_list<QWidget*>{align.Alignbutton, align.Manualalignbox, align.Setlimitbutton})
        control->setEnabled(false);
}

void InputController::clearLastInputTexts() {
    clearPassTexts(parts_.progressBar, ports_.progress());
    for (ToolWindow* window : {parts_.tools.Registrationgraphwindow, parts_.tools.RegiStration2})
        window->setWindowTitle("Registration ");
    parts_.registrationWindows.clearSeries();
    parts_.frameWindows.Chart8->setTitle({});
    parts_.frameWindows.Chart8->clearTexts();
    parts_.registrationWindows.clearStackGraphTexts();
}

void InputController::initializesettings() {
    AlignPage& align = parts_.page;
    FrameWindows& windows = parts_.frameWindows;
    const ResetControls controls{pipeline_.state().showProcessingArea, align.FFTsizeGroup->ItemIndex(),
                                 static_cast<double>(align.FFTFilterspin->Value())};
    const ResetResult reset = pipeline_.resetForInput(controls, ports_.progress());
    ports_.shell.view.resetForInput();
    // The spectrum window, shown again before the new input's box is measured, shows no spectrum
    // of the last input.
    parts_.registrationWindows.showSpectrumUndefined();

    parts_.entries.selectTab(0);
    markButton(*align.Showbutton, parts_.selectButton, -2);
    align.Showbuttonp1->hide();
    windows.Showgraphpointer->hide();
    windows.gbRollup1->show();
    if (!align.Colourstack->Checked()) align.LRGB->setChecked(false);
    if (align.FFTsizeGroup->ItemIndex() < 0) align.FFTsizeGroup->setItemIndex(reset.fftSizeItemIndex);
    align.AlignSlider->hide();
    align.Framelabel->hide();
    align.Frontpanel->show();
    align.FFTsizeGroup->show();
    parts_.dialogs.Addbitmapdialog.InitialDir = align.DirectoryListBox1->Directory();
    parts_.window.unsetCursor();
}

void InputController::resetForDrop() {
    AlignPage& align = parts_.page;
    ResetControls controls{pipeline_.state().showProcessingArea, align.FFTsizeGroup->ItemIndex(),
                           static_cast<double>(align.FFTFilterspin->Value())};
    controls.keepRenderSettings = true;
    const ResetResult reset = pipeline_.resetForInput(controls, ports_.progress());
    ports_.shell.view.resetForInput();
    if (align.FFTsizeGroup->ItemIndex() < 0) align.FFTsizeGroup->setItemIndex(reset.fftSizeItemIndex);
    parts_.frameWindows.gbRollup1->show();
    align.Frontpanel->show();
    align.FFTsizeGroup->show();
    align.PreviewSlider->show();
}

void InputController::showKindControls(InputFilter filter) {
    FrameWindows& windows = parts_.frameWindows;
    const bool series = filter != InputFilter::AVI;
    for (QWidget* button : std::initializer_list<QWidget*>{
             windows.SaveFramelistbutton, windows.Loadframelistbutton, windows.SortFramelistbutton})
        button->setVisible(series);
    // Frames are added to a still-frame series only.
    if (!series || filter == InputFilter::SER) windows.Addframelistbutton->hide();
}

void InputController::takeSingleImage(const InputRecord& record) {
    AlignPage& align = parts_.page;
    FrameWindows& windows = parts_.frameWindows;
    if (colourimage(pipeline_.input().PreviewBitmap)) parts_.page.Colourstack->setChecked(true);
    if (pipeline_.model().InputIsFIT) parts_.page.Colourstack->setChecked(false);
    align.Frontpanel->hide();
    align.FFTsizeGroup->show();
    pipeline_.setUpImagePlanes(ports_.progress(), ports_.messages());
    {
        const QSignalBlocker quiet(align.PreviewSlider);
        align.PreviewSlider->setMaxValue(record.lastIndex);
        align.PreviewSlider->setValue(0);
    }
    fillFrameList({});
    showPicture();
    pipeline_.commitFrameLimit({.countRange = 1, .stackBound = 1});
    windows.QUALSliderMalign->setMaxValue(1);
    windows.LimitStack->setMaxValue(1);
    pipeline_.setStackCount(0);
    parts_.stages.showCutoffsAgain();
    parts_.stages.stackFrames();
    parts_.entries.selectTab(static_cast<int>(TMainTab::tabWavelet));
}

void InputController::decideColour() {
    const bool colour = colourimage(pipeline_.input().PreviewBitmap);
    const auto apply = [&] {
        parts_.page.Colourstack->setChecked(colour);
        pipeline_.chooseColour(colour, ColourChoice::By::Input);
        if (!colour) parts_.page.LRGB->setChecked(false);
        parts_.page.LRGB->setEnabled(colour);
    };
    TPCheck& autoDetect = *parts_.page.AutoDetectColour;
    if (autoDetect.Checked()) {
        apply();
        return;
    }
    if (colour == parts_.page.Colourstack->Checked()) return;
    MessageRoutine& messages = ports_.messages();
    const bool yes =
        colour
            ? messages.ask(mtInformation, "Colourimage", "Image seems to be in colour, process in colour ?",
                           mbYesNo, mrYes, ColourDefaultBox) == mrYes
            : messages.ask(mtInformation, "B/W image", "Image seems to be B/W, process in B/W ?", mbYesNo,
                           mrYes, ColourDefaultBox) == mrYes;
    if (!yes) return;
    apply();
    autoDetect.setChecked(messages.DoNotRepeat());
}

void InputController::fillFrameList(const std::vector<std::string>& items) {
    {
        const QSignalBlocker quiet(parts_.frameWindows.SelectFramesChecklist);
        parts_.frameWindows.SelectFramesChecklist->clear();
    }
    appendFrameEntries(items);
}

void InputController::appendFrameEntries(const std::vector<std::string>& items) {
    QListWidget& list = *parts_.frameWindows.SelectFramesChecklist;
    const QSignalBlocker quiet(&list);
    for (const std::string& text : items) {
        auto* item = new QListWidgetItem(QString::fromStdString(text));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        list.addItem(item);
    }
}

FrameSourceOptions InputController::readSourceOptions() const {
    return kestrave::readSourceOptions(parts_.page, pipeline_);
}

void InputController::showFrameError(const std::exception& error, const std::string& file) {
    const auto* format = dynamic_cast<const FrameFormatError*>(&error);
    std::string text = error.what();
    // The text names the file unless it does so already.
    if (!file.empty() && text.find(std::filesystem::path(file).filename().string()) == std::string::npos)
        text += "\n" + file;
    ports_.messages().error(format ? format->caption() : "File error", text);
}

void InputController::showLuminanceChoice() {
    parts_.page.LRGB->setChecked(true);
    parts_.waveletPage.offerLuminance();
}

void InputController::showPicture() {
    QLabel& image = *parts_.page.PreviewImage;
    image.setPixmap(QPixmap::fromImage(bitmapView(pipeline_.input().PreviewBitmap)));
    if (!ports_.shell.PreviewFitted) image.resize(image.pixmap().size());
}

// --- Browsing ----------------------------------------------------------------------------------

int InputController::lastIndex() const {
    return pipeline_.input().lastIndex;
}

int InputController::position() const {
    // A slider cannot end at its start: with one frame it still reaches position 1.
    return std::min(parts_.page.PreviewSlider->Value(), lastIndex());
}

void InputController::colourSign(int frame) {
    parts_.page.UseFramesign->setBrush(signColour(frameSignColour(pipeline_.model().FrameTable[frame])));
}

// --- The shown frame's sign follows the frame records --------------------------------------------

void InputController::showFrameSign() {
    // A frame selected or left out (here, in the lists, or by another area's operation): the
    // sign beside the preview shows whether the frame shown takes part.
    if (pipeline_.input().source) colourSign(frameAtPosition(pipeline_.model(), position()));
}

void InputController::PreviewSliderChange() {
    if (previewBusy_ || !pipeline_.input().source) return;
    const QScopedValueRollback guard(previewBusy_, true);
    AlignPage& align = parts_.page;
    FrameWindows& windows = parts_.frameWindows;
    const FrameModel& model = pipeline_.model();
    const int p = position();
    const int max = lastIndex();
    const int frame = frameAtPosition(model, p);
    // The stack size and the quality at the position are figures of the ranking: before the frames
    // are ranked (or while alignment points are placed) position p is frame p, not the p-th best.
    const bool referenceReady =
        pipeline_.state().ProcessStage == TProcessStage::stReferenceReady && model.FramesRanked;

    windows.Showgraphpointer->move(graphPointerLeft(p, max, windows.Chart8->width()),
                                   windows.Showgraphpointer->y());
    align.Frames->setText(QString::fromStdString(
        referenceReady ? referenceFrameLabelText(frame, stackSizeAt(model, p), max, relativeQuality(model, p))
                       : frameLabelText(frame, p, max)));
    windows.Chart8->setTitle(QString::fromStdString(qualityTitleText(frame, model.FrameRanking[p].Key)));
    ports_.shell.view.forgetBoxOutline();
    if (parts_.tools.SelectFrameswindow->isVisible()) {
        const QSignalBlocker quiet(windows.SelectFramesChecklist);
        windows.SelectFramesChecklist->setCurrentRow(p);
    }

    if (model.InputIsSeries) ports_.progress().setStatus(2, "Processing bitmap :" + std::to_string(frame));
    try {
        if (pipeline_
                .showFrame(frame, readSourceOptions(), align.Negativeimage->Checked(),
                           align.Pregamma->Checked())
                .luminance)
            showLuminanceChoice();
    } catch (const std::exception& error) {
        showFrameError(error, frameFileName(model, frame));
    }
    showVideoFrameRead(frame);
    if (model.InputIsSeries) ports_.progress().setCaption(seriesCaption(model, frame));
    showPicture();
    colourSign(frame);
    align.DroppedFrameText->setVisible(model.FrameTable[frame].Dropped);
}

void InputController::showVideoFrameRead(int frame) {
    // A video frame read says so, counted from 1, unless the frame is left out.
    const FrameModel& model = pipeline_.model();
    if (!model.InputIsSeries && !model.FrameTable[frame].Excluded)
        ports_.progress().setStatus(2, "Processing frame :" + std::to_string(frame + 1));
}

void InputController::AlignSliderChange() {
    if (!pipeline_.input().source) return;
    const FrameModel& model = pipeline_.model();
    const int frame = model.FrameRanking[parts_.page.AlignSlider->Value()].Frame;
    if (model.InputIsSeries) ports_.progress().setStatus(2, "Processing bitmap :" + std::to_string(frame));
    try {
        pipeline_.showFrame(frame, readSourceOptions(), false, false);
    } catch (const std::exception& error) {
        showFrameError(error, frameFileName(model, frame));
    }
    showVideoFrameRead(frame);
    if (model.InputIsSeries) ports_.progress().setCaption("Kestrave processing : " + model.FrameNames[frame]);
    showPicture();
}

// --- The frame lists ---------------------------------------------------------------------------

void InputController::syncEntry(QListWidget& list, int entry) {
    if (QListWidgetItem* item = list.item(entry)) {
        const QSignalBlocker quiet(&list);
        setChecked(*item, !pipeline_.model().FrameTable[frameAtPosition(pipeline_.model(), entry)].Excluded);
    }
}

void InputController::recountAndLabel() {
    const FrameModel& model = pipeline_.model();
    const int p = position();
    const int max = lastIndex();
    pipeline_.recountUsedFrames(p, max);
    const int frame = frameAtPosition(model, p);
    const bool referenceReady = pipeline_.state().ProcessStage == TProcessStage::stReferenceReady;
    parts_.page.Frames->setText(
        QString::fromStdString(referenceReady ? frameLabelWithStackSize(frame, p, max, model.usedframes)
                                              : frameLabelText(frame, p, max)));
}

void InputController::PreviewSliderKeyDown(int key) {
    if (key != 32 || !pipeline_.input().source) return;
    const int p = position();
    const int frame = frameAtPosition(pipeline_.model(), p);
    const TFrameRec& record = pipeline_.model().FrameTable[frame];
    if (record.Dropped) return;
    pipeline_.selectFrame(frame, record.Excluded);
    syncEntry(*parts_.frameWindows.SelectFramesChecklist, p);
    recountAndLabel();
}

void InputController::SelectFramesChecklistClickCheck(QListWidgetItem* item) {
    QListWidget& list = *parts_.frameWindows.SelectFramesChecklist;
    const int entry = list.row(item);
    if (entry < 0) return;
    const int frame = frameAtPosition(pipeline_.model(), entry);
    pipeline_.selectFrame(frame, isChecked(*item));
    syncEntry(list, entry);
    colourSign(frame);
    recountAndLabel();
}

void InputController::ShowFramelistClick() {
    ToolWindow& window = *parts_.tools.SelectFrameswindow;
    window.setVisible(parts_.page.ShowFramelist->Checked());
    if (!window.isVisible()) return;
    window.raise();
    // A dropped frame can never take part: the list shows it unchecked.
    QListWidget& list = *parts_.frameWindows.SelectFramesChecklist;
    for (int entry = 0; entry < list.count(); ++entry) {
        const int frame = frameAtPosition(pipeline_.model(), entry);
        if (!pipeline_.model().FrameTable[frame].Dropped) continue;
        pipeline_.selectFrame(frame, false);
        syncEntry(list, entry);
    }
}

void InputController::SelectFramesChecklistClick() {
    const int entry = parts_.frameWindows.SelectFramesChecklist->currentRow();
    if (entry < 0) return;
    parts_.page.PreviewSlider->setValue(entry);
    pipeline_.countSelectedFrames(lastIndex());
}

void InputController::SelectFramesChecklistDblClick() {
    QListWidget& list = *parts_.frameWindows.SelectFramesChecklist;
    for (QListWidgetItem* item : list.selectedItems()) {
        const int entry = list.row(item);
        pipeline_.selectFrame(frameAtPosition(pipeline_.model(), entry), !isChecked(*item));
        syncEntry(list, entry);
    }
    colourSign(frameAtPosition(pipeline_.model(), position()));
    recountAndLabel();
}

void InputController::SetallbuttonClick() {
    QListWidget& list = *parts_.frameWindows.SelectFramesChecklist;
    if (list.count() == 0) return;
    const int max = lastIndex();
    pipeline_.selectAllFrames(max);
    for (int entry = 0; entry < list.count(); ++entry) syncEntry(list, entry);
    // Dropped frames stay out: the count is of the frames selected, not of all.
    parts_.page.Frames->setText(
        QString::fromStdString(allFramesLabelText(position(), max, pipeline_.model().usedframes)));
}

void InputController::SetnoneframelistbuttonClick() {
    QListWidget& list = *parts_.frameWindows.SelectFramesChecklist;
    if (list.count() == 0) return;
    const int max = lastIndex();
    pipeline_.excludeAllFrames(max);
    for (int entry = 0; entry < list.count(); ++entry) syncEntry(list, entry);
    parts_.page.Frames->setText(QString::fromStdString(noFramesLabelText(position(), max)));
}

void InputController::StackFramesListClick() {
    const int entry = parts_.frameWindows.StackFramesList->currentRow();
    if (entry >= 0) pipeline_.setStackCount(entry);
}

void InputController::StackFramesListClickCheck(QListWidgetItem* item) {
    FrameWindows& windows = parts_.frameWindows;
    QListWidget& list = *windows.StackFramesList;
    const int clicked = list.row(item);
    if (clicked < 0) return;
    // The clicked entry was toggled by the click itself; the other highlighted ones follow it.
    std::vector<int> entries{clicked};
    for (QListWidgetItem* highlighted : list.selectedItems()) {
        const int entry = list.row(highlighted);
        if (entry == clicked) continue;
        const QSignalBlocker quiet(&list);
        setChecked(*highlighted, !isChecked(*highlighted));
        entries.push_back(entry);
    }
    for (const int entry : entries) {
        pipeline_.selectFrame(frameAtPosition(pipeline_.model(), entry), isChecked(*list.item(entry)));
        syncEntry(list, entry);
        syncEntry(*windows.SelectFramesChecklist, entry);
    }
    if (clicked < list.count() - 2) {
        list.setSelectionMode(QAbstractItemView::SingleSelection);
        windows.PCheck2->setChecked(false);
        list.setCurrentRow(clicked + 1);
    }
    recountAndLabel();
}

void InputController::StackFramesListDblClick() {
    FrameWindows& windows = parts_.frameWindows;
    QListWidget& list = *windows.StackFramesList;
    for (QListWidgetItem* item : list.selectedItems()) {
        const int entry = list.row(item);
        pipeline_.selectFrame(frameAtPosition(pipeline_.model(), entry), !isChecked(*item));
        syncEntry(list, entry);
        syncEntry(*windows.SelectFramesChecklist, entry);
    }
    recountAndLabel();
}

}  // namespace kestrave
