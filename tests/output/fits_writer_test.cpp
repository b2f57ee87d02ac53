// The FITS writer: the header's card layout, the samples of every kind of file read back by
// astropy (and checked by fitsverify), the file names, the overwrite question, and failures that
// are reported and leave older files and the input as they were.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "output/fits_writer.h"
#include "output_test_support.h"
#include "support/temp_dir.h"

using namespace kestrave;
using namespace kestrave::test;
namespace fs = std::filesystem;

namespace {

// Reads a FITS file with astropy and compares its data, flipped to top-first rows, with the
// expected physical values.
const char* const AstropyCheck = R"(
import sys, numpy as np
from astropy.io import fits
path, expected_path = sys.argv[1:3]
with fits.open(path) as hdul:
    header = hdul[0].header
    data = hdul[0].data
    expected = np.fromfile(expected_path, dtype='<i8')
    flipped = data[::-1].reshape(-1).astype(np.int64)
    print('BITPIX', header['BITPIX'], 'BZERO', header['BZERO'], 'dtype', data.dtype.name, 'shape', *data.shape)
    print('equal', int(flipped.shape == expected.shape and np.array_equal(flipped, expected)))
)";

class FitsWriter : public ::testing::Test {
protected:
    SaveContext context() { return SaveContext{messages, masterFrameMode}; }

    // astropy's summary line and whether the data equal `expected` (top row first).
    std::string astropySummary(const fs::path& file, const std::vector<std::int64_t>& expected) {
        const fs::path expectedFile = dir / "expected.raw";
        writeBytes(expectedFile, expected.data(), expected.size() * sizeof(std::int64_t));
        return runPython(AstropyCheck, {file.string(), expectedFile.string()});
    }

    void skipWithoutAstropy() {
        if (!astropyAvailable()) GTEST_SKIP() << "python3 with astropy and numpy is not installed";
    }

    // fitsverify's verdict: no errors (the two-digit DATE-OBS year may give a warning).
    void expectFitsverifyAccepts(const fs::path& file) {
        if (installedTool("fitsverify").empty()) return;
        std::string output;
        runCommand("/usr/bin/fitsverify " + shellQuoted(file), output);
        EXPECT_NE(output.find(" 0 error"), std::string::npos) << output;
    }

    TempDir dir;
    ScriptedMessages messages;
    bool masterFrameMode = false;
};

std::tm fixedTime() {
    std::tm when{};
    when.tm_year = 124;  // 2024
    when.tm_mon = 2;
    when.tm_mday = 5;
    when.tm_hour = 7;
    when.tm_min = 8;
    when.tm_sec = 9;
    return when;
}

std::string card(const std::string& header, int index) {
    return header.substr(std::size_t(index) * 80, 80);
}

std::string padded(std::string text) {
    text.resize(80, ' ');
    return text;
}

// A stack whose values spread over a wide range, negative ones included.
float stackValue(int c, int x, int y) {
    return float(c * 40 + x * 3 - y * 2) + 0.25f * float((x * y) % 4);
}

// The stretched 16-bit samples of channel c, as physical values (sample + 32768), top row first.
std::vector<std::int64_t> stretched16(const PlaneTriple& planes, const std::vector<int>& channels, int c,
                                      int w, int h) {
    float lo = planes[channels[0]][0][0], hi = lo;
    for (int ch : channels)
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < h; ++y)
                lo = std::min(lo, planes[ch][x][y]), hi = std::max(hi, planes[ch][x][y]);
    const float range = (hi - lo) * 1.1f;
    std::vector<std::int64_t> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out.push_back(
                std::int64_t(std::nearbyint(((planes[c][x][y] - lo) / double(range) - 0.5) * 65535.0)) +
                32768);
    return out;
}

}  // namespace

TEST_F(FitsWriter, HeaderHoldsTheFixedCardsInOneBlock) {
    const std::string h = buildFitsHeader(16, 100, 50, 32768, fixedTime()).bytes();
    ASSERT_EQ(h.size(), 2880u);
    EXPECT_EQ(card(h, 0), padded("SIMPLE  =                    T"));
    EXPECT_EQ(card(h, 1), padded("BITPIX  =                   16"));
    EXPECT_EQ(card(h, 2), padded("NAXIS   =                    2"));
    EXPECT_EQ(card(h, 3), padded("NAXIS1  =                  100"));
    EXPECT_EQ(card(h, 4), padded("NAXIS2  =                   50"));
    EXPECT_EQ(card(h, 5), padded("BSCALE  =                    1"));
    EXPECT_EQ(card(h, 6), padded("BZERO   =                32768"));
    EXPECT_EQ(card(h, 7), padded("BYTESWAP=                    T"));
    EXPECT_EQ(card(h, 8), padded("DATE-OBS= '05/03/24'"));
    EXPECT_EQ(card(h, 9), padded("TIME-OBS= '07:08:09'"));
    EXPECT_EQ(card(h, 10), padded("OBJECT  = ''"));
    EXPECT_EQ(card(h, 11), padded("INSTRUME= ''"));
    EXPECT_EQ(card(h, 12), padded("EXPOSURE= ''"));
    EXPECT_EQ(card(h, 13), padded("OBSERVER= ''"));
    EXPECT_EQ(card(h, 14), padded("COMMENT = KESTRAVE V4.0"));
    EXPECT_EQ(card(h, 15), padded("COMMENT = "));
    EXPECT_EQ(card(h, 16), padded("END"));
    for (int i = 17; i < 36; ++i) EXPECT_EQ(card(h, i), std::string(80, ' ')) << i;

    FitsHeader cards;
    cards.WriteCard(std::string(90, 'x'));
    cards.WriteValueCard("BITPIX  =", "-32");
    EXPECT_EQ(cards.cardCount(), 2u);
    EXPECT_EQ(card(cards.bytes(), 0), std::string(80, 'x'));
    EXPECT_EQ(card(cards.bytes(), 1).substr(0, 30), "BITPIX  =                  -32");
}

TEST_F(FitsWriter, MonoStackIsStretchedToSixteenBitsBottomRowFirst) {
    const int w = 100, h = 100;
    const PlaneTriple planes = makePlanes(w, h, stackValue);
    SaveContext ctx = context();
    const FitSaveResult result =
        FitSave(dir / "m1.bmp", w, h, 16, FitSource::Stack, {&planes, nullptr, false}, ctx);
    ASSERT_EQ(result.written, std::vector<fs::path>{dir / "m1.fit"});
    EXPECT_FALSE(result.failed);
    // 2880 header bytes + 20000 data bytes padded to the end of the eighth block.
    const std::vector<std::uint8_t> bytes = fileBytes(dir / "m1.fit");
    ASSERT_EQ(bytes.size(), 23040u);
    // The first sample in the file is pixel (0, h - 1), big-endian, less 32768.
    const std::int64_t expected0 = stretched16(planes, {1}, 1, w, h)[std::size_t(h - 1) * w] - 32768;
    EXPECT_EQ(std::int16_t(bytes[2880] << 8 | bytes[2881]), expected0);
    EXPECT_TRUE(
        std::all_of(bytes.begin() + 2880 + 20000, bytes.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(masterFrameMode);

    expectFitsverifyAccepts(dir / "m1.fit");
    skipWithoutAstropy();
    const std::string summary = astropySummary(dir / "m1.fit", stretched16(planes, {1}, 1, w, h));
    EXPECT_NE(summary.find("BITPIX 16 BZERO 32768 dtype uint16 shape 100 100"), std::string::npos) << summary;
    EXPECT_NE(summary.find("equal 1"), std::string::npos) << summary;
}

TEST_F(FitsWriter, ColourStackWritesOneFilePerChannelAndNoKeepsThatOldFile) {
    const int w = 31, h = 17;
    const PlaneTriple planes = makePlanes(w, h, stackValue);
    writeBytes(dir / "m1_G.fit", "old green", 9);
    messages.answers = {mrNo};
    SaveContext ctx = context();
    const FitSaveResult result =
        FitSave(dir / "m1.fit", w, h, 16, FitSource::Stack, {&planes, nullptr, true}, ctx);

    EXPECT_EQ(result.written, (std::vector<fs::path>{dir / "m1_R.fit", dir / "m1_B.fit"}));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "File exists");
    EXPECT_EQ(messages.shown[0].text, " Overwrite existing file ( " + (dir / "m1_G.fit").string() + " ) ?");
    EXPECT_EQ(messages.shown[0].dlgType, mtWarning);
    EXPECT_EQ(messages.shown[0].buttons, mbYesNo);
    EXPECT_EQ(messages.shown[0].batchAnswer, mrYes);
    const std::vector<std::uint8_t> old = fileBytes(dir / "m1_G.fit");
    EXPECT_EQ(std::string(old.begin(), old.end()), "old green");

    // A batch run replaces the old file without asking.
    messages.shown.clear();
    ctx.batchMode = true;
    EXPECT_EQ(
        FitSave(dir / "m1.fit", w, h, 16, FitSource::Stack, {&planes, nullptr, true}, ctx).written.size(),
        3u);
    EXPECT_TRUE(messages.shown.empty());

    skipWithoutAstropy();
    // The scale is shared by the three channels.
    for (const auto& [c, name] : {std::pair{0, "m1_R.fit"}, {1, "m1_G.fit"}, {2, "m1_B.fit"}}) {
        const std::string summary = astropySummary(dir / name, stretched16(planes, {0, 1, 2}, c, w, h));
        EXPECT_NE(summary.find("equal 1"), std::string::npos) << name << summary;
    }
}

TEST_F(FitsWriter, ThirtyTwoBitsAndTheResultSourceKeepTheirSamples) {
    const int w = 48, h = 30;  // 1440 16-bit samples end exactly on a block: no padding
    const PlaneTriple planes = makePlanes(w, h, stackValue);
    TTIFFBitMap result16 = makeImage16(w + 1, h + 1, 7);
    SaveContext ctx = context();
    ASSERT_EQ(
        FitSave(dir / "r", w, h, 16, FitSource::Result, {&planes, &result16, false}, ctx).written.size(), 1u);
    EXPECT_EQ(fs::file_size(dir / "r.fit"), 2880u * 2);
    ASSERT_EQ(FitSave(dir / "s32", w, h, 32, FitSource::Stack, {&planes, nullptr, false}, ctx).written.size(),
              1u);
    EXPECT_EQ(fs::file_size(dir / "s32.fit"), 2880u * 3);
    expectFitsverifyAccepts(dir / "s32.fit");

    skipWithoutAstropy();
    std::vector<std::int64_t> green16;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) green16.push_back(result16.HighBitRow(y)[3 * x + 1]);
    std::string summary = astropySummary(dir / "r.fit", green16);
    EXPECT_NE(summary.find("BITPIX 16 BZERO 32768 dtype uint16"), std::string::npos) << summary;
    EXPECT_NE(summary.find("equal 1"), std::string::npos) << summary;

    float lo = planes[1][0][0], hi = lo;
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y) lo = std::min(lo, planes[1][x][y]), hi = std::max(hi, planes[1][x][y]);
    const double range = (hi - lo) * 1.1f;
    std::vector<std::int64_t> wide;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            wide.push_back(std::int64_t(std::nearbyint((planes[1][x][y] - lo) / range * 2147483645.0)));
    summary = astropySummary(dir / "s32.fit", wide);
    EXPECT_NE(summary.find("BITPIX 32 BZERO 0 dtype int32"), std::string::npos) << summary;
    EXPECT_NE(summary.find("equal 1"), std::string::npos) << summary;
}

TEST_F(FitsWriter, FlatStackGivesTheLowestSampleWithoutDividingByZero) {
    const int w = 9, h = 4;
    const PlaneTriple planes = makePlanes(w, h, [](int, int, int) { return 42.0f; });
    SaveContext ctx = context();
    ASSERT_EQ(
        FitSave(dir / "flat", w, h, 16, FitSource::Stack, {&planes, nullptr, false}, ctx).written.size(), 1u);
    const std::vector<std::uint8_t> bytes = fileBytes(dir / "flat.fit");
    for (int i = 0; i < w * h; ++i) {
        EXPECT_EQ(bytes[2880 + 2 * i], 0x80);
        EXPECT_EQ(bytes[2880 + 2 * i + 1], 0x00);
    }
}

TEST_F(FitsWriter, MasterFramesKeepThePlaneValuesAndSwitchTheModeOn) {
    const int w = 12, h = 6;
    // 300 * 128 does not fit 16 bits: the sample is clamped instead of wrapping round.
    const PlaneTriple planes =
        makePlanes(w, h, [](int, int x, int y) { return x == 0 && y == 0 ? 300.0f : x * 2.5f - y; });
    SaveContext ctx = context();
    ASSERT_EQ(FitSave(dir / "dark.fit", w, h, -16, FitSource::Stack, {&planes, nullptr, false}, ctx).written,
              std::vector<fs::path>{dir / "dark.fitk"});
    EXPECT_TRUE(masterFrameMode);
    // Now every save keeps the plane values, under the name as given, even from the result source.
    TTIFFBitMap result16 = makeImage16(w + 1, h + 1, 3);
    ASSERT_EQ(
        FitSave(dir / "plain.fts", w, h, 16, FitSource::Result, {&planes, &result16, false}, ctx).written,
        std::vector<fs::path>{dir / "plain.fts"});

    skipWithoutAstropy();
    std::vector<std::int64_t> times128, plain;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double v = planes[1][x][y];
            times128.push_back(std::min<std::int64_t>(32767, std::int64_t(std::nearbyint(v * 128))));
            plain.push_back(std::int64_t(std::nearbyint(v)));
        }
    std::string summary = astropySummary(dir / "dark.fitk", times128);
    EXPECT_NE(summary.find("BITPIX 16 BZERO 0 dtype int16"), std::string::npos) << summary;
    EXPECT_NE(summary.find("equal 1"), std::string::npos) << summary;
    summary = astropySummary(dir / "plain.fts", plain);
    EXPECT_NE(summary.find("equal 1"), std::string::npos) << summary;
}

TEST_F(FitsWriter, FailedWriteIsReportedStopsAndLeavesOldFilesAndTheInput) {
    const int w = 40, h = 40;
    const PlaneTriple planes = makePlanes(w, h, stackValue);
    SaveContext ctx = context();
    ctx.batchMode = true;
    writeBytes(dir / "m1_R.fit", "old red", 7);
    writeBytes(dir / "m1_G.fit", "old green", 9);
    {
        FileSizeLimit limit(4000);  // the header fits, the samples do not
        const FitSaveResult result =
            FitSave(dir / "m1.fit", w, h, 16, FitSource::Stack, {&planes, nullptr, true}, ctx);
        EXPECT_TRUE(result.failed);
        EXPECT_TRUE(result.written.empty());
    }
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "FIT not SAVED");
    EXPECT_EQ(messages.shown[0].text, "An error occured during fitsave");
    EXPECT_EQ(messages.shown[0].buttons, mbOK);
    EXPECT_EQ(fileBytes(dir / "m1_R.fit").size(), 7u);
    EXPECT_EQ(fileBytes(dir / "m1_G.fit").size(), 9u);
    EXPECT_FALSE(fs::exists(dir / "m1_B.fit"));  // no further channel after a failure
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()),
              2);  // no leftovers

    // A folder in place of the file, and a regular file in place of the folder.
    messages.shown.clear();
    fs::create_directory(dir / "busy.fit");
    EXPECT_TRUE(FitSave(dir / "busy", w, h, 16, FitSource::Stack, {&planes, nullptr, false}, ctx).failed);
    EXPECT_TRUE(fs::is_directory(dir / "busy.fit"));
    EXPECT_TRUE(
        FitSave(dir / "m1_R.fit" / "x", w, h, 16, FitSource::Stack, {&planes, nullptr, false}, ctx).failed);
    EXPECT_EQ(messages.shown.size(), 2u);

    // The input recording is never replaced, not even under another name of the same file.
    messages.shown.clear();
    writeBytes(dir / "input.fit", "recording", 9);
    fs::create_symlink(dir / "input.fit", dir / "link.fit");
    ctx.inputFiles = {dir / "input.fit"};
    EXPECT_TRUE(FitSave(dir / "input", w, h, 16, FitSource::Stack, {&planes, nullptr, false}, ctx).failed);
    EXPECT_TRUE(FitSave(dir / "link.fit", w, h, 16, FitSource::Stack, {&planes, nullptr, false}, ctx).failed);
    EXPECT_EQ(fileBytes(dir / "input.fit").size(), 9u);
    EXPECT_TRUE(fs::is_symlink(dir / "link.fit"));
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(FitsWriter, CallsWithoutTheirDataAreRefused) {
    const PlaneTriple planes = makePlanes(8, 8, stackValue);
    TTIFFBitMap small = makeImage16(4, 4, 1);
    SaveContext ctx = context();
    EXPECT_THROW(FitSave(dir / "a", 8, 8, 8, FitSource::Stack, {&planes, nullptr, false}, ctx),
                 std::invalid_argument);
    EXPECT_THROW(FitSave(dir / "a", 8, 8, 32, FitSource::Result, {&planes, &small, false}, ctx),
                 std::invalid_argument);
    EXPECT_THROW(FitSave(dir / "a", 8, 8, 16, FitSource::Result, {&planes, &small, false}, ctx),
                 std::invalid_argument);
    EXPECT_THROW(FitSave(dir / "a", 30, 8, 16, FitSource::Stack, {&planes, nullptr, false}, ctx),
                 std::invalid_argument);
    EXPECT_TRUE(fs::is_empty(dir.path()));
}
