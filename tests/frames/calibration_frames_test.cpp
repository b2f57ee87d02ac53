// Dark frames and flat fields from bitmaps, PNGs and FITS files: the stored values of every file
// type, the flat's normalisation, the FITS header's block boundary, the cut to the largest frame,
// and the failures that leave a zeroed 2 x 2 set (or, for a missing project file, the old one).

#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <functional>
#include <limits>
#include <tuple>

#include "frames/calibration_frames.h"
#include "still_test_files.h"
#include "support/temp_dir.h"

namespace kestrave::test {
namespace {

constexpr auto Dark = CalibrationKind::Dark;
constexpr auto Flat = CalibrationKind::Flat;
constexpr auto Dialog = CalibrationOrigin::Dialog;
constexpr auto Project = CalibrationOrigin::Project;

struct Loader {
    TempDir dir;
    PlaneTriple planes{T2dArrays(2, 2), T2dArrays(2, 2), T2dArrays(2, 2)};
    BatchMessagePresenter messages{[](const std::string&) {}};

    CalibrationLoad load(const Bytes& bytes, int type, CalibrationKind kind = Dark,
                         CalibrationOrigin origin = Dialog) {
        writeFile(dir / "frame", bytes);
        return loadCalibrationFrame(dir / "frame", type, kind, origin, planes, messages);
    }
    // The error a load throws, with the planes checked to be a zeroed 2 x 2 set afterwards.
    CalibrationError failure(const Bytes& bytes, int type, CalibrationKind kind, CalibrationOrigin origin) {
        try {
            load(bytes, type, kind, origin);
        } catch (const CalibrationError& error) {
            for (const T2dArrays& plane : planes) {
                EXPECT_EQ(plane.xCount(), 2);
                EXPECT_EQ(plane.yCount(), 2);
                for (int x = 0; x < 2; ++x) EXPECT_EQ(plane[x][0] + plane[x][1], 0.0f);
            }
            return error;
        }
        ADD_FAILURE() << "the load did not fail";
        return CalibrationError("", "");
    }
    std::array<float, 3> at(int x, int y) const {
        return {planes[0][x][y], planes[1][x][y], planes[2][x][y]};
    }
};

// A picture of width x height whose every pixel is colour(x, y) = 0xRRGGBB.
std::vector<std::uint32_t> picture(int width, int height,
                                   const std::function<std::uint32_t(int, int)>& colour) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(colour(x, y));
    return pixels;
}

Bytes bmp(int width, int height, const std::function<std::uint32_t(int, int)>& colour) {
    BmpParams params;
    params.width = width;
    params.height = height;
    return makeBmp(params, picture(width, height, colour));
}

Bytes png(int width, int height, const std::function<std::uint32_t(int, int)>& colour) {
    std::vector<std::uint16_t> samples;
    for (const std::uint32_t c : picture(width, height, colour))
        for (const int shift : {16, 8, 0}) samples.push_back(static_cast<std::uint16_t>(c >> shift & 0xFF));
    return makePng(width, height, PNG_COLOR_TYPE_RGB, 8, samples);
}

TEST(CalibrationFrames, EveryFileTypeStoresItsOwnScale) {
    // Pictures: each channel's byte x 128 in its own plane, the top row at y = 0.
    const auto pixel = [](int x, int y) -> std::uint32_t { return x == 1 && y == 0 ? 0x030405 : 0x000000; };
    Loader pictures;
    for (const Bytes& file : {bmp(3, 2, pixel), png(3, 2, pixel)}) {
        const int type = file[0] == 'B' ? BitmapCalibration : PngCalibration;
        const CalibrationLoad load = pictures.load(file, type);
        EXPECT_EQ(load.width, 3);
        EXPECT_EQ(load.height, 2);
        EXPECT_EQ(load.fitsBitpix, 0);
        EXPECT_EQ(pictures.at(1, 0), (std::array<float, 3>{384.0f, 512.0f, 640.0f})) << type;
        EXPECT_EQ(pictures.at(1, 1), (std::array<float, 3>{0.0f, 0.0f, 0.0f})) << type;
    }

    // FITS: sample + BZERO (-32 rounded first), x 128 for a plain FITS dark, as stored for the
    // special type; grey in all three planes, the first file row at the bottom.
    struct Case {
        int type;
        int bitpix;
        std::string bzero;
        double sample;
        float stored;
    };
    const std::vector<Case> cases = {
        {FitsCalibration, 16, "", 4, 512.0f},
        {SpecialFitsCalibration, 16, "", 512, 512.0f},
        {SpecialFitsCalibration, 16, "32768.0", -32000, 768.0f},
        {FitsCalibration, 32, "-10", 14, 512.0f},
        {FitsCalibration, -32, "", 3.5, 512.0f},
        {SpecialFitsCalibration, -32, "1", 2.5, 3.0f},
    };
    for (const Case& c : cases) {
        Loader fits;
        const CalibrationLoad load =
            fits.load(makeFits(fitsCards(c.bitpix, 2, 2, c.bzero), c.bitpix, {c.sample, 0, 0, 0}), c.type);
        EXPECT_EQ(load.fitsBitpix, c.bitpix);
        EXPECT_EQ(fits.at(0, 1), (std::array<float, 3>{c.stored, c.stored, c.stored})) << c.bitpix << c.bzero;
    }
}

TEST(CalibrationFrames, TheDataStartAtTheBlockAfterTheEndCard) {
    // 35 cards and END fill one block exactly; one more card pushes the data into the third.
    for (const int cards : {36, 37}) {
        std::vector<std::string> header = fitsCards(16, 1, 1);
        while (static_cast<int>(header.size()) < cards - 1) header.push_back(fitsCard("COMMENT", "'pad'"));
        Bytes file = makeFits(header, 16, {});
        ASSERT_EQ(file.size(), cards == 36 ? 2880u : 5760u);
        file.insert(file.end(), {0x00, 0x07});
        Loader loader;
        loader.load(file, SpecialFitsCalibration);
        EXPECT_EQ(loader.planes[1][0][0], 7.0f) << cards;
    }
}

TEST(CalibrationFrames, AFlatIsDividedByItsMeanAndNeverHoldsZero) {
    // A picture's mean is taken over the three channel values of every pixel.
    Loader colour;
    colour.load(bmp(4, 2, [](int, int) { return 0x326496u; }), BitmapCalibration, Flat);
    EXPECT_EQ(colour.at(3, 1), (std::array<float, 3>{0.5f, 1.0f, 1.5f}));

    struct Case {
        std::vector<double> samples;
        std::vector<float> expected;
    };
    const std::vector<Case> cases = {
        {{100, 300, 100, 300}, {0.5f, 1.5f, 0.5f, 1.5f}},
        {{0, 0, 0, 0}, {0.00001f, 0.00001f, 0.00001f, 0.00001f}},
        {{0, 400, 0, 400}, {0.00001f, 2.0f, 0.00001f, 2.0f}},
    };
    for (const Case& c : cases) {
        Loader flat;
        flat.load(makeFits(fitsCards(16, 2, 2), 16, c.samples), FitsCalibration, Flat);
        for (int k = 0; k < 4; ++k)
            for (const T2dArrays& plane : flat.planes)
                EXPECT_FLOAT_EQ(plane[k % 2][1 - k / 2], c.expected[static_cast<std::size_t>(k)]) << k;
    }

    // Samples that all but cancel leave a mean of about 1 against samples near the float range:
    // the quotients are clamped to that range.
    Loader cancelling;
    cancelling.load(makeFits(fitsCards(-32, 3, 1), -32, {3.4e38, -3.4e38, 1}), FitsCalibration, Flat);
    for (const T2dArrays& plane : cancelling.planes) {
        EXPECT_EQ(plane[0][0], std::numeric_limits<float>::max());
        EXPECT_EQ(plane[1][0], -std::numeric_limits<float>::max());
        EXPECT_TRUE(std::isfinite(plane[2][0]) && plane[2][0] >= 1.0f) << plane[2][0];
    }

    // 3 x 4096² values of 200: a single-precision running sum stalls at 2^32 long before the end.
    PlaneTriple large;
    for (T2dArrays& plane : large) {
        plane = T2dArrays(MaxFrameSize, MaxFrameSize);
        std::fill(plane.data(), plane.data() + plane.cellCount(), 200.0f);
    }
    normaliseFlat(large);
    for (const T2dArrays& plane : large) {
        EXPECT_NEAR(plane[0][0], 1.0, 1e-6);
        EXPECT_NEAR(plane[MaxFrameSize - 1][MaxFrameSize - 1], 1.0, 1e-6);
    }
}

TEST(CalibrationFrames, FailuresCarryTheirMessageAndLeaveAZeroedSet) {
    const Bytes bitpix8 = makeFits(fitsCards(8, 2, 2), 8, {1, 2, 3, 4});
    struct Case {
        CalibrationKind kind;
        CalibrationOrigin origin;
        const char* caption;
    };
    for (const Case& c : {Case{Dark, Dialog, "Fits format error"}, Case{Dark, Project, "Fits error"},
                          Case{Flat, Dialog, "Fits file error"}, Case{Flat, Project, "Fits format error"}}) {
        Loader loader;
        const CalibrationError error = loader.failure(bitpix8, FitsCalibration, c.kind, c.origin);
        EXPECT_EQ(error.caption(), c.caption);
        EXPECT_STREQ(error.what(), "Unsupported fits format");
    }

    // A header asking for 100000 columns holds no data: the dialog refuses it before allocating.
    const Bytes huge = makeFits(fitsCards(16, 100000, 100000), 16, {});
    Loader dialog;
    EXPECT_THROW(dialog.load(huge, FitsCalibration, Dark, Dialog), CalibrationTooLarge);
    const CalibrationError dark = dialog.failure(huge, FitsCalibration, Dark, Dialog);
    EXPECT_EQ(dark.caption(), "Frame size error");
    EXPECT_STREQ(dark.what(), " Darkframe too large !!");
    const CalibrationError flat = dialog.failure(huge, SpecialFitsCalibration, Flat, Dialog);
    EXPECT_EQ(flat.caption(), "Flatfield warning");
    EXPECT_STREQ(flat.what(), " Flatfield too large !!");
    EXPECT_EQ(flat.dlgType(), mtWarning);

    Loader bad;
    std::vector<std::string> cards = fitsCards(16, 2, 2);
    cards[3] = fitsCard("NAXIS1", "'two'");
    EXPECT_NE(
        std::string(bad.failure(makeFits(cards, 16, {1, 2, 3, 4}), FitsCalibration, Dark, Dialog).what())
            .find("is not a valid integer"),
        std::string::npos);
    EXPECT_EQ(bad.failure(Bytes{'B', 'M', 0, 0}, BitmapCalibration, Dark, Dialog).caption(), "File error");
    EXPECT_EQ(bad.failure(makeFits(fitsCards(16, 0, 5), 16, {}), FitsCalibration, Flat, Project).caption(),
              "File error");
}

TEST(CalibrationFrames, AMissingProjectFileOrUnknownTypeLeavesThePlanesAlone) {
    Loader loader;
    loader.planes[1][1][1] = 640.0f;
    const std::filesystem::path gone = loader.dir / "gone.fit";
    for (const auto& [kind, caption, text] :
         {std::tuple{Dark, "Missing file", "Warning : darkframe " + gone.string() + " missing "},
          std::tuple{Flat, "File missing", "Warning : flatfield " + gone.string() + " missing "}}) {
        try {
            loadCalibrationFrame(gone, FitsCalibration, kind, Project, loader.planes, loader.messages);
            ADD_FAILURE() << "a missing file was loaded";
        } catch (const CalibrationFileMissing& error) {
            EXPECT_EQ(error.caption(), caption);
            EXPECT_EQ(error.what(), text);
            EXPECT_EQ(error.dlgType(), mtWarning);
        }
    }
    EXPECT_FALSE(loader.load(bmp(3, 3, [](int, int) { return 0x010101u; }), -1, Dark, Project).loaded);
    EXPECT_EQ(loader.planes[1][1][1], 640.0f);
}

TEST(CalibrationFrames, OversizedAndShortFilesAreCutOrFilledWithZero) {
    // A picture wider than the largest frame: its left part, told only in the dialog.
    const Bytes wide =
        bmp(MaxFrameSize + 4, 1, [](int x, int) { return x == MaxFrameSize - 1 ? 0x000200u : 0u; });
    for (const CalibrationOrigin origin : {Dialog, Project}) {
        Loader loader;
        const CalibrationLoad load = loader.load(wide, BitmapCalibration, Dark, origin);
        EXPECT_EQ(load.width, MaxFrameSize);
        EXPECT_EQ(loader.planes[1][MaxFrameSize - 1][0], 256.0f);
        const auto& told = loader.messages.history();
        ASSERT_EQ(told.size(), origin == Dialog ? 1u : 0u);
        if (!told.empty()) {
            EXPECT_EQ(told[0].text, " Warning : darkframe too large , truncated !");
        }
    }

    // A project's FITS file taller than the largest frame keeps its first file rows (the bottom
    // of the picture); every row is read from its own place in the file.
    const int tall = MaxFrameSize + 3;
    std::vector<double> rows;
    for (int k = 0; k < tall; ++k) rows.insert(rows.end(), {static_cast<double>(k % 1000), 9});
    Loader project;
    project.load(makeFits(fitsCards(16, 2, tall), 16, rows), SpecialFitsCalibration, Dark, Project);
    ASSERT_EQ(project.planes[0].yCount(), MaxFrameSize);
    EXPECT_EQ(project.planes[0][0][MaxFrameSize - 1], 0.0f);
    EXPECT_EQ(project.planes[2][0][0], static_cast<float>((MaxFrameSize - 1) % 1000));
    EXPECT_EQ(project.planes[1][1][7], 9.0f);

    // A file that ends inside its data: the samples it lacks are 0, and the user is told.
    Bytes file = makeFits(fitsCards(16, 3, 2), 16, {1, 2, 3, 4, 5, 6});
    file.resize(2880 + 2 * 4);
    Loader shortFile;
    shortFile.load(file, SpecialFitsCalibration);
    const std::vector<float> expected = {1, 2, 3, 4, 0, 0};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(shortFile.planes[1][k % 3][1 - k / 3], expected[static_cast<std::size_t>(k)]);
    ASSERT_EQ(shortFile.messages.history().size(), 1u);
    EXPECT_NE(shortFile.messages.history()[0].text.find("missing samples are taken as 0"), std::string::npos);
}

TEST(CalibrationFrames, AMasterFrameRanksEveryFrameInOrderWithEqualWeight) {
    auto model = std::make_unique<FrameModel>();
    model->FrameTable[5].Slots[0].X = 3;
    model->FrameTable[7].Excluded = true;
    model->FrameTable[200].Slots[0].Quality = 0.25f;
    rankForMasterFrame(*model, 199);
    for (int i = 0; i <= 199; ++i) {
        const TFrameRec& frame = model->FrameTable[i];
        ASSERT_EQ(frame.Slots[0].Quality, 1.0f) << i;
        ASSERT_EQ(frame.Slots[0].Difference, 1.0f) << i;
        ASSERT_EQ(frame.Slots[2].Difference, 1.0f) << i;
        ASSERT_EQ(model->FrameRanking[i].Frame, i);
        ASSERT_EQ(model->FrameRanking[i].Key, static_cast<float>(i + 1));
    }
    EXPECT_EQ(model->FrameTable[5].Slots[0].X, 3);
    EXPECT_TRUE(model->FrameTable[7].Excluded);
    EXPECT_EQ(model->FrameTable[200].Slots[0].Quality, 0.25f);
}

}  // namespace
}  // namespace kestrave::test
