// The main window's start-up on the offscreen platform with a fresh program directory: the
// settings files it creates, the defaults it shows, what a second start restores from the first,
// the remembered folders and types, the command line and the program's exit status.

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTest>
#include <fstream>
#include <iterator>

#include "output/bmp_writer.h"
#include "persist/big_ini_file.h"
#include "platform/program_dir.h"
#include "shell/batch_runner.h"
#include "shell/controllers/shell_controller.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/developer_mode.h"
#include "shell/pages/about_page.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/language_box.h"
#include "shell/pages/named_control.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/pages/wavelet_tool_panels.h"
#include "shell/startup.h"
#include "shell/tab_strip.h"
#include "shell_test_support.h"
#include "widgets/check_box.h"
#include "widgets/form_storage.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"
#include "widgets/web_label.h"

namespace kestrave::test {
namespace {

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> captions(const std::vector<Message>& messages) {
    std::vector<std::string> result;
    for (const Message& message : messages) result.push_back(message.caption + ": " + message.text);
    return result;
}

// One start of the program: its own context and window, messages answered by a script.
struct StartedWindow {
    ApplicationContext context;
    ScriptedPresenter* messages = nullptr;
    std::unique_ptr<TMainForm> form;
    StartupOutcome outcome;

    AlignPage& align() { return *pieces(*form).alignPage; }
    WaveletPage& wavelet() { return *pieces(*form).waveletPage; }
};

struct Startup : ::testing::Test {
    Startup() { app(); }

    std::unique_ptr<StartedWindow> start(std::vector<std::string> arguments = {}, bool headless = false) {
        auto run = std::make_unique<StartedWindow>();
        auto presenter = std::make_unique<ScriptedPresenter>();
        run->messages = presenter.get();
        run->context.messages().setPresenter(std::move(presenter));
        run->context.messages().setPlatformBox(std::make_unique<ScriptedPresenter>());
        run->form = std::make_unique<TMainForm>(run->context);
        run->outcome = run->form->FormCreate({std::move(arguments), headless});
        return run;
    }

    std::string formValue(const std::string& key) const {
        return TBigIniFile(home.path() / "kestrave.ini").ReadString("Form", key, "<none>");
    }

    ProgramDirScope home;
};

TEST_F(Startup, AFreshStartCreatesTheSettingsFilesAndShowsTheDefaults) {
    auto run = start();
    TMainForm& form = *run->form;
    ApplicationContext& context = run->context;
    EXPECT_TRUE(run->messages->shown.empty()) << captions(run->messages->shown).front();
    EXPECT_FALSE(run->outcome.endProgram);

    // The settings store with every remembered folder and type, and the window's section.
    const std::string cwd = std::filesystem::current_path().string();
    RegSettings store(home.path() / "registry.ini");
    EXPECT_EQ(store.ReadString("Files", "Lasttype", ""), "AVI");
    EXPECT_EQ(store.ReadString("Files", "Dir", ""), cwd);
    EXPECT_EQ(store.ReadString("Files", "SaveDir", ""), cwd);
    EXPECT_EQ(formValue("FormVersion"), "0");
    EXPECT_EQ(formValue("Processarea_Text"), "512");
    EXPECT_EQ(formValue("CopyAlignmethods_ItemIndex"), "4");

    EXPECT_EQ(form.windowTitle(), "Kestrave V 4.0 ");
    EXPECT_EQ(control<QLabel>(form, "logolabel")->text(), "Kestrave V 4.0 ");
    EXPECT_EQ(pieces(form).PageControl1->currentWidget(), pieces(form).alignPage);
    EXPECT_TRUE(control<TRxSlider>(run->align(), "AlignSlider")->isHidden());

    // Processing area 512 and its layer planes with their start-up margin; a 2 x 2 section.
    EXPECT_EQ(control<QComboBox>(run->wavelet(), "Processarea")->currentIndex(), 2);
    EXPECT_EQ(context.pipeline.images().ProcessAreaSize, 512);
    EXPECT_EQ(context.pipeline.images().LayerPlanes[6][2].xCount(), 517);
    EXPECT_EQ(context.pipeline.images().AllocWidth, 2);
    EXPECT_EQ(context.pipeline.images().DarkPlanes[2].xCount(), 2);

    EXPECT_EQ(control<QComboBox>(form, "ResampleMethod")->currentIndex(), 0);
    EXPECT_EQ(control<QComboBox>(form, "Filtertype")->currentIndex(), 0);
    EXPECT_EQ(control<QComboBox>(form, "Stackfiltermethod")->currentIndex(), 0);
    EXPECT_EQ(control<QComboBox>(run->align(), "QualityMethodCombo")->count(), 5);
    EXPECT_EQ(control<QComboBox>(run->align(), "QualityMethodCombo")->currentText(), "Gradient");
    EXPECT_EQ(control<TRadioGroup>(run->align(), "CopyAlignmethods")->ItemIndex(), 4);

    WaveletPage& wavelet = run->wavelet();
    EXPECT_EQ(control<TRxSlider>(wavelet, "RedLRGBslider")->Value(), 299);
    EXPECT_EQ(control<TRxSlider>(wavelet, "GreenLRGBSlider")->Value(), 587);
    EXPECT_EQ(control<TRxSlider>(wavelet, "BlueLRGBSlider")->Value(), 114);
    EXPECT_FLOAT_EQ(context.pipeline.state().LRGBWeights[0], 0.299f);
    EXPECT_EQ(context.pipeline.state().RGBBalance, (std::array<float, 3>{1.0f, 1.0f, 1.0f}));
    for (TRxSlider* layer :
         {control<TRxSlider>(wavelet, "Layer1slider"), control<TRxSlider>(wavelet, "Layer2slider"),
          control<TRxSlider>(wavelet, "Layer3slider"), control<TRxSlider>(wavelet, "Layer4slider"),
          control<TRxSlider>(wavelet, "Layer5slider"), control<TRxSlider>(wavelet, "Layer6slider")})
        EXPECT_EQ(layer->Value(), 10);
    for (TPCheck* layer :
         {control<TPCheck>(wavelet, "Layer1checkbox"), control<TPCheck>(wavelet, "Layer2checkbox"),
          control<TPCheck>(wavelet, "Layer3checkbox"), control<TPCheck>(wavelet, "layer4checkbox"),
          control<TPCheck>(wavelet, "layer5checkbox"), control<TPCheck>(wavelet, "layer6checkbox")})
        EXPECT_TRUE(layer->Checked());
    EXPECT_EQ(control<TRxSlider>(wavelet, "ContrastSlider")->Value(), 250);
    EXPECT_EQ(control<TRxSlider>(wavelet, "BrightnessSlider")->Value(), 0);
    EXPECT_EQ(control<TRxSpinEdit>(form, "Gamma1spin")->Value(), 1.0L);
    EXPECT_EQ(control<QLabel>(form, "Waveletcentrelabel")->text(), "Wavelet centre: 50");
    EXPECT_TRUE(control<TRxSpeedButton>(wavelet, "Processbutton")->isEnabled());
    EXPECT_FALSE(control<TPCheck>(run->align(), "LRGB")->isEnabled()) << "LRGB needs a colour stack";

    // The pipeline's defaults and tables.
    EXPECT_EQ(context.pipeline.state().Kernel3x3, DefaultKernel3x3);
    EXPECT_EQ(context.pipeline.state().ResampleFactor, 2.0f);
    EXPECT_EQ(context.pipeline.state().DrizzleFactor, 2.0f);
    EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stNone);
    EXPECT_EQ(context.pipeline.state().activepage, TMainTab::tabAlign);
    EXPECT_NEAR((*context.pipeline.wavelet().GammaTable)[GammaFullScale], 1.0, 1e-5);
    // The gamma curve's reset builds the table from the default curve, whose middle knot lies
    // half a level off the diagonal.
    EXPECT_NEAR((*context.pipeline.wavelet().GammaTable)[15000], 0.5, 0.004);
    EXPECT_EQ(context.pipeline.curves().GammaSpline.NumberOfPoints(), 3);
    EXPECT_EQ(context.pipeline.curves().HueSpline.NumberOfPoints(), 9);
    EXPECT_EQ(control<TRadioGroup>(run->align(), "FFTsizeGroup")->ItemIndex(), 0);
    EXPECT_EQ(context.pipeline.fft().FFTSize, 32);
    EXPECT_EQ(context.pipeline.registration().BoxLeft, 160);
    EXPECT_EQ(context.pipeline.registration().BoxTop, 128);
    EXPECT_EQ(context.pipeline.model().AviName, "none");
    EXPECT_EQ(context.pipeline.model().FrameTable[MaxFrameIndex].Improvement, 100.0f);
    EXPECT_FALSE(context.shell.StartingUp);
    ASSERT_NE(context.regSettings, nullptr);

    // The codec list, the memory read-out and the dialogs.
    EXPECT_TRUE(control<QPlainTextEdit>(form, "Memo1")->toPlainText().contains("vidc.MJPG"));
    EXPECT_TRUE(control<QLabel>(form, "Label22")->text().startsWith("Memory used :"));
    EXPECT_EQ(pieces(form).dialogs.Addbitmapdialog.Title, "Open file(s)");
    EXPECT_EQ(pieces(form).dialogs.Addbitmapdialog.FilterIndex, 1);
    EXPECT_EQ(pieces(form).dialogs.Addbitmapdialog.InitialDir, cwd);
    EXPECT_EQ(pieces(form).wavelet->loadwaveletdialog.InitialDir, ProgramDir());

    // A settings file that cannot be written is told in the platform's box as the window closes.
    std::filesystem::remove(home.path() / "kestrave.ini");
    std::filesystem::create_directory(home.path() / "kestrave.ini");
    form.show();
    form.close();
    const auto& box = dynamic_cast<ScriptedPresenter&>(context.messages().platformBox());
    EXPECT_EQ(captions(box.shown), std::vector<std::string>{"Kestrave V4: Cannot read file " +
                                                            (home.path() / "kestrave.ini").string()});
}

TEST_F(Startup, ASecondStartRestoresWhatTheFirstStored) {
    QRect placed;
    QPoint placedCorner;  // the outer corner, title bar and frame included
    {
        auto first = start();
        TMainForm& form = *first->form;
        form.show();
        form.setGeometry(40, 30, 500, 400);
        placed = form.normalGeometry();
        placedCorner = form.frameGeometry().topLeft();
        control<TPCheck>(first->wavelet(), "HoldProcesarea")->setChecked(true);
        control<QComboBox>(first->wavelet(), "Processarea")->setCurrentIndex(3);
        control<QComboBox>(form, "ResampleMethod")->setCurrentIndex(2);
        control<TRadioGroup>(first->align(), "FFTsizeGroup")->setItemIndex(3);
        control<QComboBox>(first->align(), "QualityMethodCombo")->setCurrentIndex(1);
        control<TRadioGroup>(first->align(), "CopyAlignmethods")->setItemIndex(1);
        control<TPCheck>(first->align(), "Colourstack")->setChecked(true);
        control<TPCheck>(first->align(), "Usedarkframe")->setChecked(true);
        control<TPCheck>(first->wavelet(), "Autoprocessbox")->setChecked(true);
        pieces(form).tools.SelectFrameswindow->move(33, 44);
        ASSERT_TRUE(form.close());
    }
    EXPECT_EQ(formValue("Processarea_Text"), "256");

    auto second = start();
    TMainForm& form = *second->form;
    ApplicationContext& context = second->context;
    EXPECT_TRUE(second->messages->shown.empty());
    // The window comes back where it stood (its outer corner), cut at the screen's right edge when
    // it reaches past it.
    const int screenWidth = form.screen()->geometry().width();
    EXPECT_EQ(placed.topLeft(), QPoint(40, 30));
    EXPECT_EQ(form.pos(), placedCorner);
    EXPECT_EQ(form.size(), QSize(std::min(placed.width(), screenWidth - placedCorner.x()), placed.height()));
    EXPECT_EQ(control<QComboBox>(second->wavelet(), "Processarea")->currentIndex(), 3);
    EXPECT_EQ(context.pipeline.images().ProcessAreaSize, 256);
    EXPECT_EQ(context.pipeline.images().LayerPlanes[0][0].xCount(), 261);
    EXPECT_EQ(control<QComboBox>(form, "ResampleMethod")->currentText(), "Lanczos");
    EXPECT_EQ(control<TRadioGroup>(second->align(), "FFTsizeGroup")->ItemIndex(), 3);
    EXPECT_EQ(context.pipeline.fft().FFTSize, 256);
    EXPECT_EQ(context.pipeline.registration().BoxLeft, 48);
    EXPECT_EQ(context.pipeline.registration().BoxTop, 16);
    EXPECT_EQ(control<QComboBox>(second->align(), "QualityMethodCombo")->currentText(), "Human");
    // A colour stack enables both LRGB switches and the wavelet page's colour processing.
    EXPECT_TRUE(control<TPCheck>(second->align(), "LRGB")->isEnabled());
    EXPECT_TRUE(control<TPCheck>(second->wavelet(), "LRGB2")->isEnabled());
    EXPECT_TRUE(control<TPCheck>(second->wavelet(), "Colourprocess2")->Checked());
    // Auto-processing makes the Process button unnecessary.
    EXPECT_FALSE(control<TRxSpeedButton>(second->wavelet(), "Processbutton")->isEnabled());
    EXPECT_TRUE(control<TRectShape>(second->wavelet(), "Showbuttonp3")->isHidden());
    EXPECT_TRUE(context.shell.AutoProcess);
    EXPECT_FALSE(control<TPCheck>(second->align(), "Usedarkframe")->Checked())
        << "a dark frame must be loaded anew";
    EXPECT_EQ(pieces(form).tools.SelectFrameswindow->pos(), QPoint(33, 44));

    // Without "Hold" the next start is back at 512.
    control<TPCheck>(second->wavelet(), "HoldProcesarea")->setChecked(false);
    ASSERT_TRUE(form.close());
    second.reset();
    auto third = start();
    EXPECT_EQ(control<QComboBox>(third->wavelet(), "Processarea")->currentIndex(), 2);
    EXPECT_EQ(third->context.pipeline.images().ProcessAreaSize, 512);
}

TEST_F(Startup, TheWindowComesBackWhereAndAsLargeAsItWasLeftWithItsTitleBarOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // The program ends without a close of the window (it quits): the placement is kept all the
    // same, the outer corner and the inside size.
    // (The window is as wide as the screen at least: only its height can differ here.)
    for (const int height : {screen.height() - 80, screen.height() - 50}) {
        const QPoint corner(0, 40 - height / 20);
        {
            auto first = start();
            first->form->show();
            first->form->move(corner);
            first->form->resize(first->form->width(), height);
        }
        auto next = start();
        next->form->show();
        EXPECT_EQ(next->form->frameGeometry().topLeft(), corner);
        EXPECT_EQ(next->form->height(), height);
    }
    // A corner stored above the screen (the title bar out of reach) comes back on it.
    writeFile(home.path() / "kestrave.ini",
              "[Form]\r\nFormVersion=0\r\nShowCmd=1\r\nNormPos=30,-40,530,360\r\n"
              "Normpos=30,-40,530,360\r\n");
    auto above = start();
    above->form->show();
    EXPECT_EQ(above->form->frameGeometry().topLeft(), QPoint(30, screen.top()));
}

TEST_F(Startup, StoredWindowKeysThatAreMalformedOrMaximisedStartNormally) {
    writeFile(home.path() / "kestrave.ini", "[Form]\r\nShowCmd=1\r\nNormpos=abc\r\n");
    auto malformed = start();
    EXPECT_TRUE(malformed->messages->shown.empty());
    EXPECT_FALSE(malformed->outcome.endProgram);
    EXPECT_TRUE(control<QLabel>(*malformed->form, "Label22")->text().startsWith("Memory used :"))
        << "start-up must run to its end";
    malformed.reset();

    writeFile(home.path() / "kestrave.ini", "[Form]\r\nShowCmd=3\r\nNormpos=10,10,300,200\r\n");
    auto maximised = start();
    EXPECT_TRUE(maximised->form->windowState() & Qt::WindowMaximized);
}

TEST_F(Startup, WhatStartUpSetsAfterTheRestoreStaysWhenTheWindowIsShown) {
    // A batch start never saves, so showing the window must not bring the stored values back.
    writeFile(home.path() / "kestrave.ini",
              "[Form]\r\nResampled_Checked=True\r\nUsedarkframe_Checked=True\r\nProcessarea_Text=128\r\n"
              "CopyAlignmethods_ItemIndex=6\r\n");
    writeFile(home.path() / "night.kco", "moon.avi\r\n");
    auto run = start({(home.path() / "night.kco").string()});
    ASSERT_TRUE(run->form->isVisible());
    EXPECT_FALSE(control<TPCheck>(*run->form, "Resampled")->Checked());
    EXPECT_FALSE(control<TPCheck>(run->align(), "Usedarkframe")->Checked());
    EXPECT_EQ(control<QComboBox>(run->wavelet(), "Processarea")->currentText(), "512")
        << "the area is held only with Hold";
    // A method offered only in the developer mode falls back to the default, never to none.
    EXPECT_EQ(control<QComboBox>(run->align(), "QualityMethodCombo")->currentText(), "Gradient");
    EXPECT_EQ(control<TRadioGroup>(run->align(), "CopyAlignmethods")->ItemIndex(), 4);
}

TEST_F(Startup, TheDeveloperModeOffersEveryQualityMethodAndItsControls) {
    auto run = start();
    TMainForm& form = *run->form;
    control<QComboBox>(run->align(), "QualityMethodCombo")->setCurrentIndex(3);
    DeveloperControls& developer = pieces(form).shell->developerControls();
    EXPECT_FALSE(developerModeOn(developer));
    EXPECT_TRUE(control<TPCheck>(form, "Tonegraph")->isHidden());
    showDeveloperControls(developer);
    EXPECT_TRUE(developerModeOn(developer));
    EXPECT_EQ(control<QComboBox>(run->align(), "QualityMethodCombo")->count(), 7);
    EXPECT_EQ(control<QComboBox>(run->align(), "QualityMethodCombo")->currentIndex(), 3);
    for (QWidget* control : std::initializer_list<QWidget*>{
             control<TRxSpinEdit>(run->align(), "TrackDetect"), control<TRxSpinEdit>(run->align(), "FOMspin"),
             control<TRxSpinEdit>(run->align(), "Pix2"), control<QPlainTextEdit>(form, "Memo1"),
             control<TPCheck>(form, "Checkupdates"), control<TRxSpeedButton>(run->wavelet(), "Differ"),
             control<TPCheck>(form, "Tonegraph")})
        EXPECT_FALSE(control->isHidden()) << control->objectName().toStdString();
    EXPECT_EQ(pieces(form).tools.Tonemapwindow->height(), 517);
}

TEST_F(Startup, RememberedFoldersAndTypesReachTheDialogs) {
    TempDir captures;
    writeFile(home.path() / "registry.ini", "[Files]\r\nDir=" + captures.path().string() +
                                                "\r\nLasttype=SER\r\nLastDarkFlattype=FIT\r\n"
                                                "Lastwaveletsavetype=TIF\r\nSaveDir=/results\r\n");
    auto run = start();
    EXPECT_TRUE(run->messages->shown.empty());
    EXPECT_EQ(control<TDirectoryListBox>(run->align(), "DirectoryListBox1")->Directory(), captures.path());
    EXPECT_EQ(pieces(*run->form).dialogs.Addbitmapdialog.FilterIndex, 7);
    EXPECT_EQ(pieces(*run->form).dialogs.OpenDialog.FilterIndex, 3);
    EXPECT_EQ(pieces(*run->form).dialogs.WaveletSave.FilterIndex, 4);
    EXPECT_EQ(pieces(*run->form).dialogs.SaveDialog1.FilterIndex, 1);
    EXPECT_EQ(pieces(*run->form).dialogs.SaveDialog1.InitialDir, "/results");
    EXPECT_EQ(pieces(*run->form).dialogs.Addbitmapdialog.InitialDir, captures.path());
    run.reset();

    writeFile(home.path() / "registry.ini", "[Files]\r\nDir=/no/such/folder\r\n");
    run = start();
    EXPECT_EQ(
        captions(run->messages->shown),
        std::vector<std::string>{"Missing directory: Previously used directory /no/such/folder not found"});
    EXPECT_EQ(pieces(*run->form).dialogs.Addbitmapdialog.Title, "Open file(s)") << "start-up goes on";
    run.reset();

    // A store that cannot be read is reported and left alone; the program starts without it.
    std::filesystem::remove(home.path() / "registry.ini");
    std::filesystem::create_directory(home.path() / "registry.ini");
    run = start();
    ASSERT_EQ(run->messages->shown.size(), 1u);
    EXPECT_EQ(run->messages->shown.front().dlgType, mtError);
    EXPECT_EQ(run->context.regSettings, nullptr);
    EXPECT_TRUE(std::filesystem::is_directory(home.path() / "registry.ini"));
    EXPECT_TRUE(control<QLabel>(*run->form, "Label22")->text().startsWith("Memory used :"));
}

TEST_F(Startup, LanguageFilesAndInterlacingAreFoundAtStartUp) {
    writeFile(home.path() / "lang_de.txt", "x");
    writeFile(home.path() / "lang_fr.txt", "x");
    writeFile(home.path() / "kestrave.ini",
              "[Form]\r\ninterlaced_Checked=True\r\nInterlacehoriz_Checked=True\r\n");
    auto run = start();
    QComboBox& languages = *control<LanguageBox>(run->align(), "Languagebox");
    ASSERT_GE(languages.count(), 2);
    EXPECT_NE(languages.findText("lang_de"), -1);
    EXPECT_NE(languages.findText("lang_fr"), -1);
    EXPECT_EQ(captions(run->messages->shown), std::vector<std::string>{"Interlacing: activated "});
    EXPECT_FALSE(control<TPCheck>(run->align(), "Interlacehoriz")->isHidden());
}

TEST_F(Startup, ACommandFileBecomesTheBatchAndAMissingOneRunsNone) {
    writeFile(home.path() / "night.kco", "moon.avi\r\n-XP320 \r\n-EX\r\n");
    auto batch = start({(home.path() / "night.kco").string()});
    EXPECT_EQ(batch->context.batch.BatchLines, (std::vector<std::string>{"moon.avi", "-XP320", "-EX", ""}));
    EXPECT_EQ(batch->context.batch.CommandFolder, home.path());
    EXPECT_EQ(batch->context.batch.BatchLineCount, 4);
    EXPECT_FALSE(batch->context.batch.BatchPending) << "the runner has had it";
    // The batch's messages go to its log, never to a dialog.
    EXPECT_TRUE(batch->messages->shown.empty());
    const std::vector<Message>& log = batch->context.messages().batchLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front().caption, "Missing file");
    EXPECT_EQ(batch->outcome.exitCode, BatchFailed);
    batch.reset();

    const std::string missing = (home.path() / "missing.kco").string();
    auto window = start({missing});
    EXPECT_TRUE(window->messages->shown.empty()) << "no batch runs, without a word";
    EXPECT_FALSE(window->context.batch.BatchPending);
    EXPECT_FALSE(window->outcome.endProgram) << "the window goes on without a batch";
    EXPECT_TRUE(window->form->isVisible());
    window.reset();

    auto headless = start({missing}, true);
    EXPECT_TRUE(headless->outcome.endProgram);
    EXPECT_EQ(headless->outcome.exitCode, CommandFileMissingExit);
    EXPECT_EQ(captions(headless->messages->shown),
              std::vector<std::string>{"Command file: Command file " + missing + " not found"});
}

TEST_F(Startup, AHeadlessStartEndsWithTheBatchStatusAndNeverSavesItsPlacement) {
    auto withOptions = start({"jupiter.ser", "-ASpng", "-EX"}, true);
    EXPECT_TRUE(withOptions->outcome.endProgram);
    EXPECT_NE(withOptions->outcome.exitCode, 0) << "a batch that did not run must not succeed";
    withOptions.reset();
    EXPECT_FALSE(std::filesystem::exists(home.path() / "kestrave.ini"));

    // An input file alone runs no operation, but the automatic point file of the folder in use goes.
    const TempDir folder;
    writeFile(folder / "temp.kap", "1\n");
    writeFile(home.path() / "registry.ini", "[Files]\r\nDir=" + folder.path().string() + "\r\n");
    auto inputOnly = start({"/data/jupiter.ser"}, true);
    EXPECT_TRUE(inputOnly->outcome.endProgram);
    EXPECT_EQ(inputOnly->outcome.exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "temp.kap"));
    inputOnly.reset();
    EXPECT_FALSE(std::filesystem::exists(home.path() / "kestrave.ini"));

    // A batch with a window never writes the placement either.
    auto windowBatch = start({"jupiter.ser", "-EX"});
    windowBatch->form->show();
    windowBatch->form->close();
    windowBatch.reset();
    EXPECT_FALSE(std::filesystem::exists(home.path() / "kestrave.ini"));
    // An option that is no integer stops the batch; only "-EX" ends the program then.
    for (const bool exit : {false, true}) {
        std::vector<std::string> arguments{"jupiter.ser", "-XP1O0"};
        if (exit) arguments.push_back("-EX");
        auto bad = start(arguments);
        EXPECT_EQ(bad->outcome.endProgram, exit);
        EXPECT_EQ(bad->outcome.exitCode, BatchBadOption);
    }
}

TEST_F(Startup, AProjectOrFrameListArgumentGoesToTheProjectLoader) {
    const TempDir dir;
    std::string list;
    for (const char* name : {"f0.bmp", "f1.bmp", "f2.bmp"}) {
        const std::filesystem::path frame = dir / name;
        writeBmp24(frame, Bitmap24(6, 4));
        list += frame.string() + "\r\n";
    }
    writeFile(dir / "moon.kfl", list);
    for (const auto& [file, filterIndex] :
         {std::pair{std::string("/data/moon.KSP"), 1}, std::pair{(dir / "moon.kfl").string(), 2}}) {
        auto run = start({file});
        EXPECT_EQ(pieces(*run->form).dialogs.OpenDialog2.FileName, file);
        EXPECT_EQ(pieces(*run->form).dialogs.OpenDialog2.FilterIndex, filterIndex);
        EXPECT_EQ(run->outcome.exitCode, 0) << "a single line is no batch work";
        EXPECT_TRUE(run->form->isVisible());
        if (filterIndex == 1) {
            // The project loader reads it, after its warning: a missing file is reported by name.
            const std::vector<std::string> shown = captions(run->messages->shown);
            ASSERT_EQ(shown.size(), 2u);
            EXPECT_EQ(shown[0].rfind("Warning: Some of the projectfunction", 0), 0u) << shown[0];
            EXPECT_EQ(shown[1].rfind("Project: ", 0), 0u) << shown[1];
            EXPECT_NE(shown[1].find(file), std::string::npos) << shown[1];
        } else {
            EXPECT_EQ(run->context.pipeline.model().usedframes, 3);
            EXPECT_EQ(control<CheckListBox>(*run->form, "SelectFramesChecklist")->count(), 3);
            EXPECT_EQ(run->context.pipeline.model().FrameNames[2], (dir / "f2.bmp").string());
        }
    }
    auto missing = start({"/data/gone.kfl"});
    EXPECT_EQ(
        captions(missing->messages->shown),
        (std::vector<std::string>{"Warning: Some of the projectfunction in V4 might not work as planned yet, "
                                  "please send in your comments",
                                  "Frame list: Cannot read the frame list /data/gone.kfl"}));
}

}  // namespace
}  // namespace kestrave::test

namespace kestrave::test {

TEST_F(Startup, AWebLinkOpensTheAddressStoredForItAndALinkWithoutOneOpensNothing) {
    writeFile(home.path() / "kestrave.ini", "[Form]\r\nImage7_UrlOrEmail=https://example.org/capture\r\n");
    auto run = start();
    AboutPage& about = *pieces(*run->form).aboutPage;
    pieces(*run->form).PageControl1->setCurrentWidget(&about);
    run->form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(run->form.get()));
    std::vector<std::pair<QString, QUrl>> opened;
    for (TjanWebLabel* link :
         {control<TjanWebLabel>(about, "Quindarselimage"), control<TjanWebLabel>(about, "Quindarsellabel"),
          control<TjanWebLabel>(about, "Image7"), control<TjanWebLabel>(about, "Image6"),
          control<TjanWebLabel>(about, "Image8"), control<TjanWebLabel>(about, "RxLabel1"),
          control<TjanWebLabel>(about, "janWebLabel1")}) {
        link->setOpener([&opened, link](const QUrl& url) {
            opened.emplace_back(link->objectName(), url);
            return true;
        });
        QTest::mouseClick(link, Qt::LeftButton);
    }
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].first, "Image7");
    EXPECT_EQ(opened[0].second, QUrl("https://example.org/capture"));
    EXPECT_EQ(control<TjanWebLabel>(about, "Image6")->toolTip(), "") << "a link has no hint of its own";

    // The address stays with the settings.
    run->form->close();
    run.reset();
    EXPECT_EQ(formValue("Image7_UrlOrEmail"), "https://example.org/capture");
}

}  // namespace kestrave::test

namespace kestrave::test {

TEST_F(Startup, TheChosenLanguageIsChosenAgainAtTheNextStartAndAppliedOnlyWithAuto) {
    writeFile(home.path() / "lang_de.txt", "[Translations]\r\nTabSheet1.caption=Ausrichten\r\n");
    writeFile(home.path() / "lang_fr.txt", "[Translations]\r\nTabSheet1.caption=Aligner\r\n");
    for (const bool automatic : {false, true}) {
        {
            auto run = start();
            control<TPCheck>(run->align(), "Autolanguage")->setChecked(automatic);
            control<LanguageBox>(run->align(), "Languagebox")->setCurrentIndex(1);
            emit control<LanguageBox>(run->align(), "Languagebox")->activated(1);
            ASSERT_EQ(pieces(*run->form).Tabpages->tabText(0), "Aligner");
            run->form->close();
        }
        auto again = start();
        EXPECT_EQ(control<LanguageBox>(again->align(), "Languagebox")->currentText(), "lang_fr");
        EXPECT_EQ(control<LanguageBox>(again->align(), "Languagebox")->currentIndex(), 1)
            << "the list opens on the language chosen";
        EXPECT_EQ(pieces(*again->form).Tabpages->tabText(0), automatic ? "Aligner" : "Align");
    }
}

}  // namespace kestrave::test
