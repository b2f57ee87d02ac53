// Wavelet scheme files: every field survives a save and a load, the file layout, defaults and
// clamping of what a file leaves out or overstates, and the refusal of missing or foreign files.

#include <gtest/gtest.h>

#include <string>

#include "enhance/scheme_file.h"
#include "scheme_file_texts.h"
#include "support/temp_dir.h"

using namespace kestrave;
using test::readText;
using test::writeText;

namespace {

// A scheme in which no field has its default value.
WaveletScheme unusualScheme() {
    WaveletScheme scheme;
    scheme.Waveletscheme = TWaveletScheme::Linear;
    scheme.Convolvemethod = TConvolveMethod::Gaussian;
    scheme.layerChecked = {true, false, true, true, false, true};
    scheme.LevelStep = 3;
    scheme.Multiplicant = 2;
    scheme.layerSlider = {-50, 0, 25, 100, 1000, 7};
    scheme.Gausslayer = {0.15, 0.05, 1.23, 0.57, 2.5, 0.29};
    return scheme;
}

struct SchemeFile : ::testing::Test {
    test::TempDir dir;
    std::filesystem::path file = dir / "jupiter.kwv";
};

}  // namespace

TEST_F(SchemeFile, SaveAndLoadRestoreEveryFieldAndASecondSaveIsByteIdentical) {
    const WaveletScheme scheme = unusualScheme();
    saveWaveletScheme(file, scheme);
    EXPECT_EQ(loadWaveletScheme(file), scheme);

    const std::string first = readText(file);
    saveWaveletScheme(file, loadWaveletScheme(file));
    EXPECT_EQ(readText(file), first);
}

TEST_F(SchemeFile, KeysAreWrittenInTheirSectionsAndOrder) {
    saveWaveletScheme(file, unusualScheme());
    EXPECT_EQ(
        readText(file),
        "[scheme]\r\nitemindex=1\r\ninitial=3\r\nstep=2\r\n\r\n"
        "[method]\r\nitemindex=1\r\n\r\n"
        "[checkbox]\r\nlayer1=1\r\nlayer2=0\r\nlayer3=1\r\nlayer4=1\r\nlayer5=0\r\nlayer6=1\r\n\r\n"
        "[slider]\r\nlayer1=-50\r\nlayer2=0\r\nlayer3=25\r\nlayer4=100\r\nlayer5=1000\r\nlayer6=7\r\n\r\n"
        "[Gauss]\r\nlayer1=15\r\nlayer2=5\r\nlayer3=123\r\nlayer4=57\r\nlayer5=250\r\nlayer6=29\r\n\r\n");
}

TEST_F(SchemeFile, SavingReplacesWhateverTheFileHeldBefore) {
    writeText(file, "[project]\r\nframes=12\r\n\r\n[scheme]\r\nitemindex=0\r\nextra=1\r\n");
    saveWaveletScheme(file, WaveletScheme{});
    const std::string text = readText(file);
    EXPECT_EQ(text.find("project"), std::string::npos);
    EXPECT_EQ(text.find("extra"), std::string::npos);
    EXPECT_EQ(loadWaveletScheme(file), WaveletScheme{});
}

TEST_F(SchemeFile, MissingKeysTakeTheirDefaults) {
    writeText(file, "[scheme]\nitemindex=1\n");
    WaveletScheme expected;
    expected.Waveletscheme = TWaveletScheme::Linear;
    const WaveletScheme loaded = loadWaveletScheme(file);
    EXPECT_EQ(loaded, expected);
    EXPECT_EQ(loaded.Convolvemethod, TConvolveMethod::Default);
    EXPECT_EQ(loaded.layerChecked, (std::array<bool, 6>{}));
    EXPECT_EQ(loaded.LevelStep, 1.0);
    EXPECT_EQ(loaded.Multiplicant, 0.0);
    EXPECT_EQ(loaded.layerSlider[5], 10);
    EXPECT_DOUBLE_EQ(loaded.Gausslayer[0], 0.1);
}

TEST_F(SchemeFile, ValuesOutsideTheControlsRangesAreClampedAndBadNumbersTakeDefaults) {
    writeText(file,
              "[scheme]\nitemindex=7\ninitial=0\nstep=99\n"
              "[method]\nitemindex=-3\n"
              "[checkbox]\nlayer1=5\nlayer2=yes\n"
              "[slider]\nlayer1=5000\nlayer2=-100\nlayer3=abc\nlayer4= 12\n"
              "[Gauss]\nlayer1=15\nlayer2=x\n");
    const WaveletScheme loaded = loadWaveletScheme(file);
    EXPECT_EQ(loaded.Waveletscheme, TWaveletScheme::Linear);
    EXPECT_EQ(loaded.Convolvemethod, TConvolveMethod::Default);
    EXPECT_EQ(loaded.LevelStep, 1.0);
    EXPECT_EQ(loaded.Multiplicant, 32.0);
    EXPECT_TRUE(loaded.layerChecked[0]);
    EXPECT_FALSE(loaded.layerChecked[1]);
    EXPECT_EQ(loaded.layerSlider[0], 1000);
    EXPECT_EQ(loaded.layerSlider[1], -50);
    EXPECT_EQ(loaded.layerSlider[2], 10);
    EXPECT_EQ(loaded.layerSlider[3], 12);
    EXPECT_DOUBLE_EQ(loaded.Gausslayer[0], 0.15);
    EXPECT_DOUBLE_EQ(loaded.Gausslayer[1], 0.1);

    // 1 and 32 are the LevelStep limits, also from the other side.
    writeText(file, "[scheme]\ninitial=40\nstep=-1\n");
    EXPECT_EQ(loadWaveletScheme(file).LevelStep, 32.0);
    EXPECT_EQ(loadWaveletScheme(file).Multiplicant, 0.0);
}

TEST_F(SchemeFile, AMissingFileIsAnErrorThatNamesItAndChangesNothing) {
    WaveletScheme current = unusualScheme();
    try {
        current = loadWaveletScheme(dir / "gone.kwv");
        FAIL() << "a missing scheme loaded";
    } catch (const WaveletFileError& error) {
        EXPECT_EQ(std::string(error.what()), "Wavelet scheme file not found: " + (dir / "gone.kwv").string());
    }
    EXPECT_EQ(current, unusualScheme());
}

TEST_F(SchemeFile, FilesThatAreNoSchemeAreRefusedWithAClearMessage) {
    const std::string expected = file.string() + " is not a wavelet scheme file";
    const auto refused = [&](const std::filesystem::path& path, const std::string& message) {
        try {
            loadWaveletScheme(path);
        } catch (const WaveletFileError& error) {
            EXPECT_EQ(std::string(error.what()), message);
            return;
        }
        ADD_FAILURE() << path << " loaded as a scheme";
    };

    writeText(file, "");
    refused(file, expected);
    writeText(file, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    refused(file, expected);
    writeText(file, "[TMainForm]\r\nFormVersion=0\r\nFilter00_Value=0\r\n");
    refused(file, expected);
    writeText(file, std::string((1 << 20) + 1, 'x'));
    refused(file, expected);
    refused(dir.path(), dir.path().string() + " is not a wavelet scheme file");
}

TEST_F(SchemeFile, AFailedSaveReportsTheFile) {
    EXPECT_THROW(saveWaveletScheme(dir / "no such folder" / "a.kwv", WaveletScheme{}), FileError);
}
