#include "shell/startup.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <cmath>
#include <exception>

#include "enhance/tone_options.h"
#include "frames/avi_codecs.h"
#include "frames/memory_facts.h"
#include "platform/errors.h"
#include "platform/program_dir.h"
#include "registration/quality_method.h"
#include "shell/application_context.h"
#include "shell/assistant_handlers.h"
#include "shell/batch_runner.h"
#include "shell/controllers/align_controller.h"
#include "shell/controllers/input_controller.h"
#include "shell/controllers/project_controller.h"
#include "shell/controllers/shell_controller.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/developer_mode.h"
#include "shell/language_handlers.h"
#include "shell/main_form.h"
#include "shell/pages/about_page.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/language_box.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/pages/wavelet_tool_panels.h"
#include "shell/startup_rules.h"
#include "shell/tab_strip.h"
#include "shell/update_check.h"
#include "shell/window_batch_operations.h"
#include "widgets/check_box.h"
#include "widgets/form_storage.h"
#include "widgets/form_stored_props.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

// The program's name and version as the window's caption and the About page show it.
const QString VersionCaption = QStringLiteral("Kestrave V 4.0 ");

}  // namespace

// The window's start-up: it restores and sets the controls of every page, so the pages count it
// as a part of the window.
class Startup {
public:
    Startup(TMainForm& form, const StartupOptions& options)
        : form_(form),
          app_(form.app),
          align_(*form.alignPage),
          wavelet_(*form.waveletPage),
          about_(*form.aboutPage),
          options_(options),
          kind_(classifyCommandLine(options.arguments)) {}

    StartupOutcome run();

private:
    void warn(const std::string& caption, const std::string& text) { app_.messages().warn(caption, text); }
    void reportError(const std::exception& error) { app_.messages().error("Error", error.what()); }
    // The layer planes and the rest of the image planes for a processing area of that item.
    void createPlanes(int processareaItem) {
        app_.pipeline.createImagePlanes(processareaItem, app_.progress(), app_.messages());
    }

    // The steps of run(), in their order.
    void prepareWindow();
    void setUpPlanesAndColours();
    void writeLanguageTemplate();
    void restoreStoredControls();
    void settleProcessingControls();
    void readStoredSettings();
    void applyCommandLineAndLanguage();
    void runPendingBatch();

    void setDefaults();
    void restoreFormSettings();
    void applyNormalWindowRect();
    void chooseQualityMethod();
    void hideToolWindows();
    int chooseProcessingArea();
    void openSettingsStore();
    void readFileSettings();
    void setUpFft();
    void resetViews();
    void actOnSingleArgument();
    void reportInterlacing();

    TMainForm& form_;
    ApplicationContext& app_;
    AlignPage& align_;
    WaveletPage& wavelet_;
    AboutPage& about_;
    const StartupOptions& options_;
    const CommandLineKind kind_;
    // "ShowCmd" and "Normpos" of the program INI file as read before the restore.
    std::string showCmd_ = "0";
    std::string normPos_ = "0";
    StartupOutcome outcome_;
};

StartupOutcome Startup::run() {
    app_.shell.StartingUp = true;
    prepareWindow();
    setUpPlanesAndColours();
    writeLanguageTemplate();
    restoreStoredControls();
    settleProcessingControls();
    readStoredSettings();
    applyCommandLineAndLanguage();
    app_.shell.StartingUp = false;
    runPendingBatch();
    if (options_.headless) outcome_.endProgram = true;
    return outcome_;
}

// The screen's colour depth checked, the window's own pieces readied, the batch read from the
// command line, the developer controls and the language list filled in.
void Startup::prepareWindow() {
    if (ScreenColourDepth(form_) < 24)
        warn("Warning",
             "Your screen colour settings are less than 24 bits ! You might experience problems due to this "
             "in Kestrave, try changing your settings");
    form_.Tabpages->setTabColor(5, QColor(192, 220, 192));
    AttachBalloons(form_.Screencentre);
    form_.shell->showClipboardItem();

    app_.batch = batchCommandsFromArguments(options_.arguments);
    DeveloperControls& developer = form_.shell->developerControls();
    if (GetSystemVolumeSerial() == DeveloperVolumeSerial && !developerModeOn(developer))
        showDeveloperControls(developer);
    align_.Languagebox->clear();
    listLanguages(*align_.Languagebox);
    form_.Panel5->setVisible(!options_.headless);
}

// The defaults, the image planes of the chosen processing area and the start colour weights.
void Startup::setUpPlanesAndColours() {
    setDefaults();
    createPlanes(wavelet_.Processarea->currentIndex());
    app_.pipeline.setStandardColourWeights();
    wavelet_.RedLRGBslider->setValue(299);
    wavelet_.GreenLRGBSlider->setValue(587);
    wavelet_.BlueLRGBSlider->setValue(114);
}

// The translators' template written (not headless), the wavelet dialogs opened in the program's
// folder.
void Startup::writeLanguageTemplate() {
    if (!options_.headless) {
        // A template that cannot be written costs the translators a file, not the user a start.
        SpeedButton1Click(languageWindow(form_), *align_.Languagebox, app_.messages());
    }
    form_.wavelet->loadwaveletdialog.InitialDir = form_.wavelet->savewaveletdialog.InitialDir = ProgramDir();
    app_.pipeline.clearProgress();
}

// The stored control values restored, the calibration and resampling switched off, the tool
// windows hidden; the update check.
void Startup::restoreStoredControls() {
    restoreFormSettings();
    applyNormalWindowRect();
    chooseQualityMethod();
    align_.Usedarkframe->setChecked(false);
    align_.UseFlatfield->setChecked(false);
    form_.stackPage->uncheckResampling();
    hideToolWindows();
    wavelet_.Colourprocess2->setChecked(align_.Colourstack->Checked());
    if (!app_.batch.BatchPending && !options_.headless && about_.checksForUpdates())
        newversion(about_.versionFileAddress(), updateCheckFiles(), app_.messages());
}

// The processing area chosen and its planes made, the placement saved, the colour controls and
// the resampling filter following the restored values; the curves made.
void Startup::settleProcessingControls() {
    const int processareaItem = chooseProcessingArea();
    if (!options_.headless) {
        try {
            form_.FormSettings->SaveFormPlacement();
        } catch (const std::exception& error) {
            reportError(error);
        }
    }
    form_.waveletTools.filter->showWaveletCentre();
    form_.shell->followAutoprocessbox();
    const bool colour = align_.Colourstack->Checked();
    align_.LRGB->setEnabled(colour);
    wavelet_.LRGB2->setEnabled(colour);
    if (!colour) align_.LRGB->setChecked(false);
    if (processAreaSizeForItem(processareaItem) != app_.pipeline.images().ProcessAreaSize)
        createPlanes(processareaItem);
    form_.stackPage->chooseResampleMethodByName();
    form_.wavelet->createCurveObjects();
}

// The settings store opened and read, the wavelet filter, the gamma and tone tables, the FFT and
// the views set up; the frame tables emptied and the Align page shown.
void Startup::readStoredSettings() {
    app_.pipeline.forgetVideoName();
    openSettingsStore();
    form_.wavelet->GaussianClick();
    form_.wavelet->SetwaveletbuttonClick();
    readFileSettings();
    app_.pipeline.resetGammaAndTone(StartupToneBias, StartupToneScale,
                                    form_.waveletTools.tonemap->usesToneGraph());
    form_.wavelet->GammaSplineGraphDblClick();
    setUpFft();
    resetViews();
    app_.pipeline.clearFrameTables();
    form_.PageControl1->setCurrentWidget(form_.alignPage);
}

// A single command-line argument acted on, the box size and the language settled, the
// interlacing reported, the window maximized when it was.
void Startup::applyCommandLineAndLanguage() {
    if (options_.arguments.size() == 1) actOnSingleArgument();
    if (align_.FFTsizeGroup->ItemIndex() < 0) align_.FFTsizeGroup->setItemIndex(1);
    if (align_.Autolanguage->Checked()) {
        const int language = align_.Languagebox->findText(align_.Languagebox->currentText());
        if (language >= 0) {
            align_.Languagebox->setCurrentIndex(language);
            LanguageControls controls{*align_.Languagebox, *align_.charset1, *align_.QualityMethodCombo,
                                      *align_.CopyAlignmethods};
            LanguageboxChange(languageWindow(form_), controls);
        }
    }
    reportInterlacing();
    if (showCmd_ == "3") form_.setWindowState(form_.windowState() | Qt::WindowMaximized);
    ShowMemoryUsage(about_, app_.pipeline.memoryFacts());
}

// Batch work from the command line runs once start-up is over.
void Startup::runPendingBatch() {
    if (!app_.batch.BatchPending) return;
    const BatchOutcome batch = RunBatchCommands({app_, form_, align_, *form_.optimizePage, form_.pointWindows,
                                                 form_.dialogs, *form_.input, *form_.align, *form_.optimize,
                                                 *form_.shell, *form_.wavelet, *form_.save});
    app_.batch.BatchPending = false;
    outcome_ = {batch.endProgram, batch.exitCode, true};
}

// Combo defaults, the pipeline's factors and kernel, the codec list, the first tab, the caption.
void Startup::setDefaults() {
    wavelet_.Processarea->setCurrentIndex(DefaultProcessAreaItem);
    form_.stackPage->chooseFirstResampleMethod();
    form_.optimizePage->chooseFirstPrefilter();
    form_.stackPage->chooseFirstStackFilter();
    align_.QualityMethodCombo->setCurrentIndex(DefaultQualityMethod);
    app_.pipeline.setStartState();

    about_.appendMemoLines(AviCodecListLines());
    form_.shell->selectTab(0);
    form_.dialogs.Addbitmapdialog.Title = "Open file(s)";

    about_.showVersionCaption(VersionCaption);
    form_.setWindowTitle(VersionCaption);
}

// The form storage on "kestrave.ini" in the program directory, section "Form": the window's
// placement and the stored control values come back. Batch and headless runs never write it.
void Startup::restoreFormSettings() {
    TFormStorage& settings = *form_.FormSettings;
    settings.setIniFileName(ProgramDir() / "kestrave.ini");
    settings.setIniSection(QStringLiteral("Form"));
    settings.setOptions(TFormPlacement::fpState | TFormPlacement::fpPosition |
                        TFormPlacement::fpActiveControl);
    // The About page's web addresses are kept beside the update check's.
    settings.setStoredProps(mainFormStoredProps() + AboutPage::linkStoredProps());
    settings.setBatchRun(options_.headless || kind_ == CommandLineKind::CommandFile ||
                         app_.batch.BatchLineCount > 1);
    settings.setActive(true);
    // A failed save or restore as the window shows or closes reaches the platform's own message
    // box, as every error that no handler of the program catches.
    settings.setErrorHandler([&messages = app_.messages()](const QString& text) {
        messages.platformBox().error("Kestrave V4", text.toStdString());
    });
    try {
        showCmd_ = settings.ReadString("ShowCmd", "0").toStdString();
        normPos_ = settings.ReadString("Normpos", "0").toStdString();
        settings.RestoreFormPlacement();
    } catch (const std::exception& error) {
        reportError(error);
    }
    // The language chosen last is the one chosen now, whether or not it is applied at start.
    align_.Languagebox->selectShownItem();
}

// A stored normal rectangle that is sound and on the screen places the window.
void Startup::applyNormalWindowRect() {
    const QScreen* screen = form_.screen();
    if (!screen) return;
    const QSize size = screen->geometry().size();
    if (const auto rect = normalWindowRect(showCmd_, normPos_, size.width(), size.height())) {
        // The corner is the outer one (title bar included), the size the inner one.
        form_.move(rect->left, rect->top);
        form_.resize(rect->width, rect->height);
    }
}

// The visible list offers the methods outside the developer mode; the kept choice is the hidden list's item.
void Startup::chooseQualityMethod() {
    const int stored = align_.CopyAlignmethods->ItemIndex();
    QComboBox& combo = *align_.QualityMethodCombo;
    combo.setCurrentIndex(stored);
    const int hidden = static_cast<int>(align_.CopyAlignmethods->Items().size());
    if (combo.count() != hidden || hidden > QualityMethodListCount)
        fillQualityMethodCombo(align_, QualityMethodListCount, stored);
    // A method the list no longer offers (kept from the developer mode) would leave none chosen.
    if (combo.currentIndex() < 0) combo.setCurrentIndex(DefaultQualityMethod);
    form_.align->QualityMethodComboChange();
}

void Startup::hideToolWindows() {
    const ToolWindows& tools = form_.tools;
    for (ToolWindow* window : {tools.StackFrameswindow, tools.SelectFrameswindow, tools.Filterwindow,
                               tools.Gammawindow, tools.HistoWindow, tools.Shrinkview, tools.FFTWindow,
                               tools.Registrationgraphwindow, tools.RegiStration2})
        window->hide();
}

// The side chosen in Processarea when it is held from run to run, else 512. Returns the item.
int Startup::chooseProcessingArea() {
    int item = DefaultProcessAreaItem;
    if (wavelet_.HoldProcesarea->Checked()) {
        const int stored = processAreaItemForText(wavelet_.Processarea->currentText().toStdString());
        if (stored >= 0) item = stored;
    }
    wavelet_.Processarea->setCurrentIndex(item);
    return item;
}

void Startup::openSettingsStore() {
    try {
        app_.regSettings = std::make_unique<RegSettings>();
    } catch (const std::exception& error) {
        reportError(error);
    }
}

// The remembered folders and file types of the settings store.
void Startup::readFileSettings() {
    if (!app_.regSettings) return;
    const FilesSettings files = readFilesSettings(*app_.regSettings, align_.DirectoryListBox1->Directory());
    if (files.directory) align_.DirectoryListBox1->setDirectory(*files.directory);
    if (files.missingDirectory)
        warn("Missing directory", "Previously used directory " + *files.missingDirectory + " not found");
    WindowDialogs& dialogs = form_.dialogs;
    for (const auto& [index, dialog] : {std::pair{files.Lasttype, &dialogs.Addbitmapdialog},
                                        std::pair{files.Laststacksavetype, &dialogs.SaveDialog1},
                                        std::pair{files.Lastwaveletsavetype, &dialogs.WaveletSave},
                                        std::pair{files.LastDarkFlattype, &dialogs.OpenDialog},
                                        std::pair{files.LastResizetype, &dialogs.SaveDialog4}}) {
        if (index > 0) dialog->FilterIndex = index;
    }
    if (files.saveDirectory) dialogs.SaveDialog1.InitialDir = *files.saveDirectory;
    if (!files.writeError.empty()) warn("Settings", files.writeError);
}

// The FFT tables for the chosen box size and the default alignment box.
void Startup::setUpFft() {
    if (align_.FFTsizeGroup->ItemIndex() < 0) align_.FFTsizeGroup->setItemIndex(0);
    const AlignmentBox box = startupAlignmentBox(align_.FFTsizeGroup->ItemIndex());
    app_.pipeline.setUpAlignmentBox(box.size, box.left, box.top);
}

// The per-input marks, the render controls and the views as for a fresh input.
void Startup::resetViews() {
    app_.pipeline.resetMarks();
    align_.AlignSlider->setVisible(false);
    align_.Framelabel->setVisible(false);

    for (TRxSlider* layer : {wavelet_.Layer1slider, wavelet_.Layer2slider, wavelet_.Layer3slider,
                             wavelet_.Layer4slider, wavelet_.Layer5slider, wavelet_.Layer6slider})
        layer->setValue(10);
    wavelet_.ContrastSlider->setValue(250);
    wavelet_.BrightnessSlider->setValue(0);
    form_.waveletTools.gamma->resetDisplayGamma();
    for (TPCheck* layer : {wavelet_.Layer1checkbox, wavelet_.Layer2checkbox, wavelet_.Layer3checkbox,
                           wavelet_.layer4checkbox, wavelet_.layer5checkbox, wavelet_.layer6checkbox})
        layer->setChecked(true);
    for (QScrollArea* box : {align_.ScrollBox1, wavelet_.Scrollbox3}) {
        box->horizontalScrollBar()->setValue(0);
        box->verticalScrollBar()->setValue(0);
    }
    form_.dialogs.Addbitmapdialog.InitialDir = align_.DirectoryListBox1->Directory();
}

// A project or frame list is loaded; a command file's lines become the batch.
void Startup::actOnSingleArgument() {
    form_.show();
    const std::string& argument = options_.arguments.front();
    if (kind_ == CommandLineKind::ProjectFile || kind_ == CommandLineKind::FrameList) {
        form_.dialogs.OpenDialog2.FileName = argument;
        form_.dialogs.OpenDialog2.FilterIndex = kind_ == CommandLineKind::ProjectFile ? 1 : 2;
        form_.project->startedFromCommandLine = true;
        form_.project->LoadProjectClick();
    } else if (kind_ == CommandLineKind::CommandFile) {
        try {
            app_.batch = batchCommandsFromFile(readCommandFile(argument),
                                               std::filesystem::absolute(argument).parent_path());
        } catch (const FileError& error) {
            // A window goes on without a batch; a run without one says why it ends.
            app_.batch.BatchPending = false;
            if (options_.headless) {
                app_.messages().error("Command file", error.what());
                outcome_ = {true, CommandFileMissingExit};
            }
        }
    }
}

void Startup::reportInterlacing() {
    form_.StatusPanels[2]->clear();
    form_.StatusPanels[3]->clear();
    if (align_.Interlacehoriz->Checked()) align_.Interlacehoriz->setVisible(true);
    if (align_.interlaced->Checked() || align_.Interlacehoriz->Checked())
        app_.messages().inform("Interlacing", "activated ");
}

StartupOutcome runStartup(TMainForm& form, const StartupOptions& options) {
    return Startup(form, options).run();
}

int ScreenColourDepth(const TMainForm& form) {
    const QScreen* screen = form.screen();
    return screen ? screen->depth() : 24;
}

void ShowMemoryUsage(AboutPage& about, const MemoryFacts& memory) {
    about.showMemoryUsage(memoryUsageText(memory));
    about.repaintMemoryUsage();
}

}  // namespace kestrave
