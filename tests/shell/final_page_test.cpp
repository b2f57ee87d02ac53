// The Final page on the offscreen platform: its controls read into the final computation, the
// mouse drawing the crop rectangle and choosing the centre of rotation, the hue curves edited in
// their window, and the output (every save type, the clipboard, the resize view).

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "enhance/curve_editing.h"
#include "frames/bmp_reader.h"
#include "frames/png_io.h"
#include "persist/reg_settings.h"
#include "platform/safe_file.h"
#include "shell/controllers/final_controller.h"
#include "shell/controllers/shell_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/curve_graph.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/final_page.h"
#include "shell/pages/named_control.h"
#include "shell/pages/shrink_view.h"
#include "shell/tool_windows.h"
#include "shell/window_dialogs.h"
#include "shell_test_support.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"
#include "widgets/speed_button.h"
#include "widgets/spin_edit.h"
#include "widgets/switcher.h"

namespace kestrave::test {

namespace {

namespace fs = std::filesystem;

constexpr int W = 120;
constexpr int H = 80;

bool samePicture(const Bitmap24& a, const Bitmap24& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        if (!std::equal(a.row(y), a.row(y) + 3 * a.width(), b.row(y))) return false;
    return true;
}

// A window on the Final page of a rendered colourful picture (the 16-bit result holds the rendered
// levels × 255), with scripted save dialogs and a save folder.
struct FinalPageTest : ShellWindowTest {
    TempDir folder;
    ScriptedFileDialogs* dialogs = nullptr;
    FinalPage& page = *pieces(*form).finalPage;
    FinalController& controller = *pieces(*form).finalImage;
    const std::vector<float> flat = std::vector<float>(HueCurveTableSize, 0.0f);

    FinalPageTest() {
        auto scripted = std::make_unique<ScriptedFileDialogs>();
        dialogs = scripted.get();
        context.setDialogs(std::move(scripted));
        context.regSettings = std::make_unique<RegSettings>();
        control<TDirectoryListBox>(*form, "DirectoryListBox1")->setDirectory(folder.path());
        Bitmap24& rendered = editRun(context.pipeline).wavelet.ProcessPicture;
        rendered.resize(W, H);
        TTIFFBitMap& result = editRun(context.pipeline).images.ResultImage16;
        result = TTIFFBitMap(W + 1, H + 1);
        result.allocateHighBits();
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const int r = (x * 7) % 256, g = (y * 5) % 256, b = ((x + y) * 3) % 256;
                std::uint8_t* p = rendered.pixel(x, y);
                p[0] = static_cast<std::uint8_t>(b), p[1] = static_cast<std::uint8_t>(g),
                p[2] = static_cast<std::uint8_t>(r);
                std::uint16_t* s = result.HighBitRow(y) + 3 * x;
                s[0] = static_cast<std::uint16_t>(r * 255), s[1] = static_cast<std::uint16_t>(g * 255),
                s[2] = static_cast<std::uint16_t>(b * 255);
            }
        editRun(context.pipeline).model.ImageWidth = W;
        editRun(context.pipeline).model.ImageHeight = H;
        editRun(context.pipeline).stack.Colourstack = true;
        // As start-up leaves them.
        createCurveObjects(editRun(context.pipeline).curves, false);
        editRun(context.pipeline).state.activepage = TMainTab::tabFinal;
        form->show();
        pieces(*form).shell->selectTab(static_cast<int>(TMainTab::tabFinal));
    }

    // The picture the core makes of these settings, mirrored as shown.
    Bitmap24 expected(FinalSettings settings) const {
        const Bitmap24 turned = renderFinal(context.pipeline.images().ResultImage16, W, H, settings).image;
        return FlipBitmap(settings.FlipY, settings.FlipX, turned);
    }
    FinalSettings neutral() const { return FinalSettings{false, false, 0, 0, 0, flat, flat, flat}; }

    void press(QWidget& target, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(&target, button, Qt::NoModifier, at);
    }
    // A left drag in steps of two pixels, released at `to`.
    void drag(QWidget& target, QPoint from, QPoint to) {
        QTest::mousePress(&target, Qt::LeftButton, Qt::NoModifier, from);
        const QPoint way = to - from;
        const int steps = std::max(1, way.manhattanLength() / 2);
        for (int i = 1; i <= steps; ++i) {
            QMouseEvent move(QEvent::MouseMove, QPointF(from + way * i / steps), QPointF(), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&target, &move);
        }
        QTest::mouseRelease(&target, Qt::LeftButton, Qt::NoModifier, to);
    }
};

}  // namespace

TEST_F(FinalPageTest, ControlsTurnAdjustAndMirrorThePictureAsTheCoreDoes) {
    ASSERT_EQ(control<QLabel>(page, "RotateImage")->pixmap().size(), QSize(W, H))
        << "opening the page computes the picture";
    EXPECT_TRUE(samePicture(context.pipeline.finalImage().shown, expected(neutral())));

    struct Case {
        std::function<void()> act;
        double angle;
        bool flipX, flipY;
        int hue, saturation, lightness;
        int dial;  // where the dial points, however the angle was set
    };
    const std::vector<Case> cases{
        {[&] {
             control<QComboBox>(page, "ComboBox2")->setCurrentIndex(6);
             emit control<QComboBox>(page, "ComboBox2")->activated(6);
         },
         90, false, false, 0, 0, 0, 9},
        {[&] { QTest::mouseClick(control<TPCheck>(page, "FlipX"), Qt::LeftButton); }, 90, true, false, 0, 0,
         0, 9},
        {[&] {
             control<TASSwitcher>(page, "ASSwitcher1")->setPosition(3);
             QTest::mouseRelease(control<TASSwitcher>(page, "ASSwitcher1"), Qt::LeftButton);
         },
         30, true, false, 0, 0, 0, 3},
        {[&] {
             control<TRxSpinEdit>(page, "RxSpinEdit4")->setValue(-17);
             QTest::mouseClick(control<TPCheck>(page, "FlipY"), Qt::LeftButton);
         },
         -17, true, true, 0, 0, 0, 34},
        {[&] {
             control<TRxSlider>(page, "HueSlider")->setValue(25);
             control<TRxSlider>(page, "SaturationSlider")->setValue(-50);
             control<TRxSlider>(page, "Lightnessslider")->setValue(40);
         },
         -17, true, true, 25, -50, 40, 34},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        c.act();
        FinalSettings settings = neutral();
        settings.Angle = c.angle, settings.FlipX = c.flipX, settings.FlipY = c.flipY;
        settings.H0 = c.hue, settings.S0 = c.saturation, settings.L0 = c.lightness;
        // Every step is computed at once.
        EXPECT_TRUE(samePicture(context.pipeline.finalImage().shown, expected(settings))) << "case " << i;
        EXPECT_DOUBLE_EQ(static_cast<double>(control<TRxSpinEdit>(page, "RxSpinEdit4")->Value()), c.angle)
            << "case " << i;
        EXPECT_EQ(control<TASSwitcher>(page, "ASSwitcher1")->Position(), c.dial) << "case " << i;
    }
    EXPECT_EQ(control<QLabel>(page, "Huelabel")->text(), "Hue :25");
    EXPECT_EQ(control<QLabel>(page, "Saturationlabel")->text(), "Saturation :-50");
    // The dial turns the picture only when the mouse lets it go.
    control<TASSwitcher>(page, "ASSwitcher1")->setPosition(7);
    EXPECT_DOUBLE_EQ(static_cast<double>(control<TRxSpinEdit>(page, "RxSpinEdit4")->Value()), -17);
    // The overview stretches the picture over its whole box.
    EXPECT_NE(control<QLabel>(page, "Overview")->pixmap().toImage().pixel(2, 140), qRgb(64, 64, 64));

    control<QPushButton>(page, "resethslbutton")->click();
    EXPECT_EQ(control<QLabel>(page, "Huelabel")->text(), "Hue        :0");
    EXPECT_EQ(control<QLabel>(page, "Lightnesslabel")->text(), "Lightness  :0");
    EXPECT_EQ(control<TRxSlider>(page, "HueSlider")->Value(), 0);
    FinalSettings reset = neutral();
    reset.Angle = -17, reset.FlipX = reset.FlipY = true;
    EXPECT_TRUE(samePicture(context.pipeline.finalImage().shown, expected(reset)));
}

// The rectangle being drawn is the window's: the run keeps the crop it had until the release hands
// the new one over, corners in order; a right click (no drag) leaves none.
TEST_F(FinalPageTest, TheRunTakesTheCropRectangleAtTheRelease) {
    QLabel& picture = *control<QLabel>(page, "RotateImage");
    const auto edges = [](const TEdgeRect& r) { return std::array{r.Left, r.Right, r.Top, r.Bottom}; };
    drag(picture, QPoint(110, 70), QPoint(10, 20));
    ASSERT_EQ(edges(context.pipeline.state().CropRect), (std::array{10, 110, 20, 70}));
    // The band is drawn in exclusive-or white; opening the page draws it plain white.
    const std::uint8_t* at = context.pipeline.finalImage().shown.pixel(10, 40);
    const QRgb plain = qRgb(at[2], at[1], at[0]);
    const QRgb inverted = plain ^ 0xffffffu;
    EXPECT_EQ(picture.pixmap().toImage().pixel(10, 40), inverted);
    pieces(*form).shell->selectTab(static_cast<int>(TMainTab::tabFinal));
    EXPECT_EQ(picture.pixmap().toImage().pixel(10, 40), qRgb(255, 255, 255));
    // A picture computed anew shows none.
    QTest::mouseClick(control<TPCheck>(page, "FlipX"), Qt::LeftButton);
    QTest::mouseClick(control<TPCheck>(page, "FlipX"), Qt::LeftButton);
    EXPECT_EQ(picture.pixmap().toImage().pixel(10, 40), plain);
    // "Use Cropping" ticked draws it in exclusive-or again.
    QTest::mouseClick(control<TPCheck>(page, "Cropping"), Qt::LeftButton);
    QTest::mouseClick(control<TPCheck>(page, "Cropping"), Qt::LeftButton);
    EXPECT_EQ(picture.pixmap().toImage().pixel(10, 40), inverted);

    QTest::mousePress(&picture, Qt::LeftButton, Qt::NoModifier, QPoint(60, 50));
    QMouseEvent move(QEvent::MouseMove, QPointF(30, 40), QPointF(), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&picture, &move);
    EXPECT_EQ(edges(context.pipeline.state().CropRect), (std::array{10, 110, 20, 70})) << "while drawn";
    EXPECT_EQ(edges(context.shell.view.CropMark), (std::array{60, 30, 50, 40}));
    QTest::mouseRelease(&picture, Qt::LeftButton, Qt::NoModifier, QPoint(30, 40));
    EXPECT_EQ(edges(context.pipeline.state().CropRect), (std::array{30, 60, 40, 50}));
    EXPECT_EQ(context.shell.view.CropMark.Left, -1);

    QTest::mouseClick(&picture, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
    EXPECT_EQ(context.pipeline.state().CropRect.Left, -1);
}

TEST_F(FinalPageTest, TheMouseDrawsTheCropAndChoosesTheCentreOfRotation) {
    EXPECT_FALSE(control<TPCheck>(page, "Cropping")->isVisible()) << "offered once a rectangle exists";
    drag(*control<QLabel>(page, "RotateImage"), QPoint(110, 70), QPoint(10, 20));
    const TEdgeRect crop = context.pipeline.state().CropRect;
    EXPECT_EQ((std::array{crop.Left, crop.Right, crop.Top, crop.Bottom}), (std::array{10, 110, 20, 70}));
    EXPECT_TRUE(control<TPCheck>(page, "Cropping")->isVisible());
    EXPECT_TRUE(control<TPCheck>(page, "Cropping")->Checked());
    EXPECT_EQ(control<QLabel>(page, "Croppedarea")->text(), "x:110,y:70 w:100 h:50");

    // A click without a drag leaves no rectangle.
    QTest::mouseClick(control<QLabel>(page, "RotateImage"), Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    EXPECT_EQ(context.pipeline.state().CropRect.Left, -1);

    control<TRxSpinEdit>(page, "RxSpinEdit4")->setValue(45);
    control<TRxSpeedButton>(page, "RxSpeedButton1")->Click();
    EXPECT_EQ(static_cast<int>(control<TRxSpinEdit>(page, "RxSpinEdit4")->Value()), 0);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().caption, "Reposition rotation centre");
    QTest::mouseClick(control<QLabel>(page, "RotateImage"), Qt::LeftButton, Qt::NoModifier, QPoint(40, 25));
    EXPECT_TRUE(context.pipeline.state().RotationCentreSet);
    EXPECT_FALSE(context.shell.view.CentrePickMode);
    EXPECT_EQ(context.pipeline.state().CropRect.Left, -1) << "choosing the centre draws no rectangle";
    control<TRxSpinEdit>(page, "RxSpinEdit4")->setValue(90);
    FinalSettings settings = neutral();
    settings.Angle = 90, settings.RotationCentreSet = true;
    settings.RotationCentreX = 40, settings.RotationCentreY = 25;
    EXPECT_TRUE(samePicture(context.pipeline.finalImage().shown, expected(settings)));

    // A centre chosen by a drag leaves the rectangle drawn before as it was.
    drag(*control<QLabel>(page, "RotateImage"), QPoint(110, 70), QPoint(10, 20));
    control<TRxSpeedButton>(page, "RxSpeedButton1")->Click();
    drag(*control<QLabel>(page, "RotateImage"), QPoint(12, 34), QPoint(50, 50));
    const ProgramState& state = context.pipeline.state();
    EXPECT_EQ((std::array{state.RotationCentreX, state.RotationCentreY}), (std::array{12, 34}));
    EXPECT_FALSE(context.shell.view.CentrePickMode);
    EXPECT_EQ(
        (std::array{state.CropRect.Left, state.CropRect.Right, state.CropRect.Top, state.CropRect.Bottom}),
        (std::array{10, 110, 20, 70}));
}

TEST_F(FinalPageTest, HueCurvesEditedInTheirWindowChangeOnlyTheirHues) {
    QTest::mouseClick(control<TPCheck>(page, "AdvancedHLS"), Qt::LeftButton);
    ASSERT_TRUE(pieces(*form).tools.HLSwindow->isVisible());
    CurveGraph& graph = *control<CurveGraph>(*form, "Huegraph");
    // A point at 200 degrees, raised by 30.
    press(graph, QPoint(200, 50), Qt::RightButton);
    ASSERT_EQ(context.pipeline.curves().HueSpline.NumberOfPoints(), 10);
    drag(graph, QPoint(200, 50), QPoint(200, 20));
    const std::vector<float>& table = context.pipeline.finalImage().tables.HueCurveTable;
    EXPECT_GT(table[2000], 20.0f);
    EXPECT_NEAR(table[900], 0.0f, 0.5f) << "hues away from the point keep theirs";
    EXPECT_EQ(context.pipeline.finalImage().tables.SatCurveTable[2000], 0.0f);
    FinalSettings settings = neutral();
    settings.HueCurveTable = table;
    EXPECT_TRUE(samePicture(context.pipeline.finalImage().shown, expected(settings)));

    // The pointer over a bright pixel marks its hue; a right click there adds it to the hue curve.
    QTest::mouseMove(control<QLabel>(page, "RotateImage"), QPoint(100, 60));
    EXPECT_TRUE(control<TRectShape>(*form, "huepoint")->isVisible());
    press(*control<QLabel>(page, "RotateImage"), QPoint(100, 60), Qt::RightButton);
    QTest::mouseRelease(control<QLabel>(page, "RotateImage"), Qt::RightButton, Qt::NoModifier,
                        QPoint(100, 60));
    EXPECT_EQ(context.pipeline.curves().HueSpline.NumberOfPoints(), 11);

    // Ctrl + click deletes the point again; Reset HSL puts everything back.
    QTest::mouseClick(&graph, Qt::LeftButton, Qt::ControlModifier, QPoint(200, 20));
    EXPECT_EQ(context.pipeline.curves().HueSpline.NumberOfPoints(), 10);
    control<QPushButton>(page, "resethslbutton")->click();
    EXPECT_EQ(context.pipeline.curves().HueSpline.NumberOfPoints(), 9);
    EXPECT_EQ(*std::max_element(table.begin(), table.end()), 0.0f);
    QTest::mouseClick(control<TPCheck>(page, "AdvancedHLS"), Qt::LeftButton);
    EXPECT_FALSE(pieces(*form).tools.HLSwindow->isVisible());
}

TEST_F(FinalPageTest, EverySaveTypeTakesItsPartOfThePictureAndOnlyAWriteCountsAsSaved) {
    QTest::mouseClick(control<TPCheck>(page, "FlipX"), Qt::LeftButton);
    control<TRxSpinEdit>(page, "RxSpinEdit4")->setValue(30);
    drag(*control<QLabel>(page, "RotateImage"), QPoint(10, 20), QPoint(110, 70));
    const Bitmap24& shown = context.pipeline.finalImage().shown;

    struct Case {
        const char* chosen;
        int filter;
        std::vector<const char*> written;
    };
    const std::vector<Case> cases{
        {".bmp", 1, {"default.bmp"}},
        {"x.bmp", 2, {"x.jpg"}},
        {"x.fit", 3, {"x_R.fit", "x_G.fit", "x_B.fit"}},
        {"x.bmp", 4, {"x.tif"}},
        {"x", 5, {"x.png"}},
    };
    for (const Case& c : cases) {
        context.shell.ImageSaved = false;
        // The stack page's dialog goes back to BMP from its three FITS types (3..5), and keeps
        // TIFF and PNG (6, 7).
        const int stackFilter = c.filter + 2;
        pieces(*form).dialogs.SaveDialog1.FilterIndex = stackFilter;
        dialogs->willChoose(folder / c.chosen, c.filter);
        control<QPushButton>(page, "savefinalbutton")->click();
        EXPECT_EQ(pieces(*form).dialogs.SaveDialog1.FilterIndex, stackFilter <= 5 ? 1 : stackFilter);
        EXPECT_EQ(dialogs->lastShown.InitialDir, folder.path());
        for (const char* file : c.written) EXPECT_TRUE(fs::exists(folder / file)) << file;
        EXPECT_TRUE(context.shell.ImageSaved) << c.chosen;
    }
    // The BMP is the cropped picture as shown; the TIFF and PNG keep the whole image.
    const Bitmap24 bmp = readBmpFile(folder / "default.bmp");
    EXPECT_TRUE(samePicture(bmp, cropBitmap(shown, context.pipeline.state().CropRect)));
    EXPECT_EQ(bmp.width(), 100);
    EXPECT_EQ(bmp.height(), 50);
    TTIFFBitMap tiff(1, 1);
    std::uint16_t hiValue = 0;
    tiff.LoadFromTIFF(folder / "x.tif", hiValue);
    EXPECT_EQ(QSize(tiff.width(), tiff.height()), QSize(W, H));
    const PngPicture png = decodePng(readWholeFile(folder / "x.png"), "x.png");
    EXPECT_EQ(QSize(png.preview.width(), png.preview.height()), QSize(W, H));
    EXPECT_EQ(png.bitDepth, 16);

    // A file that cannot be written is reported, and the picture is not saved; a cancelled
    // dialog writes nothing.
    fs::create_directory(folder / "busy.bmp");
    context.shell.ImageSaved = false;
    dialogs->willChoose(folder / "busy", 1);
    messages.reply(mrYes);
    control<QPushButton>(page, "savefinalbutton")->click();
    EXPECT_FALSE(context.shell.ImageSaved);
    EXPECT_EQ(messages.shown.back().caption, "Save error");
    control<QPushButton>(page, "savefinalbutton")->click();
    EXPECT_FALSE(context.shell.ImageSaved);
}

TEST_F(FinalPageTest, ClipboardAndResizeViewTakeThePictureAsShown) {
    control<TRxSpinEdit>(page, "RxSpinEdit4")->setValue(15);
    drag(*control<QLabel>(page, "RotateImage"), QPoint(5, 6), QPoint(65, 46));
    control<QPushButton>(page, "clipboardbutton")->click();
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(60, 40));
    QTest::mouseClick(control<TPCheck>(page, "Cropping"), Qt::LeftButton);
    ASSERT_FALSE(control<TPCheck>(page, "Cropping")->Checked());
    control<QPushButton>(page, "clipboardbutton")->click();
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(W, H));
    const std::uint8_t* p = context.pipeline.finalImage().shown.pixel(50, 30);
    EXPECT_EQ(copied.pixelColor(50, 30), QColor(p[2], p[1], p[0]));

    // "Shrink" opens the resize view of the final picture, and closes it again.
    control<QPushButton>(page, "Shrink")->click();
    ASSERT_TRUE(pieces(*form).tools.Shrinkview->isVisible());
    control<QPushButton>(*form, "Shrinktooriginal")->click();
    const QImage scaled = control<QLabel>(*form, "ShrinkImage")->pixmap().toImage();
    ASSERT_EQ(scaled.size(), QSize(W, H));
    EXPECT_EQ(scaled.pixelColor(50, 30), QColor(p[2], p[1], p[0]));
    // Its save gives the window back the input's caption.
    editRun(context.pipeline).model.InputType = TInputType::itSER;
    editRun(context.pipeline).model.InputIsSER = true;
    editRun(context.pipeline).model.SerName = "moon.ser";
    dialogs->willChoose(folder / "small.bmp", 1);
    control<QPushButton>(*form, "Saveshrink")->click();
    EXPECT_TRUE(fs::exists(folder / "small.bmp"));
    EXPECT_EQ(form->windowTitle(), "Kestrave processing SER: moon.ser 0");
    control<QPushButton>(page, "Shrink")->click();
    EXPECT_FALSE(pieces(*form).tools.Shrinkview->isVisible());
}

}  // namespace kestrave::test
