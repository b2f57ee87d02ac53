// The stack and wavelet savers: name and folder rules, every format read back by an independent
// reader (ffmpeg for BMP and TIFF, djpeg for JPEG, astropy for FITS), the info stamp, the
// overwrite question, the remembered choices, and saves that fail or would hit the input.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <sstream>

#include "enhance/curve_editing.h"
#include "frames/png_io.h"
#include "output/bmp_writer.h"
#include "output/image_savers.h"
#include "output/jpeg_writer.h"
#include "output/tiff16_export.h"
#include "output_test_support.h"
#include "persist/reg_settings.h"
#include "platform/errors.h"
#include "support/temp_dir.h"

using namespace kestrave;
using namespace kestrave::test;
namespace fs = std::filesystem;

namespace {

// The picture's pixels as B, G, R bytes without row padding.
std::vector<std::uint8_t> packedBgr(const Bitmap24& picture, int rows) {
    std::vector<std::uint8_t> out;
    for (int y = 0; y < rows; ++y)
        out.insert(out.end(), picture.row(y), picture.row(y) + 3 * picture.width());
    return out;
}

// A binary PPM as djpeg writes it: its size and R, G, B bytes.
struct Ppm {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
};

Ppm readPpm(const fs::path& file) {
    const std::vector<std::uint8_t> bytes = fileBytes(file);
    Ppm ppm;
    int maxValue = 0, consumed = 0;
    if (bytes.size() < 2 || std::sscanf(reinterpret_cast<const char*>(bytes.data()), "P6 %d %d %d%n",
                                        &ppm.width, &ppm.height, &maxValue, &consumed) != 3)
        return {};
    ppm.rgb.assign(bytes.begin() + consumed + 1, bytes.end());
    return ppm;
}

double psnr(const Bitmap24& picture, const Ppm& decoded) {
    double sum = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            for (int c = 0; c < 3; ++c) {
                const double d = double(picture.pixel(x, y)[2 - c]) -
                                 decoded.rgb[3 * (std::size_t(y) * decoded.width + x) + c];
                sum += d * d;
            }
    const double mse = sum / (3.0 * picture.width() * picture.height());
    return 10 * std::log10(255.0 * 255.0 / mse);
}

class Savers : public ::testing::Test {
protected:
    Savers() : settings(dir / "registry.ini") {}

    SaveContext context() {
        SaveContext ctx{messages, masterFrameMode};
        ctx.settings = &settings;
        ctx.versionCaption = "V4.0.0";
        return ctx;
    }

    SaveOutcome saveStack(const fs::path& chosen, StackSaveType type, const Png16Writer& png = {}) {
        SaveContext ctx = context();
        ctx.batchMode = batchMode;
        ctx.inputFiles = inputFiles;
        return saveStackImage(chosen, type, {stackImage, planes, w, h, true, 0.0f, 300.0f}, ctx, png);
    }

    SaveOutcome saveWavelet(const fs::path& chosen, WaveletSaveType type, const StampInfo* stamp = nullptr,
                            const Png16Writer& png = {}) {
        SaveContext ctx = context();
        ctx.batchMode = batchMode;
        ctx.inputFiles = inputFiles;
        return saveWaveletImage(chosen, type, {processImage, result16, planes, w, h, true, stamp}, ctx, png);
    }

    TempDir dir;
    RegSettings settings;
    ScriptedMessages messages;
    bool masterFrameMode = false;
    bool batchMode = false;
    std::vector<fs::path> inputFiles;
    int w = 37, h = 21;
    PlaneTriple planes = makePlanes(w, h, [](int c, int x, int y) { return float(x * 7 + y * 5 + c * 30); });
    Bitmap24 stackImage = makePicture(w, h, 1);
    Bitmap24 processImage = makePicture(w, h, 2);
    TTIFFBitMap result16 = makeImage16(w + 1, h + 1, 3);
};

}  // namespace

TEST(SaveRules, NamesFollowTheTypeAndEmptyNamesBecomeDefault) {
    EXPECT_EQ(outputFileName("/d/m1.bmp", ".jpg"), fs::path("/d/m1.jpg"));
    EXPECT_EQ(outputFileName("/d/.bmp", ".bmp"), fs::path("/d/default.bmp"));
    EXPECT_EQ(outputFileName("/d/", ".png"), fs::path("/d/default.png"));
    EXPECT_EQ(outputFileName("/d/a.b.c", ".tif"), fs::path("/d/a.b.tif"));
    EXPECT_EQ(outputFileName("/d/jupiter", ".tif"), fs::path("/d/jupiter.tif"));
    EXPECT_EQ(chosenBaseName("/d/.fit"), "default");
    EXPECT_EQ(chosenBaseName("/d/m1.fit"), "m1.fit");
    EXPECT_EQ(stripExtension("m1.fit"), "m1");
    EXPECT_EQ(stripExtension(".profile"), ".profile");
}

TEST(SaveRules, SubfolderIsCreatedWithItsParents) {
    TempDir dir;
    EXPECT_EQ(saveFolder(dir.path(), false, "ignored"), dir.path());
    EXPECT_FALSE(fs::exists(dir / "ignored"));
    const fs::path folder = saveFolder(dir.path(), true, "night/jupiter");
    EXPECT_EQ(folder, dir / "night/jupiter");
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(saveFolder(dir.path(), true, "night/jupiter"), folder);  // already there
    writeBytes(dir / "plain", "x", 1);
    EXPECT_THROW(saveFolder(dir.path(), true, "plain"), FileError);
    EXPECT_THROW(saveFolder(dir.path(), true, "plain/sub"), FileError);
}

TEST_F(Savers, BmpHoldsThePictureBottomUpAndIsReadBackExactly) {
    const SaveOutcome outcome = saveStack(dir / "stack.jpg", StackSaveType::BMP);
    ASSERT_EQ(outcome.written, std::vector<fs::path>{dir / "stack.bmp"});
    EXPECT_TRUE(outcome.saved());
    const std::vector<std::uint8_t> bytes = fileBytes(dir / "stack.bmp");
    const std::size_t stride = (3 * w + 3) & ~3;  // 112 for 37 pixels
    ASSERT_EQ(bytes.size(), 54 + stride * h);
    auto u32 = [&](std::size_t at) {
        return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24;
    };
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(u32(2), bytes.size());
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(18), std::uint32_t(w));
    EXPECT_EQ(u32(22), std::uint32_t(h));  // positive: bottom-up rows
    EXPECT_EQ(bytes[28], 24);
    EXPECT_EQ(u32(30), 0u);
    EXPECT_EQ(u32(34), stride * h);
    EXPECT_EQ(std::memcmp(&bytes[54], stackImage.row(h - 1), 3 * w),
              0);  // first stored row is the bottom one

    std::string output;
    const std::vector<std::uint8_t> decoded = decodeWithFfmpeg(dir / "stack.bmp", "bgr24", output);
    if (decoded.empty() && installedTool("ffmpeg").empty()) GTEST_SKIP() << output;
    EXPECT_EQ(decoded, packedBgr(stackImage, h)) << output;
}

TEST_F(Savers, JpegUsesTheLibraryDefaultsAtQuality75) {
    w = 160, h = 120;
    stackImage = makePicture(w, h, 4);
    ASSERT_TRUE(saveStack(dir / "stack.bmp", StackSaveType::JPEG).saved());
    const fs::path file = dir / "stack.jpg";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(encodeJpeg(stackImage), fileBytes(file));  // the same picture gives the same file

    if (installedTool("djpeg").empty()) GTEST_SKIP() << "djpeg is not installed";
    std::string output;
    ASSERT_EQ(runCommand("/usr/bin/djpeg -verbose -verbose -outfile " + shellQuoted(dir / "back.ppm") + " " +
                             shellQuoted(file),
                         output),
              0)
        << output;
    EXPECT_NE(output.find("JFIF APP0 marker"), std::string::npos) << output;
    // Quality 75 scales the standard luminance table so that its first entry is 8.
    const std::size_t table = output.find("Define Quantization Table 0");
    ASSERT_NE(table, std::string::npos) << output;
    int first = 0;
    std::sscanf(output.c_str() + output.find('\n', table), "%d", &first);
    EXPECT_EQ(first, 8) << output;
    EXPECT_NE(output.find("Component 1: 2hx2v"), std::string::npos) << output;  // 4:2:0
    const Ppm decoded = readPpm(dir / "back.ppm");
    ASSERT_EQ(decoded.width, w);
    ASSERT_EQ(decoded.height, h);
    EXPECT_GT(psnr(stackImage, decoded), 30.0);
}

TEST_F(Savers, StampAddsABandWithFourLinesBelowThePicture) {
    StampInfo stamp{"Jupiter", "2024-03-05 07:08", 120, 2, 3, {10, 20, 30, 40, 50, 60}};
    const std::array<std::string, 4> lines = stampLines(stamp);
    EXPECT_EQ(lines[0], "Name  Jupiter_2024-03-05 07:08");
    EXPECT_EQ(lines[1], "Stack 120");
    EXPECT_EQ(lines[2], "WScheme 2_3");
    EXPECT_EQ(lines[3], "Wvalues10_20_30_40_50_60");

    w = 640, h = 480;
    processImage = makePicture(w, h, 5);
    batchMode = true;
    ASSERT_TRUE(saveWavelet(dir / "j.bmp", WaveletSaveType::BMP, &stamp).saved());
    std::string output;
    const std::vector<std::uint8_t> decoded = decodeWithFfmpeg(dir / "j.bmp", "bgr24", output);
    if (decoded.empty() && installedTool("ffmpeg").empty()) GTEST_SKIP() << output;
    ASSERT_EQ(decoded.size(), 640u * 580 * 3) << output;
    const std::vector<std::uint8_t> picture = packedBgr(processImage, h);
    EXPECT_TRUE(std::equal(picture.begin(), picture.end(), decoded.begin()));
    // Ink only on the four text lines (14 rows each, from y = 485, 505, 525, 545), white elsewhere.
    for (int y = 480; y < 580; ++y) {
        const auto row = decoded.begin() + std::ptrdiff_t(y) * 640 * 3;
        const long ink = std::count(row, row + 640 * 3, 0);
        const int line = (y - 485) / 20, inLine = (y - 485) % 20;
        const bool textRow = y >= 485 && line < 4 && inLine < 14;
        if (!textRow) {
            EXPECT_EQ(ink, 0) << y;
        } else if (inLine == 0) {
            EXPECT_GT(ink, 0) << y;
        }
        EXPECT_TRUE(std::all_of(row, row + 640 * 3, [](std::uint8_t b) { return b == 0 || b == 255; })) << y;
    }
    // Without the stamp, and as JPEG, the picture keeps its size.
    ASSERT_TRUE(saveWavelet(dir / "j.jpg", WaveletSaveType::JPEG, &stamp).saved());
    EXPECT_NE(runCommand("/usr/bin/djpeg -verbose -outfile /dev/null " + shellQuoted(dir / "j.jpg"), output),
              -1);
    EXPECT_NE(output.find("width=640, height=580"), std::string::npos) << output;
    ASSERT_TRUE(saveWavelet(dir / "plain.bmp", WaveletSaveType::BMP).saved());
    EXPECT_EQ(fs::file_size(dir / "plain.bmp"), 54u + 640 * 3 * 480);
}

TEST_F(Savers, SixteenBitTypesKeepTheirSamples) {
    batchMode = true;
    // Wavelet TIFF: the result image without its extra row and column.
    ASSERT_TRUE(saveWavelet(dir / "w.png", WaveletSaveType::TIFF).saved());
    EXPECT_EQ(fs::file_size(dir / "w.tif"), 182u + 6u * w * h);
    std::string output;
    const std::vector<std::uint8_t> decoded = decodeWithFfmpeg(dir / "w.tif", "rgb48le", output);
    if (!decoded.empty()) {
        EXPECT_EQ(decoded, rgb48le(cropHighBits(result16, w, h)));
    }

    // PNG: the stack gives the display's 16-bit samples, the wavelet page its result image.
    struct PngCall {
        fs::path file;
        int width, height;
        std::vector<std::uint16_t> firstRow;
        std::string version;
    };
    std::vector<PngCall> calls;
    const Png16Writer recorder = [&](const fs::path& file, const Bitmap24& picture,
                                     const TTIFFBitMap& samples, std::string_view version) {
        calls.push_back({file,
                         picture.width(),
                         picture.height(),
                         {samples.HighBitRow(0), samples.HighBitRow(0) + 3 * picture.width()},
                         std::string(version)});
    };
    ASSERT_TRUE(saveStack(dir / ".tif", StackSaveType::PNG16, recorder).saved());
    ASSERT_TRUE(saveWavelet(dir / "w", WaveletSaveType::PNG, nullptr, recorder).saved());
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].file, dir / "default.png");
    EXPECT_EQ(calls[0].width, w);
    EXPECT_EQ(calls[0].version, "V4.0.0");
    const TTIFFBitMap display = stackRender16(planes, w, h, true, 0.0f, 300.0f);
    EXPECT_EQ(calls[0].firstRow,
              std::vector<std::uint16_t>(display.HighBitRow(0), display.HighBitRow(0) + 3 * w));
    EXPECT_EQ(calls[1].file, dir / "w.png");
    EXPECT_EQ(calls[1].firstRow,
              std::vector<std::uint16_t>(result16.HighBitRow(0), result16.HighBitRow(0) + 3 * w));
    EXPECT_THROW(saveStack(dir / "x", StackSaveType::PNG16), FileError);  // no PNG writer

    // FITS through the savers: the name rule, then the writer's own names.
    ASSERT_EQ(saveWavelet(dir / ".fit", WaveletSaveType::FIT).written,
              (std::vector<fs::path>{dir / "default_R.fit", dir / "default_G.fit", dir / "default_B.fit"}));
    ASSERT_EQ(saveStack(dir / "s.fit", StackSaveType::FIT32).written.size(), 3u);
    EXPECT_FALSE(masterFrameMode);
    ASSERT_EQ(saveStack(dir / "s.fit", StackSaveType::TIFF).written, std::vector<fs::path>{dir / "s.tif"});
    EXPECT_EQ(fs::file_size(dir / "s.tif"), 182u + 6u * w * h);
    ASSERT_EQ(saveStack(dir / "dark", StackSaveType::FITSpecial).written,
              (std::vector<fs::path>{dir / "dark_R.fitk", dir / "dark_G.fitk", dir / "dark_B.fitk"}));
    EXPECT_TRUE(masterFrameMode);
}

TEST_F(Savers, OverwriteQuestionDecidesAndOnlyAWrittenFileCountsAsSaved) {
    writeBytes(dir / "m.bmp", "old", 3);
    messages.answers = {mrNo};
    SaveOutcome outcome = saveWavelet(dir / "m.bmp", WaveletSaveType::BMP);
    EXPECT_FALSE(outcome.saved());
    EXPECT_EQ(fs::file_size(dir / "m.bmp"), 3u);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "File exists");
    EXPECT_EQ(messages.shown[0].text, " Overwrite existing file ?");
    EXPECT_EQ(messages.shown[0].dlgType, mtWarning);
    EXPECT_EQ(messages.shown[0].buttons, mbYesNo);

    messages.answers = {mrYes};
    outcome = saveWavelet(dir / "m.bmp", WaveletSaveType::BMP);
    EXPECT_TRUE(outcome.saved());
    EXPECT_GT(fs::file_size(dir / "m.bmp"), 3u);

    // A batch run replaces without asking.
    writeBytes(dir / "m.jpg", "old", 3);
    messages.shown.clear();
    batchMode = true;
    EXPECT_TRUE(saveStack(dir / "m", StackSaveType::JPEG).saved());
    EXPECT_GT(fs::file_size(dir / "m.jpg"), 3u);
    EXPECT_TRUE(messages.shown.empty());

    // The choices are remembered in section "Files".
    EXPECT_EQ(settings.ReadString("Files", "SaveDir", ""), dir.path().string());
    EXPECT_EQ(settings.ReadString("Files", "LastStacksavetype", ""), "JPG");
    EXPECT_EQ(settings.ReadString("Files", "lastwaveletsavetype", ""), "BMP");
    saveWavelet(dir / "m", WaveletSaveType::TIFF);
    EXPECT_EQ(settings.ReadString("Files", "Lastwaveletsavetype", ""), "TIF");
    // A name relative to the working folder is remembered with its whole folder.
    fs::create_directory(dir / "rec");
    const fs::path working = fs::current_path();
    fs::current_path(dir.path());
    const bool saved = saveWavelet(fs::path("rec") / "m", WaveletSaveType::BMP).saved();
    fs::current_path(working);
    EXPECT_TRUE(saved);
    EXPECT_EQ(settings.ReadString("Files", "SaveDir", ""), (dir / "rec").string());

    // "Image not fully processed": asked interactively, answered Yes in batch runs.
    SaveContext ctx = context();
    messages.shown.clear();
    messages.answers = {mrNo};
    EXPECT_FALSE(confirmDoAll(ctx));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Image not fully processed");
    EXPECT_EQ(messages.shown[0].text, "You have NOT used the DO ALL function, perform this now ?");
    EXPECT_EQ(messages.shown[0].batchAnswer, mrYes);
    ctx.batchMode = true;
    EXPECT_TRUE(confirmDoAll(ctx));
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(Savers, FailedSavesThrowAndLeaveOldFilesAndTheInputAlone) {
    batchMode = true;
    // A regular file where the folder should be, and a folder where the file should be.
    writeBytes(dir / "plain", "x", 1);
    EXPECT_THROW(saveStack(dir / "plain" / "s.bmp", StackSaveType::BMP), FileError);
    fs::create_directory(dir / "busy.tif");
    EXPECT_THROW(saveWavelet(dir / "busy", WaveletSaveType::TIFF), FileError);
    EXPECT_TRUE(fs::is_directory(dir / "busy.tif"));

    // A write that fails part way leaves the old file as it was and no temporary file behind.
    w = 300, h = 200;
    stackImage = makePicture(w, h, 6);
    writeBytes(dir / "big.bmp", "old", 3);
    {
        FileSizeLimit limit(10000);
        EXPECT_THROW(saveStack(dir / "big", StackSaveType::BMP), FileError);
    }
    EXPECT_EQ(fs::file_size(dir / "big.bmp"), 3u);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"big.bmp", "busy.tif", "plain", "registry.ini"}));

    // The input recording is never replaced, even in a batch run and under another name.
    writeBytes(dir / "frame1.bmp", "frame", 5);
    fs::create_hard_link(dir / "frame1.bmp", dir / "alias.jpg");
    inputFiles = {dir / "frame0.bmp", dir / "frame1.bmp"};
    EXPECT_THROW(saveWavelet(dir / "frame1.png", WaveletSaveType::BMP), FileError);
    EXPECT_THROW(saveStack(dir / "alias", StackSaveType::JPEG), FileError);
    EXPECT_EQ(fs::file_size(dir / "frame1.bmp"), 5u);
}

TEST_F(Savers, FinalSaverCropsAndFlipsOnlyWhereTheFormatTakesThePictureAsShown) {
    w = 120, h = 80;
    const Bitmap24 shown = makePicture(w, h, 5);
    processImage = makePicture(w, h, 6);
    result16 = makeImage16(w + 1, h + 1, 7, 65025);
    planes = makePlanes(w, h, [](int c, int x, int y) { return float(x + y + c); });
    const std::vector<float> table(HueCurveTableSize, 0.0f);
    FinalSettings final{true, false, 0, 0, 0, table, table, table};
    final.Angle = 30;
    const TEdgeRect crop{10, 110, 20, 70};
    const auto save = [&](const fs::path& chosen, WaveletSaveType type, const Png16Writer& png = {}) {
        SaveContext ctx = context();
        ctx.batchMode = batchMode;
        return saveFinalImage(chosen, type, {shown, processImage, result16, planes, w, h, true, final, crop},
                              ctx, png);
    };

    // BMP and JPEG take the rectangle of the shown picture, named by the rules.
    ASSERT_EQ(save(dir / ".bmp", WaveletSaveType::BMP).written, std::vector<fs::path>{dir / "default.bmp"});
    const Bitmap24 cropped = cropBitmap(shown, crop);
    ASSERT_EQ(cropped.width(), 100);
    ASSERT_EQ(cropped.height(), 50);
    std::string output;
    const std::vector<std::uint8_t> bmp = decodeWithFfmpeg(dir / "default.bmp", "bgr24", output);
    if (!bmp.empty()) {
        EXPECT_EQ(bmp, packedBgr(cropped, 50));
    }
    ASSERT_EQ(save(dir / "x.bmp", WaveletSaveType::JPEG).written, std::vector<fs::path>{dir / "x.jpg"});
    EXPECT_EQ(fileBytes(dir / "x.jpg"), encodeJpeg(cropped));

    // The 16-bit files keep the whole image: the TIFF turned and flipped, the PNG as rendered.
    ASSERT_EQ(save(dir / "x.bmp", WaveletSaveType::TIFF).written, std::vector<fs::path>{dir / "x.tif"});
    const std::vector<std::uint8_t> tiff = decodeWithFfmpeg(dir / "x.tif", "rgb48le", output);
    if (!tiff.empty()) {
        EXPECT_EQ(tiff, rgb48le(rotatedFinalTIFF16Image(result16, w, h, final)));
    }
    std::vector<int> pngSizes;
    const Png16Writer recorder = [&](const fs::path&, const Bitmap24& picture, const TTIFFBitMap& samples,
                                     std::string_view) {
        pngSizes = {picture.width(), picture.height(), samples.HighBitRow(0)[0]};
    };
    ASSERT_TRUE(save(dir / "x", WaveletSaveType::PNG, recorder).saved());
    EXPECT_EQ(pngSizes, (std::vector<int>{w, h, result16.HighBitRow(0)[0]}));
    ASSERT_EQ(save(dir / "x.fit", WaveletSaveType::FIT).written.size(), 3u);
    EXPECT_EQ(settings.ReadString("Files", "SaveDir", ""), dir.path().string());
    EXPECT_EQ(settings.ReadString("Files", "lastwaveletsavetype", "none"), "none");

    // The 16-bit files ask with a small "o"; only a written file counts as saved.
    messages.answers = {mrNo};
    EXPECT_FALSE(save(dir / "x", WaveletSaveType::TIFF).saved());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, " overwrite existing file ?");
    batchMode = true;
    fs::create_directory(dir / "busy.tif");
    EXPECT_THROW(save(dir / "busy", WaveletSaveType::TIFF), FileError);
}

// Each dialog's rows: the filters the dialogs have always offered, in their order, and a save
// through each row writes a file of that row's own format under the names the row gives.
TEST_F(Savers, EachDialogRowWritesItsOwnFormatUnderItsNames) {
    EXPECT_EQ(saveDialogFilter(stackSaveFormats()),
              "BMP|*.bmp|JPEG|*.jpg|FIT (16-bit)|*.fit|FIT (32-bit)|*.fit|special FITS|*.fit|TIFF|*.tif|"
              "PNG (16 bit)|*.png");
    EXPECT_EQ(saveDialogFilter(waveletSaveFormats()),
              "BMP (8BIT*RGB)|*.bmp|JPEG(8BIT*RGB)|*.JPG|FIT (16BIT) RGB separate |*.FIT|"
              "TIFF(16BIT *RGB)|*.TIF|PNG (16BIT*RGB)|*.PNG");
    EXPECT_EQ(saveDialogFilter(resizeSaveFormats()), "BMP|*.bmp|JPEG|*.jpg|PNG|*.png");

    // The first bytes of each kept type's files.
    const std::map<std::string_view, std::vector<std::string>> signatures{{"BMP", {"BM"}},
                                                                          {"JPG", {"\xFF\xD8\xFF"}},
                                                                          {"FIT", {"SIMPLE"}},
                                                                          {"TIF", {"II*", "MM"}},
                                                                          {"PNG", {"\x89PNG"}}};
    const auto startsWith = [](const std::vector<std::uint8_t>& bytes, const std::string& start) {
        return bytes.size() >= start.size() &&
               std::equal(start.begin(), start.end(), bytes.begin(),
                          [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
    };
    const auto expectFormat = [&](const SaveOutcome& outcome, std::string_view key, const std::string& row) {
        ASSERT_TRUE(outcome.saved()) << row;
        for (const fs::path& file : outcome.written) {
            const std::vector<std::uint8_t> bytes = fileBytes(file);
            const std::vector<std::string>& starts = signatures.at(key);
            EXPECT_TRUE(std::any_of(starts.begin(), starts.end(),
                                    [&](const std::string& start) { return startsWith(bytes, start); }))
                << row << ": " << file;
        }
    };
    const Png16Writer png = SavePNGImage;
    batchMode = true;
    for (const StackSaveFormat& format : stackSaveFormats()) {
        const std::string row = "stack " + std::string(format.filter.caption);
        expectFormat(saveStack(dir / "s.xyz", format.type, png), format.filter.key, row);
        EXPECT_EQ(settings.ReadString("Files", "LastStacksavetype", ""), format.filter.key) << row;
    }
    for (const WaveletSaveFormat& format : waveletSaveFormats()) {
        const std::string row = "wavelet " + std::string(format.filter.caption);
        const SaveOutcome outcome = saveWavelet(dir / "w.xyz", format.type, nullptr, png);
        expectFormat(outcome, format.filter.key, row);
        // The batch run's names for a save that must not hit the input cover what is written.
        const std::vector<fs::path> names = savedFileNames(format.filter, dir / "w.xyz");
        for (const fs::path& file : outcome.written)
            EXPECT_EQ(std::count(names.begin(), names.end(), file), 1) << row << ": " << file;
        EXPECT_EQ(settings.ReadString("Files", "lastwaveletsavetype", ""), format.filter.key) << row;
    }
    for (const ResizeSaveFormat& format : resizeSaveFormats()) {
        const std::string row = "resize " + std::string(format.filter.caption);
        SaveContext ctx = context();
        expectFormat(saveResizedImage(dir / "r.xyz", format.type, processImage, ctx), format.filter.key, row);
    }
}

namespace {

// The save type a file's first bytes show, by the key the save rows use; empty for none.
std::string_view keyOfFileFormat(const fs::path& file) {
    const std::vector<std::uint8_t> bytes = fileBytes(file);
    const std::string start(
        bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(bytes.size(), 6)));
    if (start.rfind("BM", 0) == 0) return "BMP";
    if (start.rfind("\xFF\xD8\xFF", 0) == 0) return "JPG";
    if (start.rfind("SIMPLE", 0) == 0) return "FIT";
    if (start.rfind("II*", 0) == 0 || start.rfind("MM", 0) == 0) return "TIF";
    if (start.rfind("\x89PNG", 0) == 0) return "PNG";
    return {};
}

std::string lowerCase(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lowered;
}

}  // namespace

// The wavelet dialog's rows serve the wavelet page, the final page and the batch: each row's
// place in the dialog's filter text chooses that row back, its pattern lists the files of its
// extension, the batch's filters are the rows' own, and both pages write through the row a file
// of the row's format under the names the row gives.
TEST_F(Savers, EveryWaveletRowRoundTripsItsFilterExtensionAndWriterOnBothPages) {
    const std::span<const WaveletSaveFormat> formats = waveletSaveFormats();
    std::vector<std::string> filterText;
    std::stringstream text(saveDialogFilter(formats));
    for (std::string part; std::getline(text, part, '|');) filterText.push_back(part);
    ASSERT_EQ(filterText.size(), 2 * formats.size());
    ASSERT_EQ(WaveletSaveFilters.size(), formats.size());

    const std::vector<float> table(HueCurveTableSize, 0.0f);
    const FinalSettings final{false, false, 0, 0, 0, table, table, table};
    const Bitmap24 shown = makePicture(w, h, 4);
    const Png16Writer png = SavePNGImage;
    batchMode = true;
    for (std::size_t i = 0; i < formats.size(); ++i) {
        const SaveFilter& filter = formats[i].filter;
        const std::string row(filter.caption);
        const int filterIndex = static_cast<int>(i) + 1;
        EXPECT_EQ(filterText[2 * i], filter.caption) << row;
        EXPECT_EQ(filterText[2 * i + 1], filter.pattern) << row;
        EXPECT_EQ(saveFormatAt(formats, filterIndex).type, formats[i].type) << row;
        EXPECT_EQ(filterIndexOf(formats, formats[i].type), filterIndex) << row;
        EXPECT_EQ(lowerCase(filter.pattern), "*" + lowerCase(filter.extension)) << row;
        EXPECT_EQ(WaveletSaveFilters[i].key, filter.key) << row;
        EXPECT_EQ(WaveletSaveFilters[i].extension, filter.extension) << row;
        EXPECT_EQ(WaveletSaveFilters[i].fits, filter.fits) << row;

        SaveContext ctx = context();
        ctx.batchMode = true;
        const fs::path waveletName = dir / ("wavelet" + std::to_string(i) + ".xyz");
        const fs::path finalName = dir / ("final" + std::to_string(i) + ".xyz");
        const std::pair<fs::path, SaveOutcome> saves[] = {
            {waveletName, saveWavelet(waveletName, formats[i].type, nullptr, png)},
            {finalName,
             saveFinalImage(finalName, formats[i].type,
                            {shown, processImage, result16, planes, w, h, true, final, std::nullopt}, ctx,
                            png)}};
        for (const auto& [chosen, outcome] : saves) {
            ASSERT_TRUE(outcome.saved()) << row;
            EXPECT_EQ(outcome.written.front().extension(), filter.extension) << row;
            const std::vector<fs::path> names = savedFileNames(filter, chosen);
            for (const fs::path& file : outcome.written) {
                EXPECT_EQ(keyOfFileFormat(file), filter.key) << row << ": " << file;
                EXPECT_EQ(std::count(names.begin(), names.end(), file), 1) << row << ": " << file;
            }
        }
    }
}
