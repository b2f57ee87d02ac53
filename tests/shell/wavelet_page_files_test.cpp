// Scheme and filter files through the wavelet page's handlers: what is saved comes back into
// every control, a file that cannot be read changes nothing, and a replaced file is asked for.

#include <QPushButton>
#include <fstream>

#include "enhance/filter_file.h"
#include "platform/program_dir.h"
#include "shell/pages/named_control.h"
#include "wavelet_page_support.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace {

// A scheme unlike the design values in every field.
WaveletScheme unusualScheme() {
    WaveletScheme scheme;
    scheme.Waveletscheme = TWaveletScheme::Linear;
    scheme.Convolvemethod = TConvolveMethod::Gaussian;
    scheme.layerChecked = {true, false, true, false, false, true};
    scheme.LevelStep = 2;
    scheme.Multiplicant = 3;
    scheme.layerSlider = {-50, 0, 25, 130, 1000, 7};
    scheme.Gausslayer = {0.15, 0.2, 0.35, 0.5, 0.75, 1.25};
    return scheme;
}

void setControls(WaveletPage& page, const WaveletScheme& scheme) {
    control<TRadioGroup>(page, "Waveletscheme")->setItemIndex(static_cast<int>(scheme.Waveletscheme));
    control<TRadioGroup>(page, "Convolvemethod")->setItemIndex(static_cast<int>(scheme.Convolvemethod));
    const QSignalBlocker quietStep(control<TRxSpinEdit>(page, "LevelStep"));
    const QSignalBlocker quietIncrement(control<TRxSpinEdit>(page, "Multiplicant"));
    control<TRxSpinEdit>(page, "LevelStep")->setValue(scheme.LevelStep);
    control<TRxSpinEdit>(page, "Multiplicant")->setValue(scheme.Multiplicant);
    for (std::size_t i = 0; i < 6; ++i) {
        const QSignalBlocker quietWidth(page.gaussLayers()[i]);
        page.layerCheckboxes()[i]->setChecked(scheme.layerChecked[i]);
        page.layerSliders()[i]->setValue(scheme.layerSlider[i]);
        page.gaussLayers()[i]->setValue(scheme.Gausslayer[i]);
    }
}

std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST_F(WaveletPageTest, ASavedSchemeLoadsBackIntoEveryControlAndIsProcessed) {
    setStack(32, 32, false);
    const std::filesystem::path file = scripted.home.path() / "jupiter";
    setControls(page, unusualScheme());
    dialogs->willChoose(file);
    control<TRxSpeedButton>(page, "saveschembutton")->click();
    const std::filesystem::path saved = scripted.home.path() / "jupiter.kwv";
    ASSERT_TRUE(std::filesystem::exists(saved)) << "the default extension is added";

    setControls(page, WaveletScheme{});
    dialogs->willChoose(saved);
    control<TRxSpeedButton>(page, "loadschemebutton")->click();

    EXPECT_EQ(readWaveletScheme(page), unusualScheme());
    EXPECT_TRUE(control<TRxSpinEdit>(page, "LevelStep")->isEnabled()) << "linear";
    EXPECT_FALSE(control<TRxSlider>(page, "Layer2slider")->isEnabled()) << "layer 2 is off";
    EXPECT_TRUE(control<TRxSlider>(page, "Layer3slider")->isEnabled());
    EXPECT_EQ(control<TRadioGroup>(page, "CopyConvolveMethod")->ItemIndex(), 1);
    EXPECT_EQ(control<TPCheck>(page, "layer4checkbox")->Caption(), "4 : 11");
    EXPECT_FALSE(context.pipeline.state().LayersDirty) << "the loaded scheme was processed";
    EXPECT_EQ(messages.shown.empty() ? "" : messages.shown.back().caption, "Wavelet setup changed")
        << "the changed steps ask as typed ones do";

    // The same controls save the same file again.
    const std::filesystem::path again = scripted.home.path() / "again.kwv";
    dialogs->willChoose(again);
    control<TRxSpeedButton>(page, "saveschembutton")->click();
    EXPECT_EQ(fileText(again), fileText(saved));
}

// "Automatic processing" ticked on the Align page processes the stack as its steps reach it: the
// loader leaves "Process" to it, but a new scheme or filter is processed as when chosen.
TEST_F(WaveletPageTest, WithAutomaticProcessingALoadedSchemeLeavesTheProcessingToIt) {
    setStack(32, 32, false);
    const std::filesystem::path file = scripted.home.path() / "automatic.kwv";
    saveWaveletScheme(file, unusualScheme());
    control<TPCheck>(*form, "Autoprocess")->setChecked(true);
    dialogs->willChoose(file);
    control<TRxSpeedButton>(page, "loadschemebutton")->click();

    EXPECT_EQ(readWaveletScheme(page), unusualScheme());
    EXPECT_FALSE(context.pipeline.wavelet().ProcessPicture.empty()) << "the new filter was processed";
    EXPECT_TRUE(context.pipeline.state().LayersDirty) << "the changed steps wait for Process";
}

TEST_F(WaveletPageTest, ADefaultFilterSchemeStaysDefaultWhateverItsWidths) {
    WaveletScheme scheme = unusualScheme();
    scheme.Convolvemethod = TConvolveMethod::Default;
    const std::filesystem::path file = scripted.home.path() / "default.kwv";
    saveWaveletScheme(file, scheme);
    control<TRadioGroup>(page, "Convolvemethod")->setItemIndex(1);

    wavelet.loadwaveletdialog.FileName = file;
    wavelet.loadschemebuttonClick(true);

    EXPECT_EQ(dialogs->shown, 0) << "batch loads show no dialog";
    EXPECT_EQ(readWaveletScheme(page), scheme);
    EXPECT_FALSE(control<TRxSpinEdit>(page, "Gausslayer1")->isVisibleTo(&page));
    EXPECT_EQ(control<QLabel>(*tools.filter, "CentreWavelet")->text(), "centre :51 %")
        << "the kernel went into use";
}

TEST_F(WaveletPageTest, ASchemeThatCannotBeReadGivesAMessageAndChangesNothing) {
    setStack(32, 32, false);
    setControls(page, unusualScheme());
    const WaveletScheme before = readWaveletScheme(page);
    const std::filesystem::path missing = scripted.home.path() / "missing.kwv";

    dialogs->willChoose(missing);
    control<TRxSpeedButton>(page, "loadschemebutton")->click();

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].dlgType, mtError);
    EXPECT_NE(messages.shown[0].text.find(missing.string()), std::string::npos);
    EXPECT_EQ(readWaveletScheme(page), before);
    EXPECT_TRUE(context.pipeline.state().LayersDirty) << "nothing was processed";

    // A file that is no scheme or cannot be read, and a cancelled dialog, change nothing either.
    const std::filesystem::path foreign = scripted.home.path() / "notes.kwv";
    std::ofstream(foreign) << "[other]\nkey=1\n";
    dialogs->willChoose(foreign);
    control<TRxSpeedButton>(page, "loadschemebutton")->click();
    control<TRxSpeedButton>(page, "loadschemebutton")->click();
    // A file that opens but whose reads fail.
    std::filesystem::create_symlink("/proc/self/mem", foreign.parent_path() / "mem.kwv");
    dialogs->willChoose(foreign.parent_path() / "mem.kwv");
    control<TRxSpeedButton>(page, "loadschemebutton")->click();
    EXPECT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(readWaveletScheme(page), before);
}

TEST_F(WaveletPageTest, SavingOverASchemeAsksFirstAndNoKeepsTheOldFile) {
    const std::filesystem::path file = scripted.home.path() / "kept.kwv";
    std::ofstream(file) << "old";
    messages.reply(mrNo);
    dialogs->willChoose(file);
    control<TRxSpeedButton>(page, "saveschembutton")->click();

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "File exists");
    EXPECT_EQ(messages.shown[0].text, " overwrite existing waveletsettings ?");
    EXPECT_EQ(fileText(file), "old");

    messages.reply(mrYes);
    dialogs->willChoose(file);
    control<TRxSpeedButton>(page, "saveschembutton")->click();
    EXPECT_EQ(loadWaveletScheme(file), readWaveletScheme(page));
}

TEST_F(WaveletPageTest, AKernelFileRestoresTheSpinsButTheKernelWaitsForSet) {
    WaveletFilterPanel& filter = *tools.filter;
    control<TRxSpinEdit>(filter, "Filter00")->setValue(-3);
    control<TRxSpinEdit>(filter, "Filter44")->setValue(9);
    const std::filesystem::path file = scripted.home.path() / "sharp";
    dialogs->willChoose(file);
    control<QPushButton>(filter, "SaveFilter")->click();
    ASSERT_TRUE(std::filesystem::exists(scripted.home.path() / "sharp.ksf"));
    EXPECT_EQ(fileText(filterCopyPath()), fileText(scripted.home.path() / "sharp.ksf"));

    control<QPushButton>(filter, "ResetWaveletbutton")->click();
    const auto inUse = context.pipeline.wavelet().filter.WaveletKernel5x5;
    std::filesystem::remove(filterCopyPath());
    dialogs->willChoose(scripted.home.path() / "sharp.ksf");
    control<QPushButton>(filter, "Loadfilter")->click();

    EXPECT_EQ(control<TRxSpinEdit>(filter, "Filter00")->Value(), -3);
    EXPECT_EQ(control<TRxSpinEdit>(filter, "Filter44")->Value(), 9);
    EXPECT_EQ(context.pipeline.wavelet().filter.WaveletKernel5x5, inUse);
    EXPECT_TRUE(std::filesystem::exists(filterCopyPath()));

    // A missing kernel file changes no spin, silently.
    dialogs->willChoose(scripted.home.path() / "gone.ksf");
    control<QPushButton>(filter, "Loadfilter")->click();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(control<TRxSpinEdit>(filter, "Filter00")->Value(), -3);
}

}  // namespace kestrave::test
