// The form storage across a restart: a small window with our components and plain Qt controls
// saves its placement and stored values into "kestrave.ini" and a second instance of it gets
// them back; what leaves the file alone; the placement rules.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QWidget>
#include <fstream>
#include <iterator>
#include <memory>

#include "persist/big_ini_file.h"
#include "platform/program_dir.h"
#include "support/temp_dir.h"
#include "widget_test_support.h"
#include "widgets/check_box.h"
#include "widgets/form_storage.h"
#include "widgets/form_stored_props.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {
namespace {

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ino_t inodeOf(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// A window whose close can be refused, as the main window's close question does.
struct Window : QWidget {
    bool refuseClose = false;
    void closeEvent(QCloseEvent* event) override {
        if (refuseClose) event->ignore();
    }
};

// A window in the shape of the main one: controls named as the program names them (a slider
// stands in for the quality spin edit) and a form storage on "kestrave.ini", section "Form".
struct TestForm {
    TestForm() {
        window.setObjectName("MainForm");
        Sigmaeventsigma = new TRxSpinEdit(&window);
        Sigmaeventsigma->setObjectName("Sigmaeventsigma");
        Sigmaeventsigma->setValueType(TRxSpinEdit::TValueType::vtFloat);
        Sigmaeventsigma->setDecimal(1);
        Sigmaeventsigma->setMinValue(2.0L);
        Sigmaeventsigma->setMaxValue(10.0L);
        Sigmaeventsigma->setValue(2.0L);
        LevelStep = new TRxSpinEdit(&window);
        LevelStep->setObjectName("LevelStep");
        LevelStep->setMinValue(1);
        LevelStep->setMaxValue(32);
        LevelStep->setValue(1);
        QualityFilter = new TRxSlider(&window);
        QualityFilter->setObjectName("QualityFilter");
        QualityFilter->setMaxValue(100);
        Autofilter = new TPCheck(&window);
        Autofilter->setObjectName("Autofilter");
        Autofilter->setChecked(true);
        Processarea = new QComboBox(&window);
        Processarea->setObjectName("Processarea");
        Processarea->addItems({"2048", "1024", "512", "256", "128"});
        Processarea->setCurrentIndex(2);
        Fittifstretch = new QComboBox(&window);
        Fittifstretch->setObjectName("Fittifstretch");
        Fittifstretch->addItems({"Fit", "Stretch", "None"});
        VersionNo = new QLabel("https://example.org/versionno.txt", &window);
        VersionNo->setObjectName("VersionNo");
        HistoWindow = new QFrame(&window);
        HistoWindow->setObjectName("HistoWindow");
        HistoWindow->setGeometry(500, 40, 200, 249);

        FormSettings = new TFormStorage(&window);
        FormSettings->setIniFileName(ProgramDir() / "kestrave.ini");
        FormSettings->setIniSection("Form");
        FormSettings->setOptions(TFormPlacement::fpState | TFormPlacement::fpPosition |
                                 TFormPlacement::fpActiveControl);
        FormSettings->setStoredProps(mainFormStoredProps());
    }
    ~TestForm() { FormSettings->FormDestroy(); }

    Window window;
    TRxSpinEdit* Sigmaeventsigma;
    TRxSpinEdit* LevelStep;
    TRxSlider* QualityFilter;
    TPCheck* Autofilter;
    QComboBox* Processarea;
    QComboBox* Fittifstretch;
    QLabel* VersionNo;
    QFrame* HistoWindow;
    TFormStorage* FormSettings;
};

struct FormStorageRestart : test::WidgetTest {
    test::ProgramDirScope home;
    std::filesystem::path iniFile = home.path() / "kestrave.ini";
    QPoint corner;  // the first run's outer corner (its frame included)

    // The first run: everything changed from the design values, then the window is closed.
    void firstRun() {
        TestForm form;
        form.window.show();
        form.window.setGeometry(120, 90, 400, 300);
        corner = form.window.frameGeometry().topLeft();
        form.Sigmaeventsigma->setValue(4.5L);
        form.LevelStep->setValue(3);
        form.QualityFilter->setValue(77);
        form.Autofilter->setChecked(false);
        form.Processarea->setCurrentIndex(0);
        form.Fittifstretch->setCurrentIndex(1);
        form.VersionNo->setText("https://example.org/other.txt");
        form.HistoWindow->move(33, 44);
        form.Processarea->setFocus();
        ASSERT_TRUE(form.window.close());
    }

    std::vector<std::string> formKeys() const {
        TBigIniFile ini(iniFile);
        std::vector<std::string> keys;
        ini.ReadSection("Form", keys);
        return keys;
    }
};

TEST_F(FormStorageRestart, PlacementAndStoredValuesComeBackInTheNextRun) {
    firstRun();

    TestForm next;
    next.FormSettings->RestoreFormPlacement();
    // The outer corner and the inside size.
    EXPECT_EQ(next.window.pos(), corner);
    EXPECT_EQ(next.window.size(), QSize(400, 300));
    EXPECT_EQ(next.Sigmaeventsigma->Value(), 4.5L);
    EXPECT_EQ(next.LevelStep->Value(), 3.0L);
    EXPECT_EQ(next.QualityFilter->Value(), 77);
    EXPECT_FALSE(next.Autofilter->Checked());
    EXPECT_EQ(next.Processarea->currentIndex(), 0);
    EXPECT_EQ(next.Fittifstretch->currentIndex(), 1);
    EXPECT_EQ(next.VersionNo->text(), "https://example.org/other.txt");
    EXPECT_EQ(next.HistoWindow->pos(), QPoint(33, 44));
    EXPECT_EQ(next.window.focusWidget(), next.Processarea);

    // Showing the window restores once more, to the same result.
    next.window.show();
    EXPECT_EQ(next.window.geometry(), QRect(120, 90, 400, 300));
    EXPECT_EQ(next.Sigmaeventsigma->Value(), 4.5L);
}

TEST_F(FormStorageRestart, TheSectionHoldsThePlacementKeysThenTheStoredValuesInListOrder) {
    firstRun();
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const std::string size =
        "(" + std::to_string(screen.width()) + "x" + std::to_string(screen.height()) + ")";
    EXPECT_EQ(formKeys(),
              (std::vector<std::string>{
                  "FormVersion", "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos" + size, "MinMaxPos",
                  "NormPos" + size, "NormPos", "Visible", "ActiveControl", "Processarea_Text",
                  "VersionNo_Caption", "LevelStep_Value", "Sigmaeventsigma_Value", "QualityFilter_Value",
                  "Autofilter_Checked", "Fittifstretch_ItemIndex", "HistoWindow_Left", "HistoWindow_Top"}));
    const TBigIniFile ini(iniFile);
    EXPECT_EQ(ini.ReadString("Form", "FormVersion", ""), "0");
    EXPECT_EQ(ini.ReadString("Form", "ShowCmd", ""), "1");
    EXPECT_EQ(ini.ReadString("Form", "MinMaxPos", ""), "-1,-1,-1,-1");
    EXPECT_EQ(ini.ReadString("Form", "NormPos", ""),
              std::to_string(corner.x()) + "," + std::to_string(corner.y()) + "," +
                  std::to_string(corner.x() + 400) + "," + std::to_string(corner.y() + 300));
    EXPECT_EQ(ini.ReadString("Form", "Visible", ""), "0");
    EXPECT_EQ(ini.ReadString("Form", "ActiveControl", ""), "Processarea");
    EXPECT_EQ(ini.ReadString("Form", "Processarea_Text", ""), "2048");
    EXPECT_EQ(ini.ReadString("Form", "Sigmaeventsigma_Value", ""), "4.5");
    EXPECT_EQ(ini.ReadString("Form", "Autofilter_Checked", ""), "False");
}

TEST_F(FormStorageRestart, ARunThatChangesNothingLeavesTheFileUntouched) {
    firstRun();
    // Another section of the program INI survives as it is.
    {
        TBigIniFile ini(iniFile);
        ini.WriteString("Other", "key", "value");
        ini.flush();
    }
    const std::string before = readText(iniFile);
    const ino_t inode = inodeOf(iniFile);
    {
        TestForm again;
        again.window.show();
        ASSERT_TRUE(again.window.close());
    }
    EXPECT_EQ(readText(iniFile), before);
    EXPECT_EQ(inodeOf(iniFile), inode);  // not even rewritten with the same bytes
}

TEST_F(FormStorageRestart, ABatchRunNeverSaves) {
    firstRun();
    const std::string before = readText(iniFile);
    {
        TestForm batch;
        batch.FormSettings->setBatchRun(true);
        batch.window.show();
        EXPECT_EQ(batch.QualityFilter->Value(), 77);  // a batch run does read the stored values
        batch.QualityFilter->setValue(5);
        batch.window.setGeometry(10, 10, 300, 200);
        batch.FormSettings->SaveFormPlacement();
        ASSERT_TRUE(batch.window.close());
    }
    EXPECT_EQ(readText(iniFile), before);
}

TEST_F(FormStorageRestart, AWindowThatNeverRestoredNeverOverwritesItsFile) {
    firstRun();
    const std::string before = readText(iniFile);
    {
        TestForm form;
        form.QualityFilter->setValue(1);
        form.FormSettings->SaveFormPlacement();
        form.window.close();
    }
    EXPECT_EQ(readText(iniFile), before);
}

TEST_F(FormStorageRestart, DestructionSavesWhatTheCloseDidNotAndMarksItVisible) {
    {
        TestForm form;
        form.FormSettings->RestoreFormPlacement();
        form.QualityFilter->setValue(12);
    }
    const TBigIniFile ini(iniFile);
    EXPECT_EQ(ini.ReadString("Form", "Visible", ""), "1");
    EXPECT_EQ(ini.ReadString("Form", "QualityFilter_Value", ""), "12");
}

TEST_F(FormStorageRestart, ARefusedCloseSavesNothing) {
    TestForm form;
    form.window.show();
    form.QualityFilter->setValue(9);
    form.window.refuseClose = true;
    EXPECT_FALSE(form.window.close());
    EXPECT_FALSE(std::filesystem::exists(iniFile));
    form.window.refuseClose = false;
    EXPECT_TRUE(form.window.close());
    EXPECT_EQ(TBigIniFile(iniFile).ReadString("Form", "QualityFilter_Value", ""), "9");
}

TEST_F(FormStorageRestart, AnUnreadableFileIsReportedAndNeverOverwritten) {
    std::filesystem::create_directory(iniFile);  // a folder where the file should be
    QStringList reported;
    TestForm form;
    form.FormSettings->setErrorHandler([&](const QString& text) { reported << text; });
    form.window.show();
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported.front().contains("kestrave.ini")) << reported.front().toStdString();
    EXPECT_FALSE(form.FormSettings->restored());
    form.window.close();
    EXPECT_TRUE(std::filesystem::is_directory(iniFile));
}

// The placement rules on a hand-made file.
struct FormPlacementFile : FormStorageRestart {
    void writeForm(const std::string& lines) {
        std::ofstream(iniFile, std::ios::binary) << "[Form]\n" << lines;
    }
    int ppi() const { return qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch()); }
    std::string screenKey(const char* key) const {
        const QSize size = QGuiApplication::primaryScreen()->geometry().size();
        return std::string(key) + "(" + std::to_string(size.width()) + "x" + std::to_string(size.height()) +
               ")";
    }
};

TEST_F(FormPlacementFile, TheKeyOfTheScreenSizeWinsOverTheBareKey) {
    writeForm(screenKey("NormPos") + "=10,20,310,220\nNormPos=50,60,350,260\nNormPos(1x1)=0,0,9,9\n");
    TestForm form;
    form.FormSettings->RestoreFormPlacement();
    EXPECT_EQ(form.window.geometry(), QRect(10, 20, 300, 200));

    writeForm("NormPos(1x1)=0,0,9,9\nNormPos=50,60,350,260\n");
    form.FormSettings->RestoreFormPlacement();
    EXPECT_EQ(form.window.geometry(), QRect(50, 60, 300, 200));
}

TEST_F(FormPlacementFile, AnotherPixelDensityRestoresNoPositionButTheValues) {
    writeForm("PixelsPerInch=" + std::to_string(ppi() + 24) +
              "\nNormPos=50,60,350,260\nQualityFilter_Value= 12 \n");
    TestForm form;
    form.window.setGeometry(5, 6, 100, 80);
    form.FormSettings->RestoreFormPlacement();
    EXPECT_EQ(form.window.geometry(), QRect(5, 6, 100, 80));
    EXPECT_EQ(form.QualityFilter->Value(), 12);
}

TEST_F(FormPlacementFile, AWindowFromAScreenThatIsGoneComesBackOnTheScreen) {
    writeForm("NormPos=5000,4000,5300,4200\n");
    TestForm form;
    form.FormSettings->RestoreFormPlacement();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.contains(form.window.geometry())) << form.window.geometry().x();
    EXPECT_EQ(form.window.size(), QSize(300, 200));
}

TEST_F(FormPlacementFile, AFixedSizeWindowKeepsItsSize) {
    writeForm("NormPos=10,20,610,420\n");
    TestForm form;
    form.window.setFixedSize(250, 150);
    form.FormSettings->RestoreFormPlacement();
    EXPECT_EQ(form.window.geometry(), QRect(10, 20, 250, 150));
}

TEST_F(FormPlacementFile, ShowCmdGivesTheWindowState) {
    writeForm("ShowCmd=3\n");
    TestForm form;
    form.FormSettings->RestoreFormPlacement();
    EXPECT_TRUE(form.window.windowState() & Qt::WindowMaximized);
    writeForm("ShowCmd=9\n");
    form.FormSettings->RestoreFormPlacement();
    EXPECT_EQ(form.window.windowState(), Qt::WindowNoState);
    writeForm("ShowCmd=6\n");
    form.FormSettings->RestoreFormPlacement();
    EXPECT_TRUE(form.window.windowState() & Qt::WindowMinimized);
}

TEST_F(FormPlacementFile, AnOlderFormVersionIsNotRestoredButLaterSavesWrite) {
    writeForm("FormVersion=1\nNormPos=50,60,350,260\nQualityFilter_Value=12\n");
    TestForm form;
    form.FormSettings->setVersion(2);
    QSignalSpy restoredSignal(form.FormSettings, &TFormPlacement::OnRestorePlacement);
    form.FormSettings->RestoreFormPlacement();
    EXPECT_EQ(restoredSignal.count(), 0);
    EXPECT_EQ(form.QualityFilter->Value(), 0);
    EXPECT_TRUE(form.FormSettings->restored());
    form.FormSettings->SaveFormPlacement();
    EXPECT_EQ(TBigIniFile(iniFile).ReadString("Form", "FormVersion", ""), "2");
}

TEST_F(FormStorageRestart, AnInactiveStorageWithoutPlacementWritesTheFilterKernelLayout) {
    QWidget window;
    QStringList entries;
    std::string expected = "[TMainForm]\r\nFormVersion=0\r\n";
    for (int a = 0; a < 5; ++a) {
        for (int b = 0; b < 5; ++b) {
            const QString name = QStringLiteral("Filter%1%2").arg(a).arg(b);
            auto* spin = new TRxSpinEdit(&window);
            spin->setObjectName(name);
            spin->setValue(a == 2 && b == 2 ? 50 : 10 * a - b);
            entries << name + ".Value";
            expected +=
                name.toStdString() + "_Value=" + std::to_string(a == 2 && b == 2 ? 50 : 10 * a - b) + "\r\n";
        }
    }
    TFormStorage Filterstorage(&window);
    Filterstorage.setActive(false);
    Filterstorage.setOptions({});
    Filterstorage.setIniSection("TMainForm");
    Filterstorage.setStoredProps(entries);
    const std::filesystem::path file = home.path() / "sharp.ksf";
    Filterstorage.setIniFileName(file);
    Filterstorage.SaveFormPlacement();
    EXPECT_EQ(readText(file), expected + "\r\n");

    {
        TBigIniFile ini(file);
        ini.WriteString("TMainForm", "Filter22_Value", "7");
        ini.flush();
    }
    Filterstorage.RestoreFormPlacement();
    EXPECT_EQ(window.findChild<TRxSpinEdit*>("Filter22")->Value(), 7.0L);
}

TEST_F(FormStorageRestart, LinkedComponentsSaveAndLoadThroughTheOpenFile) {
    std::vector<std::string> seen;
    auto link = std::make_unique<TIniLink>();
    {
        TestForm form;
        link->setStorage(form.FormSettings);
        link->OnSave = [&] {
            ASSERT_NE(link->IniObject(), nullptr);
            link->IniObject()->WriteString("Form\\Speedbar", "Position", "1");
            seen.push_back("save " + link->RootSection().toStdString());
        };
        link->OnLoad = [&] {
            ASSERT_NE(link->IniObject(), nullptr);
            seen.push_back("load " + link->IniObject()->ReadString("Form\\Speedbar", "Position", "?"));
        };
        EXPECT_EQ(link->IniObject(), nullptr);
        form.FormSettings->RestoreFormPlacement();
        form.FormSettings->SaveFormPlacement();
        form.FormSettings->RestoreFormPlacement();
    }
    // The window's destruction saved once more (a restore had run since the last save); then the
    // storage went first: the link is detached, not left dangling.
    EXPECT_EQ(link->Storage(), nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"load ?", "save Form\\", "load 1", "save Form\\"}));

    TestForm form;
    link->setStorage(form.FormSettings);
    link.reset();  // the link went first: the storage forgets it
    form.FormSettings->RestoreFormPlacement();
    EXPECT_EQ(seen.size(), 4u);
}

TEST(FormPlacementRules, KeysAndValuesOfTheWindowPlacement) {
    EXPECT_EQ(screenSizedKey("NormPos", QSize(1024, 768)), "NormPos(1024x768)");
    EXPECT_EQ(fourIntegersText({-1, 2, 300, 4000}), "-1,2,300,4000");
    EXPECT_EQ(parseFourIntegers(u" 1, 2 ,,3", {9, 9, 9, 9}), (std::array<int, 4>{1, 2, 3, 9}));
    EXPECT_EQ(parseFourIntegers(u"1,x,3,99999999999", {9, 8, 7, 6}), (std::array<int, 4>{1, 8, 3, 6}));
    for (const int cmd : {1, 5, 9}) EXPECT_EQ(windowStateOfShowCmd(cmd), Qt::WindowNoState);
    for (const int cmd : {2, 6, 7}) EXPECT_EQ(windowStateOfShowCmd(cmd), Qt::WindowMinimized);
    EXPECT_EQ(windowStateOfShowCmd(3), Qt::WindowMaximized);
    EXPECT_EQ(windowStateOfShowCmd(0), std::nullopt);
    EXPECT_EQ(windowStateOfShowCmd(4), std::nullopt);
    EXPECT_EQ(showCmdOf(Qt::WindowMaximized | Qt::WindowActive), 3);
    EXPECT_EQ(showCmdOf(Qt::WindowMinimized), 2);
    EXPECT_EQ(showCmdOf(Qt::WindowNoState), 1);

    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    // On the second screen mostly: kept there, pulled inside.
    EXPECT_EQ(keepOnScreens(QRect(3000, 100, 400, 300), screens), QRect(2800, 100, 400, 300));
    // Overlapping nothing: the first screen; larger than it: shrunk.
    EXPECT_EQ(keepOnScreens(QRect(-5000, -10, 2500, 900), screens), QRect(0, 0, 1920, 900));
    EXPECT_EQ(keepOnScreens(QRect(10, 10, 400, 300), screens), QRect(10, 10, 400, 300));
}

TEST(FormPlacementRules, DefaultSectionsFollowTheWindowsClassAndTheControlsName) {
    test::app();
    QFrame window;
    QLabel control(&window);
    control.setObjectName("Filter22");
    QObject helper(&control);
    helper.setObjectName("Filterstorage");
    EXPECT_EQ(GetDefaultSection(&window), "QFrame");
    EXPECT_EQ(GetDefaultSection(&control), "QFrameFilter22");
    EXPECT_EQ(GetDefaultSection(&helper), "QFrame.Filterstorage");
    EXPECT_EQ(GetDefaultSection(nullptr), "");
}

}  // namespace
}  // namespace kestrave
