// Dark frames and flat fields in the window: the "Flat/Dark" menu, loading through the dialog,
// a project's reload of a file that is gone, "Create Darkframe" on a dark recording whose stack,
// saved as special FITS, loads back as the same dark, and the two boxes that choose where the
// dark is taken off.

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <cstring>
#include <fstream>
#include <random>

#include "frames/calibration_frames.h"
#include "persist/reg_settings.h"
#include "shell/controllers/calibration_controller.h"
#include "shell/controllers/input_controller.h"
#include "shell/controllers/save_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/named_control.h"
#include "shell/pages/stack_page.h"
#include "shell/speed_bar.h"
#include "shell_test_support.h"
#include "wavelet_page_support.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"

namespace kestrave::test {

namespace {

namespace fs = std::filesystem;

struct CalibrationWindowTest : ShellWindowTest {
    CalibrationWindowTest() {
        auto scripted = std::make_unique<ScriptedFileDialogs>();
        dialogs = scripted.get();
        context.setDialogs(std::move(scripted));
        context.regSettings = std::make_unique<RegSettings>();
        control<TDirectoryListBox>(*form, "DirectoryListBox1")->setDirectory(folder.path());
        createImagePlanes(editRun(context.pipeline).images, DefaultProcessAreaItem, context.progress(),
                          context.messages());
    }
    std::string lastType() const { return context.regSettings->ReadString("Files", "LastDarkFlattype", ""); }
    bool told(const std::string& caption, const std::string& text) const {
        for (const Message& message : messages.shown)
            if (message.caption == caption && message.text == text) return true;
        return false;
    }

    TempDir folder;
    ScriptedFileDialogs* dialogs = nullptr;
    CalibrationController& calibration = *pieces(*form).calibration;
    AlignPage& align = *pieces(*form).alignPage;
};

// A FITS file of the given header values with `samples` (big-endian 16 or 8 bits).
void writeFits(const fs::path& file, int bitpix, int width, int height, const std::vector<int>& samples) {
    std::string bytes;
    for (const auto& [key, value] : {std::pair{"SIMPLE", std::string("T")},
                                     {"BITPIX", std::to_string(bitpix)},
                                     {"NAXIS", std::string("2")},
                                     {"NAXIS1", std::to_string(width)},
                                     {"NAXIS2", std::to_string(height)}}) {
        char card[81];
        std::snprintf(card, sizeof card, "%-8s= %20s", key, value.c_str());
        bytes += std::string(card).append(80 - std::strlen(card), ' ');
    }
    bytes += std::string("END").append(77, ' ');
    bytes.resize(2880, ' ');
    for (const int s : samples) {
        if (bitpix == 16) bytes += static_cast<char>(s >> 8 & 0xFF);
        bytes += static_cast<char>(s & 0xFF);
    }
    std::ofstream(file, std::ios::binary) << bytes;
}

TEST_F(CalibrationWindowTest, TheDialogLoadsCheckTheirBoxAndFailuresLeaveItOff) {
    QToolButton& item = *pieces(*form).Speedbar->Flatdarkbutton;
    EXPECT_TRUE(item.isEnabled());
    ASSERT_EQ(item.menu(), calibration.menu.PopupMenu1);
    QStringList names;
    for (const QAction* action : item.menu()->actions()) names << action->objectName();
    EXPECT_EQ(names,
              QStringList({"LoadDarkframe1", "CreateDarkframe1", "LoadFlatfield1", "CreateFlatfield1"}));
    EXPECT_TRUE(calibration.menu.LoadDarkframe1->isEnabled());
    EXPECT_FALSE(calibration.menu.CreateDarkframe1->isEnabled());  // until an input is chosen
    EXPECT_FALSE(control<TPCheck>(align, "Usedarkframe")->isEnabled());
    EXPECT_FALSE(control<TPCheck>(align, "UseFlatfield")->isEnabled());

    // A cancelled dialog changes nothing.
    calibration.menu.LoadDarkframe1->trigger();
    EXPECT_EQ(dialogs->lastShown.Filter, pieces(*form).dialogs.OpenDialog.Filter);
    EXPECT_FALSE(control<TPCheck>(align, "Usedarkframe")->isEnabled());
    EXPECT_EQ(context.pipeline.images().DarkPlanes[1].xCount(), 2);

    // A bitmap dark (written by Qt): every channel times 128; its box and "Raw" become usable.
    QImage picture(6, 4, QImage::Format_RGB888);
    picture.fill(Qt::black);
    picture.setPixel(1, 2, qRgb(3, 4, 5));
    ASSERT_TRUE(picture.save(QString::fromStdString((folder / "dark.bmp").string()), "BMP"));
    dialogs->willChoose(folder / "dark.bmp", BitmapCalibration);
    calibration.menu.LoadDarkframe1->trigger();
    const PlaneTriple& dark = context.pipeline.images().DarkPlanes;
    EXPECT_EQ((std::array{dark[0][1][2], dark[1][1][2], dark[2][1][2]}),
              (std::array{384.0f, 512.0f, 640.0f}));
    EXPECT_TRUE(control<TPCheck>(align, "Usedarkframe")->isEnabled() &&
                control<TPCheck>(align, "Usedarkframe")->Checked());
    EXPECT_TRUE(control<TPCheck>(align, "Rawdark")->isEnabled());
    EXPECT_EQ(context.pipeline.model().DarkFileName, (folder / "dark.bmp").string());
    EXPECT_EQ(context.pipeline.model().DarkFileType, BitmapCalibration);
    EXPECT_EQ(lastType(), "BMP");

    // A PNG flat of one grey: 1.0 everywhere.
    picture.fill(qRgb(90, 90, 90));
    ASSERT_TRUE(picture.save(QString::fromStdString((folder / "flat.png").string()), "PNG"));
    dialogs->willChoose(folder / "flat.png", PngCalibration);
    calibration.menu.LoadFlatfield1->trigger();
    EXPECT_EQ(context.pipeline.images().FlatPlanes[2][5][3], 1.0f);
    EXPECT_TRUE(control<TPCheck>(align, "UseFlatfield")->Checked());
    EXPECT_EQ(context.pipeline.model().FlatFileType, PngCalibration);
    EXPECT_EQ(lastType(), "PNG");

    // A special FITS flat is grey: "Colour" goes off, and its depth is the last FITS depth.
    control<TPCheck>(align, "Colourstack")->setChecked(true);
    writeFits(folder / "flat.fitk", 16, 2, 2, {100, 300, 100, 300});
    dialogs->willChoose(folder / "flat.fitk", SpecialFitsCalibration);
    calibration.menu.LoadFlatfield1->trigger();
    EXPECT_EQ(context.pipeline.images().FlatPlanes[0][1][0], 1.5f);
    EXPECT_FALSE(control<TPCheck>(align, "Colourstack")->Checked());
    EXPECT_EQ(context.pipeline.input().readers.FitsBitpix, 16);
    EXPECT_EQ(lastType(), "FIT");

    // Too large for a frame: refused before reading, the box unchecked and disabled.
    writeFits(folder / "huge.fit", 16, 5000, 10, {});
    dialogs->willChoose(folder / "huge.fit", FitsCalibration);
    calibration.menu.LoadFlatfield1->trigger();
    EXPECT_TRUE(told("Flatfield warning", " Flatfield too large !!"));
    EXPECT_FALSE(control<TPCheck>(align, "UseFlatfield")->Checked() ||
                 control<TPCheck>(align, "UseFlatfield")->isEnabled());
    EXPECT_EQ(context.pipeline.images().FlatPlanes[0].xCount(), 2);

    // An 8-bit FITS dark: none of its samples is loaded, its planes of its size hold 0 and the box
    // stays ticked.
    writeFits(folder / "dark8.fit", 8, 3, 2, {1, 2, 3, 4, 5, 6});
    dialogs->willChoose(folder / "dark8.fit", FitsCalibration);
    calibration.menu.LoadDarkframe1->trigger();
    EXPECT_TRUE(told("Fits format error", "Unsupported fits format"));
    EXPECT_TRUE(control<TPCheck>(align, "Usedarkframe")->Checked());
    EXPECT_EQ(dark[2].xCount() * dark[2].yCount(), 6);
    EXPECT_EQ(dark[1][0][0] + dark[1][2][1], 0.0f);
    EXPECT_EQ(context.pipeline.input().readers.FitsBitpix, 8);

    // The filter chosen says how the file is read: a bitmap under "fits" is no FITS file.
    dialogs->willChoose(folder / "dark.bmp", FitsCalibration);
    calibration.menu.LoadDarkframe1->trigger();
    EXPECT_EQ(context.pipeline.model().DarkFileType, FitsCalibration);
    EXPECT_FALSE(control<TPCheck>(align, "Usedarkframe")->Checked());

    // "Raw" and "Darkframe" exclude each other.
    control<TPCheck>(align, "Usedarkframe")->setChecked(true);
    QTest::mouseClick(control<TPCheck>(align, "Rawdark"), Qt::LeftButton);
    EXPECT_TRUE(control<TPCheck>(align, "Rawdark")->Checked());
    EXPECT_FALSE(control<TPCheck>(align, "Usedarkframe")->Checked());
    QTest::mouseClick(control<TPCheck>(align, "Usedarkframe"), Qt::LeftButton);
    EXPECT_TRUE(control<TPCheck>(align, "Usedarkframe")->Checked());
    EXPECT_FALSE(control<TPCheck>(align, "Rawdark")->Checked());
}

TEST_F(CalibrationWindowTest, AProjectNamingAMissingDarkLeavesItUnchecked) {
    control<TPCheck>(align, "Usedarkframe")->setChecked(true);
    const std::string gone = (folder / "gone.fit").string();
    calibration.LoadDarkframeFile(gone, FitsCalibration);
    EXPECT_TRUE(told("Missing file", "Warning : darkframe " + gone + " missing "));
    EXPECT_TRUE(control<TPCheck>(align, "Usedarkframe")->isEnabled());
    EXPECT_FALSE(control<TPCheck>(align, "Usedarkframe")->Checked());
    calibration.LoadFlatfieldFile(gone, SpecialFitsCalibration);
    EXPECT_TRUE(told("File missing", "Warning : flatfield " + gone + " missing "));
    EXPECT_EQ(context.pipeline.model().FlatFileType, SpecialFitsCalibration);
}

// A dark recording: an 8-bit mono SER of `Frames` frames, a hot pixel in each, and a fixed
// pattern with a little seeded noise elsewhere.
struct DarkRecording : CalibrationWindowTest {
    static constexpr int Width = 20;
    static constexpr int Height = 12;
    static constexpr int Frames = 16;

    DarkRecording() {
        std::mt19937 noise(5);
        std::string bytes = "LUCAM-RECORDER";
        for (const int field : {0, 0, 0, Width, Height, 8, Frames})
            for (int b = 0; b < 4; ++b) bytes += static_cast<char>(field >> (8 * b) & 0xFF);
        bytes.resize(178, '\0');
        for (int i = 0; i < Frames; ++i)
            for (int y = 0; y < Height; ++y)
                for (int x = 0; x < Width; ++x) {
                    const int v =
                        x == 3 && y == 4 ? 200 : 6 + (x + 2 * y) % 5 + static_cast<int>(noise() % 4);
                    sums[static_cast<std::size_t>(y * Width + x)] += v;
                    bytes += static_cast<char>(v);
                }
        std::ofstream(folder / "dark.ser", std::ios::binary) << bytes;
        pieces(*form).input->chooseInput = [this] {
            return ChosenInput{{(folder / "dark.ser").string()}, InputFilter::SER};
        };
        pieces(*form).input->SelectFileButtonClick();
    }
    // The mean of the frames at (x, y): a whole number of sixteenths, exact in a float.
    float mean(int x, int y) const { return sums[static_cast<std::size_t>(y * Width + x)] / float{Frames}; }

    std::array<int, Width * Height> sums{};
};

TEST_F(DarkRecording, CreatedDarkSavedAsSpecialFitsLoadsBackAsTheSamePlanes) {
    ASSERT_TRUE(calibration.menu.CreateDarkframe1->isEnabled());
    calibration.menu.CreateDarkframe1->trigger();
    EXPECT_TRUE(context.pipeline.state().MasterFrameMode);
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Value(), Frames - 1);
    for (int i = 0; i < Frames; ++i) {
        EXPECT_EQ(context.pipeline.model().FrameRanking[i].Frame, i);
        EXPECT_EQ(context.pipeline.model().FrameRanking[i].Key, static_cast<float>(i + 1));
    }
    ASSERT_TRUE(context.pipeline.stack().exists());
    const T2dArrays& stack = context.pipeline.images().StackPlanes[1];
    for (const auto& [x, y] : {std::pair{3, 4}, {0, 0}, {19, 11}, {7, 5}}) EXPECT_EQ(stack[x][y], mean(x, y));

    dialogs->willChoose(folder / "master", 5);  // "special FITS"
    pieces(*form).save->SaveButtonClick();
    ASSERT_TRUE(fs::exists(folder / "master.fitk"));
    dialogs->willChoose(folder / "master.fitk", SpecialFitsCalibration);
    calibration.menu.LoadDarkframe1->trigger();
    EXPECT_EQ(lastType(), "FTR");
    ASSERT_TRUE(control<TPCheck>(align, "Usedarkframe")->Checked());
    for (const T2dArrays& plane : context.pipeline.images().DarkPlanes) {
        ASSERT_EQ(plane.xCount(), Width);
        ASSERT_EQ(plane.yCount(), Height);
        for (int x = 0; x < Width; ++x)
            for (int y = 0; y < Height; ++y) ASSERT_EQ(plane[x][y], 128.0f * mean(x, y)) << x << "," << y;
    }

    // The recording less its own dark is black.
    control<TRxSpeedButton>(*form, "Stackbutton")->click();
    for (int x = 0; x < Width; ++x)
        for (int y = 0; y < Height; ++y)
            ASSERT_EQ(context.pipeline.images().StackPlanes[1][x][y], 0.0f) << x << "," << y;
}

}  // namespace

}  // namespace kestrave::test
