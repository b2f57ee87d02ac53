// User filter kernel files: the layout the form storage uses, round trips, partial and damaged
// files, and the program's copy "savefilter.ini".

#include <gtest/gtest.h>

#include <string>

#include "enhance/filter_file.h"
#include "scheme_file_texts.h"
#include "support/temp_dir.h"

using namespace kestrave;
using test::readText;
using test::writeText;

namespace {

// Every spin different: Filter<a><b> (kernel index b × 5 + a) holds 10 × a + b - 20.
KernelSpins distinctSpins() {
    KernelSpins spins{};
    for (int a = 0; a < 5; ++a) {
        for (int b = 0; b < 5; ++b) spins[b * 5 + a] = 10 * a + b - 20;
    }
    return spins;
}

struct FilterFile : ::testing::Test {
    test::TempDir dir;
    std::filesystem::path file = dir / "sharp.ksf";
};

}  // namespace

TEST_F(FilterFile, TheKernelIsWrittenAsTheFormStorageWritesStoredValues) {
    saveFilterKernel(file, defaultKernelSpins());
    std::string expected = "[TMainForm]\r\nFormVersion=0\r\n";
    for (int a = 0; a < 5; ++a) {
        for (int b = 0; b < 5; ++b) {
            const bool centre = a == 2 && b == 2;
            const bool ring = a >= 1 && a <= 3 && b >= 1 && b <= 3;
            expected += "Filter" + std::to_string(a) + std::to_string(b) + "_Value=" +
                        (centre ? "50"
                         : ring ? "6"
                                : "0") +
                        "\r\n";
        }
    }
    EXPECT_EQ(readText(file), expected + "\r\n");
}

TEST_F(FilterFile, EverySpinSurvivesARoundTrip) {
    saveFilterKernel(file, distinctSpins());
    KernelSpins loaded = defaultKernelSpins();
    loadFilterKernel(file, loaded);
    EXPECT_EQ(loaded, distinctSpins());
    // The layout keeps the column digit first: Filter20 is the middle of the top row.
    EXPECT_NE(readText(file).find("Filter20_Value=0\r\n"), std::string::npos);
    EXPECT_NE(readText(file).find("Filter02_Value=-18\r\n"), std::string::npos);
}

TEST_F(FilterFile, KeysThatAreMissingOrNoNumberKeepTheSpinsValue) {
    writeText(file,
              "[TMainForm]\nFormVersion=0\nFilter22_Value= 12 \nFilter11_Value=abc\nFilter33_Value=2.5\n"
              "Filter13_Value=3.5\nFilter31_Value=-7E1\nFilter00_Value=1e30\nFilter44_Value=+4\n");
    KernelSpins spins = defaultKernelSpins();
    loadFilterKernel(file, spins);
    KernelSpins expected = defaultKernelSpins();
    expected[2 * 5 + 2] = 12;
    expected[3 * 5 + 3] = 2;  // ties go to the even neighbour
    expected[3 * 5 + 1] = 4;
    expected[1 * 5 + 3] = -70;
    expected[0] = 2147483647;
    expected[24] = 4;
    EXPECT_EQ(spins, expected);
}

TEST_F(FilterFile, AStoredFormVersionBelowZeroRestoresNothing) {
    writeText(file, "[TMainForm]\nFormVersion=-1\nFilter22_Value=1\n");
    KernelSpins spins = defaultKernelSpins();
    loadFilterKernel(file, spins);
    EXPECT_EQ(spins, defaultKernelSpins());
}

TEST_F(FilterFile, MissingAndForeignFilesChangeNothing) {
    KernelSpins spins = distinctSpins();
    EXPECT_NO_THROW(loadFilterKernel(dir / "gone.ksf", spins));
    for (const std::string& text :
         {std::string("[scheme]\r\nitemindex=1\r\n"), std::string("\x01\x02\x03", 3),
          std::string("[TMainForm]\r\nFormVersion=0\r\n")}) {
        writeText(file, text);
        EXPECT_NO_THROW(loadFilterKernel(file, spins)) << text;
    }
    EXPECT_EQ(spins, distinctSpins());
}

TEST_F(FilterFile, TheProgramsCopyLivesInTheProgramDirectory) {
    test::ProgramDirScope home;
    EXPECT_EQ(filterCopyPath(), home.path() / "savefilter.ini");
    saveFilterKernel(filterCopyPath(), distinctSpins());
    KernelSpins loaded{};
    loadFilterKernel(filterCopyPath(), loaded);
    EXPECT_EQ(loaded, distinctSpins());
}
