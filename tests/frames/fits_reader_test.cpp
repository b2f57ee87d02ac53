// FITS images of every BITPIX read back with BZERO, the first file row at the bottom; the
// header is parsed the same in every locale; bad files leave the previous frame.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>

#include "allocation_failure.h"
#include "frames/fits_reader.h"
#include "still_test_files.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

using test::Bytes;
using test::EnvironmentScope;
using test::fitsCard;
using test::fitsCards;
using test::makeFits;
using test::TempDir;
using test::writeFile;

struct Targets {
    T2dArrays plane;
    Bitmap24 preview;
    FrameReaderState state;
};

// A 3 x 2 image: file row 0 (the bottom row of the picture) then file row 1.
void expectPicture(const T2dArrays& plane, const std::vector<double>& fileOrder) {
    ASSERT_EQ(plane.xCount(), 3);
    ASSERT_EQ(plane.yCount(), 2);
    for (int k = 0; k < 2; ++k)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(plane[x][1 - k], static_cast<float>(fileOrder[k * 3 + x])) << x << "," << k;
}

TEST(FitsReader, EveryBitpixWithBzeroReadsBackWithTheBottomRowFirst) {
    TempDir dir;
    struct Case {
        int bitpix;
        std::string bzero;
        std::vector<double> stored;    // as the file holds them
        std::vector<double> expected;  // as the plane holds them
    };
    const std::vector<Case> cases = {
        // BITPIX 8 takes no BZERO.
        {8, "100", {0, 1, 2, 128, 254, 255}, {0, 1, 2, 128, 254, 255}},
        {16, "32768", {-32768, -1, 0, 1, 1000, 32767}, {0, 32767, 32768, 32769, 33768, 65535}},
        {16, "", {-32768, -1, 0, 1, 1000, 32767}, {-32768, -1, 0, 1, 1000, 32767}},
        {32, "-7", {-100000, -1, 0, 1, 123456, 16777216}, {-100007, -8, -7, -6, 123449, 16777209}},
        // -32: rounded, halves to even, then BZERO.
        {-32, "10", {2.5, 3.5, -2.5, 0.49, 7.0, 1e6}, {12, 14, 8, 10, 17, 1000010}},
    };
    for (const Case& c : cases) {
        writeFile(dir / "f.fit", makeFits(fitsCards(c.bitpix, 3, 2, c.bzero), c.bitpix, c.stored));
        Targets t;
        const FitsReadResult result = ReadFitsFrame(dir / "f.fit", t.plane, t.preview, t.state);
        ASSERT_TRUE(result.read);
        EXPECT_EQ(result.size.width, 3);
        EXPECT_EQ(result.size.height, 2);
        EXPECT_EQ(t.state.FitsBitpix, c.bitpix);
        EXPECT_EQ(t.state.FitsFrameWidth, 3);
        EXPECT_EQ(t.state.FrameChannel, 1);
        SCOPED_TRACE(c.bitpix);
        expectPicture(t.plane, c.expected);
    }
}

TEST(FitsReader, InfoTextAndPreviewFollowTheMeasuredRange) {
    TempDir dir;
    writeFile(dir / "f.fit",
              makeFits(fitsCards(16, 3, 2, "32768"), 16, {-32768, -32000, 0, 10, 20, -32768 + 4000}));
    Targets t;
    ASSERT_TRUE(ReadFitsFrame(dir / "f.fit", t.plane, t.preview, t.state).read);
    EXPECT_EQ(t.state.FitsInfoText, "16bits, lo:0 hi:32788");
    // v shows as Round((v - lo) / (hi - lo + 1) x 255): 768 -> 5.97 -> 6, 32768 -> 254.99 -> 255.
    EXPECT_EQ(t.preview.pixel(0, 1)[0], 0);
    EXPECT_EQ(t.preview.pixel(1, 1)[1], 6);
    EXPECT_EQ(t.preview.pixel(2, 1)[2], 255);
    EXPECT_EQ(t.preview.pixel(2, 0)[0], static_cast<int>(std::nearbyint(4000.0 / 32789 * 255)));
}

// Switches the numeric locale to German (decimal comma) for one test, generating the locale
// into a temporary folder when the system has none installed.
class GermanNumbers {
public:
    GermanNumbers() {
        const char* old = std::setlocale(LC_ALL, nullptr);
        previous_ = old != nullptr ? old : "C";
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr) return;
        const std::string made = (dir_ / "de_DE.UTF-8").string();
        const std::string command = "localedef -i de_DE -f UTF-8 '" + made + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) return;
        locales_.emplace("LOCPATH", dir_.path().c_str());
        std::setlocale(LC_ALL, "de_DE.UTF-8");
    }
    ~GermanNumbers() { std::setlocale(LC_ALL, previous_.c_str()); }
    bool active() const { return std::localeconv()->decimal_point[0] == ','; }

private:
    TempDir dir_;
    std::string previous_;
    std::optional<EnvironmentScope> locales_;
};

TEST(FitsReader, BzeroParsesTheSameUnderAGermanLocale) {
    TempDir dir;
    const std::vector<std::pair<std::string, double>> texts = {
        {"32768.", 32768}, {"32768,0", 32768}, {"3.2768E4", 32768},
        {"+100.5", 100},   {"101.5", 102},     {"'abc'", 0},
        {"", 0},           {"1e999", 0},       {"-12,7", -13}};
    auto readAll = [&] {
        std::vector<float> firstValues;
        for (const auto& [text, value] : texts) {
            writeFile(dir / "b.fit",
                      makeFits(fitsCards(16, 3, 2, text.empty() ? " " : text), 16, {0, 0, 0, 0, 0, 0}));
            Targets t;
            EXPECT_TRUE(ReadFitsFrame(dir / "b.fit", t.plane, t.preview, t.state).read);
            EXPECT_EQ(t.plane[0][0], static_cast<float>(value)) << "BZERO " << text;
            firstValues.push_back(t.plane[0][0]);
        }
        return firstValues;
    };
    const std::vector<float> plain = readAll();
    GermanNumbers german;
    if (!german.active()) GTEST_SKIP() << "no German locale available";
    EXPECT_EQ(readAll(), plain);
}

TEST(FitsReader, ChannelFollowsTheFileName) {
    TempDir dir;
    const std::vector<std::pair<std::string, int>> names = {
        {"m42.green.fit", 1}, {"m42_r.fit", 0},    {"m42_B.fits", 2},    {"m42.red.fit", 0},
        {"plain.fit", 1},     {"m42.Blue.fts", 2}, {"x.red.blue.fit", 2}};
    for (const auto& [name, channel] : names) {
        writeFile(dir / name, makeFits(fitsCards(8, 3, 2), 8, {1, 2, 3, 4, 5, 6}));
        Targets t;
        const FitsReadResult result = ReadFitsFrame(dir / name, t.plane, t.preview, t.state);
        EXPECT_EQ(t.state.FrameChannel, channel) << name;
        EXPECT_FALSE(result.luminance);
        EXPECT_FALSE(t.state.LumFrameLoaded);
    }
    writeFile(dir / "m42_L.fts", makeFits(fitsCards(8, 3, 2), 8, {1, 2, 3, 4, 5, 6}));
    Targets t;
    EXPECT_TRUE(ReadFitsFrame(dir / "m42_L.fts", t.plane, t.preview, t.state).luminance);
    EXPECT_EQ(t.state.FrameChannel, 3);
    EXPECT_TRUE(t.state.LumFrameLoaded);
}

TEST(FitsReader, LargeImagesKeepTheFirstColumnsAndFileRows) {
    TempDir dir;
    {
        // NAXIS2 5000: the first 4096 file rows are kept, the bottom 4096 rows of the picture.
        std::vector<double> values;
        for (int k = 0; k < 5000; ++k) values.insert(values.end(), {double(k), double(k + 1)});
        writeFile(dir / "tall.fit", makeFits(fitsCards(16, 2, 5000), 16, values));
        Targets t;
        const FitsReadResult result = ReadFitsFrame(dir / "tall.fit", t.plane, t.preview, t.state);
        EXPECT_EQ(result.size.height, 4096);
        EXPECT_EQ(result.size.fileHeight, 5000);
        ASSERT_EQ(t.plane.yCount(), 4096);
        EXPECT_EQ(t.plane[0][4095], 0.0f);
        EXPECT_EQ(t.plane[1][0], 4096.0f);
        EXPECT_EQ(t.state.FitsFrameHeight, 4096);
    }
    {
        std::vector<double> values;
        for (int k = 0; k < 2; ++k)
            for (int x = 0; x < 5000; ++x) values.push_back((x + k) % 200);
        writeFile(dir / "wide.fit", makeFits(fitsCards(-32, 5000, 2), -32, values));
        Targets t;
        ASSERT_TRUE(ReadFitsFrame(dir / "wide.fit", t.plane, t.preview, t.state).read);
        ASSERT_EQ(t.plane.xCount(), 4096);
        EXPECT_EQ(t.plane[4095][1], static_cast<float>(4095 % 200));
        EXPECT_EQ(t.plane[4095][0], static_cast<float>(4096 % 200));
    }
}

TEST(FitsReader, BadFilesAreRefusedAndLeaveThePreviousFrame) {
    TempDir dir;
    writeFile(dir / "good.fit", makeFits(fitsCards(16, 3, 2), 16, {1, 2, 3, 4, 5, 6}));
    Targets t;
    ASSERT_TRUE(ReadFitsFrame(dir / "good.fit", t.plane, t.preview, t.state).read);
    const std::string info = t.state.FitsInfoText;

    try {
        writeFile(dir / "b64.fit",
                  makeFits(fitsCards(64, 3, 2), 32, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
        ReadFitsFrame(dir / "b64.fit", t.plane, t.preview, t.state);
        FAIL() << "BITPIX 64 accepted";
    } catch (const FrameFormatError& error) {
        EXPECT_EQ(error.caption(), "Fits format error");
        EXPECT_STREQ(error.what(), "Unsupported fits format");
    }

    auto withoutCard = [](const std::string& key) {
        std::vector<std::string> cards = fitsCards(16, 3, 2);
        std::erase_if(cards, [&](const std::string& card) { return card.rfind(key, 0) == 0; });
        return makeFits(cards, 16, {1, 2, 3, 4, 5, 6});
    };
    std::vector<std::string> notInteger = fitsCards(16, 3, 2);
    notInteger[3] = fitsCard("NAXIS1", "abc");
    Bytes truncated = makeFits(fitsCards(16, 3, 2000), 16, {1, 2, 3});  // 2880 of 12000 data bytes
    Bytes noEnd(2880 * 2, ' ');
    const std::vector<Bytes> bad = {withoutCard("NAXIS1"),
                                    withoutCard("NAXIS2"),
                                    withoutCard("BITPIX"),
                                    makeFits(notInteger, 16, {1, 2, 3, 4, 5, 6}),
                                    makeFits(fitsCards(16, 0, 2), 16, {}),
                                    makeFits(fitsCards(16, 3, -2), 16, {}),
                                    truncated,
                                    noEnd,
                                    Bytes{}};
    for (std::size_t i = 0; i < bad.size(); ++i) {
        writeFile(dir / "bad.fit", bad[i]);
        EXPECT_THROW(ReadFitsFrame(dir / "bad.fit", t.plane, t.preview, t.state), FileError) << i;
    }
    // A header that claims 4096 x 4096 floats with no data behind it is refused before the rows'
    // 64 MB are asked for.
    {
        writeFile(dir / "bad.fit", makeFits(fitsCards(-32, 4096, 4096), -32, {}));
        const test::AllocationFailureScope noLargeAllocation(std::size_t{1} << 24, 0);
        EXPECT_THROW(ReadFitsFrame(dir / "bad.fit", t.plane, t.preview, t.state), FileError);
        EXPECT_EQ(noLargeAllocation.refused(), 0);
    }
    try {
        writeFile(dir / "bad.fit", makeFits(notInteger, 16, {1, 2, 3, 4, 5, 6}));
        ReadFitsFrame(dir / "bad.fit", t.plane, t.preview, t.state);
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "'abc' is not a valid integer value");
    }
    EXPECT_FALSE(ReadFitsFrame(dir / "missing.fit", t.plane, t.preview, t.state).read);

    EXPECT_EQ(t.state.FitsBitpix, 16);
    EXPECT_EQ(t.state.FitsInfoText, info);
    expectPicture(t.plane, {1, 2, 3, 4, 5, 6});
}

}  // namespace
}  // namespace kestrave
