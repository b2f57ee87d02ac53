// Writes the seed corpus of every fuzz target with the file writers of the reader tests (and the
// program's own writers for the files it saves itself): small files of each layout a reader
// takes, so that fuzzing starts from inputs that reach deep into the reader.
//
// Usage: kestrave_fuzz_seeds <corpus folder>   (fuzz/corpus; one sub-folder per target)

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "avi_test_jpeg.h"
#include "codecs/tiff_bitmap.h"
#include "codecs/tiff_lzw.h"
#include "enhance/curve_editing.h"
#include "enhance/filter_file.h"
#include "enhance/gamma_curve_file.h"
#include "enhance/scheme_file.h"
#include "frames/frame_list.h"
#include "output/project_file.h"
#include "persist/big_ini_file.h"
#include "persist/language_file.h"
#include "platform/riff_file.h"
#include "registration/point_file.h"
#include "stacking/sigma_events.h"
#include "still_test_files.h"
#include "support/actor_test_file.h"
#include "support/avi_test_writer.h"
#include "tiff_test_files.h"

namespace fs = std::filesystem;
using namespace kestrave;
using namespace kestrave::test;

namespace {

fs::path corpus;

fs::path seedPath(const std::string& target, const std::string& name) {
    fs::create_directories(corpus / target);
    return corpus / target / name;
}

void seed(const std::string& target, const std::string& name, const Bytes& bytes) {
    writeFile(seedPath(target, name), bytes);
}

void seedText(const std::string& target, const std::string& name, const std::string& text) {
    seed(target, name, Bytes(text.begin(), text.end()));
}

// Bytes following a simple pattern, so that pictures are not flat.
Bytes pattern(std::size_t count, unsigned step = 37) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * step + i / 7);
    return bytes;
}

std::vector<std::uint16_t> samples16(std::size_t count, std::uint32_t limit) {
    return randomSamples(count, limit, static_cast<std::uint32_t>(count));
}

Bytes greyJpeg(int width, int height) {
    return encodeJpeg(width, height, 1, pattern(static_cast<std::size_t>(width) * height, 5));
}

Bytes colourJpeg(int width, int height) {
    return encodeJpeg(width, height, 3, pattern(static_cast<std::size_t>(width) * height * 3, 11));
}

// ---- AVI ----

struct AviSeed {
    std::string name;
    AviTestFormat format;
    AviTestLayout layout;
    std::vector<Bytes> frames;
};

std::size_t storedFrameBytes(const AviTestFormat& f) {
    const int height = f.height < 0 ? -f.height : f.height;
    if (f.compression == "Y800") return static_cast<std::size_t>(f.width) * height;
    return (static_cast<std::size_t>(f.width) * f.bitCount + 31) / 32 * 4 * height;
}

AviTestFormat aviFormat(const std::string& handler, const std::string& compression, int width, int height,
                        int bits) {
    AviTestFormat f;
    f.handler = handler;
    f.compression = compression;
    f.width = width;
    f.height = height;
    f.bitCount = bits;
    return f;
}

std::vector<Bytes> rawFrames(const AviTestFormat& f, int count, bool withDropped = false) {
    std::vector<Bytes> frames;
    for (int k = 0; k < count; ++k)
        frames.push_back(withDropped && k == 1 ? Bytes{} : pattern(storedFrameBytes(f), 13 + 2 * k));
    return frames;
}

std::vector<AviSeed> aviSeeds() {
    std::vector<AviSeed> seeds;
    const auto add = [&](std::string name, AviTestFormat f, AviTestLayout layout, std::vector<Bytes> frames) {
        seeds.push_back({std::move(name), std::move(f), layout, std::move(frames)});
    };
    {
        const AviTestFormat f = aviFormat("Y800", "Y800", 8, 6, 8);
        add("y800_idx1.avi", f, {}, rawFrames(f, 3, true));
    }
    {
        AviTestFormat f = aviFormat("DIB ", "", 5, 3, 8);
        for (int i = 0; i < 16; ++i) {
            const Bytes entry = {static_cast<std::uint8_t>(i * 16), static_cast<std::uint8_t>(255 - i * 16),
                                 static_cast<std::uint8_t>(i * 7), 0};
            f.colorTable.insert(f.colorTable.end(), entry.begin(), entry.end());
        }
        add("dib8_palette_absolute_index.avi", f, {.index = AviTestIndex::Idx1Absolute}, rawFrames(f, 2));
    }
    {
        const AviTestFormat f = aviFormat("DIB ", "", 4, -3, 24);
        add("dib24_topdown_no_index_audio_rec.avi", f,
            {.index = AviTestIndex::None, .audioStream = true, .recLists = true}, rawFrames(f, 2));
    }
    {
        const AviTestFormat f = aviFormat("DIB ", "", 3, 2, 32);
        add("dib32_opendml.avi", f, {.index = AviTestIndex::OpenDml, .framesPerRiff = 2},
            rawFrames(f, 5, true));
    }
    {
        const AviTestFormat f = aviFormat("DIB ", "", 5, 2, 16);
        add("dib16_start_length.avi", f, {.length = 4, .start = 1}, rawFrames(f, 3));
    }
    for (int bits : {12, 16, 36, 48, 8}) {
        const AviTestFormat f = aviFormat("K3CC", "", 5, 3, bits);
        add("k3cc" + std::to_string(bits) + ".avi", f, {}, rawFrames(f, 2));
    }
    {
        const AviTestFormat f = aviFormat("MJPG", "MJPG", 16, 8, 24);
        add("mjpg.avi", f, {}, {colourJpeg(16, 8), Bytes{}, colourJpeg(16, 8)});
    }
    return seeds;
}

void aviFiles() {
    for (const AviSeed& s : aviSeeds()) writeTestAvi(seedPath("avi", s.name), s.format, s.frames, s.layout);
}

// The frame decoder's input: flags, handler, BITMAPINFOHEADER, colour-table length, table, sample.
Bytes aviFrameInput(std::uint8_t flags, const AviTestFormat& f, const Bytes& sample) {
    Bytes out;
    const auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    const auto code = [](const std::string& text) {
        if (text.empty()) return FourCC{0};
        return static_cast<FourCC>(static_cast<unsigned char>(text[0]) |
                                   static_cast<unsigned char>(text[1]) << 8 |
                                   static_cast<unsigned char>(text[2]) << 16 |
                                   static_cast<unsigned>(static_cast<unsigned char>(text[3])) << 24);
    };
    out.push_back(flags);
    put32(code(f.handler));
    put32(40);
    put32(static_cast<std::uint32_t>(f.width));
    put32(static_cast<std::uint32_t>(f.height));
    put32(1u | static_cast<std::uint32_t>(f.bitCount) << 16);
    put32(code(f.compression));
    put32(static_cast<std::uint32_t>(sample.size()));
    put32(0);
    put32(0);
    put32(static_cast<std::uint32_t>(f.colorTable.size() / 4));
    put32(0);
    out.push_back(static_cast<std::uint8_t>(f.colorTable.size() / 4));
    out.insert(out.end(), f.colorTable.begin(), f.colorTable.end());
    out.insert(out.end(), sample.begin(), sample.end());
    return out;
}

void aviFrames() {
    for (const AviSeed& s : aviSeeds()) {
        const fs::path name = fs::path(s.name).replace_extension(".frame");
        const Bytes& sample = s.frames.front();
        seed("avi_frame", name.string(), aviFrameInput(0, s.format, sample));
        seed("avi_frame", name.stem().string() + "_mosaic.frame", aviFrameInput(1, s.format, sample));
    }
}

// ---- still pictures ----

void serFiles() {
    seed("ser", "mono8.ser", makeSer({.width = 7, .height = 5, .frameCount = 3}, samples16(105, 256)));
    seed("ser", "mono16_swapped.ser",
         makeSer({.littleEndian = 1, .width = 6, .height = 4, .pixelDepth = 16, .frameCount = 2},
                 samples16(48, 65536)));
    seed("ser", "bayer12_short.ser",
         makeSer({.colorId = 9, .width = 8, .height = 4, .pixelDepth = 12, .frameCount = 4},
                 samples16(80, 4096)));
}

void fitsFiles() {
    const auto values = [](std::size_t count, double lo, double step) {
        std::vector<double> v(count);
        for (std::size_t i = 0; i < count; ++i) v[i] = lo + step * static_cast<double>(i % 17);
        return v;
    };
    seed("fits", "bitpix8.fit", makeFits(fitsCards(8, 5, 4), 8, values(20, 0, 15)));
    seed("fits", "bitpix16_bzero.fit", makeFits(fitsCards(16, 4, 3, "32768."), 16, values(12, -32768, 4000)));
    seed("fits", "bitpix32.fit", makeFits(fitsCards(32, 3, 3), 32, values(9, -100000, 25000)));
    seed("fits", "bitpix-32.fit", makeFits(fitsCards(-32, 3, 2, "10,5"), -32, values(6, -2.5, 1.25)));
}

void bmpFiles() {
    std::vector<std::array<std::uint8_t, 3>> palette;
    for (int i = 0; i < 16; ++i)
        palette.push_back({static_cast<std::uint8_t>(i * 16), static_cast<std::uint8_t>(i * 5),
                           static_cast<std::uint8_t>(255 - i * 16)});
    const auto pixels = [](std::size_t count, std::uint32_t mask) {
        std::vector<std::uint32_t> p(count);
        for (std::size_t i = 0; i < count; ++i) p[i] = static_cast<std::uint32_t>(i * 2654435761u) & mask;
        return p;
    };
    seed("bmp", "rgb24.bmp", makeBmp({.width = 5, .height = 3}, pixels(15, 0xFFFFFF)));
    seed("bmp", "rgb24_topdown_core_header.bmp",
         makeBmp({.width = 3, .height = 2, .topDown = true, .headerSize = 12}, pixels(6, 0xFFFFFF)));
    seed("bmp", "palette1.bmp",
         makeBmp({.width = 9, .height = 2, .bits = 1, .palette = {palette[0], palette[15]}}, pixels(18, 1)));
    seed("bmp", "palette4.bmp",
         makeBmp({.width = 5, .height = 2, .bits = 4, .palette = palette}, pixels(10, 15)));
    seed("bmp", "palette8_used.bmp",
         makeBmp({.width = 3, .height = 3, .bits = 8, .palette = palette, .colorsUsed = 16}, pixels(9, 15)));
    seed("bmp", "rgb555.bmp", makeBmp({.width = 3, .height = 2, .bits = 16}, pixels(6, 0x7FFF)));
    seed("bmp", "rgb565_v4_header.bmp",
         makeBmp({.width = 3,
                  .height = 2,
                  .bits = 16,
                  .headerSize = 108,
                  .compression = 3,
                  .masks = {0xF800, 0x07E0, 0x001F}},
                 pixels(6, 0xFFFF)));
    seed("bmp", "bitfields32_v5_header.bmp",
         makeBmp({.width = 2,
                  .height = 2,
                  .bits = 32,
                  .headerSize = 124,
                  .compression = 3,
                  .masks = {0x3FF00000, 0x000FFC00, 0x000003FF}},
                 pixels(4, 0xFFFFFFFF)));
    seed("bmp", "rle8.bmp",
         makeBmpWithData({.width = 6, .height = 3, .bits = 8, .compression = 1, .palette = palette},
                         {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 9, 5, 0, 1}));
    seed("bmp", "rle4.bmp",
         makeBmpWithData({.width = 10, .height = 1, .bits = 4, .compression = 2, .palette = palette},
                         {5, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1}));
}

void pngFiles() {
    // Colour types: 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGB and alpha.
    const std::vector<std::array<std::uint8_t, 3>> palette = {
        {0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {9, 9, 255}};
    seed("png", "grey8.png", makePng(4, 3, 0, 8, samples16(12, 256)));
    seed("png", "grey1.png", makePng(9, 2, 0, 1, samples16(18, 2)));
    seed("png", "grey16.png", makePng(3, 2, 0, 16, samples16(6, 65536)));
    seed("png", "rgb16.png", makePng(3, 2, 2, 16, samples16(18, 65536)));
    seed("png", "rgb8.png", makePng(3, 3, 2, 8, samples16(27, 256)));
    seed("png", "palette2.png", makePng(5, 2, 3, 2, samples16(10, 4), palette));
    seed("png", "grey_alpha8.png", makePng(2, 2, 4, 8, samples16(8, 256)));
    seed("png", "rgba16.png", makePng(2, 2, 6, 16, samples16(16, 65536)));
}

void jpegFiles() {
    seed("jpeg", "grey.jpg", greyJpeg(8, 8));
    seed("jpeg", "colour.jpg", colourJpeg(16, 16));
    seed("jpeg", "colour_odd.jpg", colourJpeg(11, 5));
}

// ---- TIFF ----

void tiffFiles() {
    const auto file = [](const char* name, const TiffSpec& spec) {
        const std::size_t count = std::size_t{spec.width} * spec.height * spec.samplesPerPixel;
        const std::uint32_t limit = spec.bitsPerSample >= 16 ? 65536u : 1u << spec.bitsPerSample;
        seed("tiff", name, buildTiff(spec, samples16(count, limit)));
    };
    file("grey8.tif", {.width = 5, .height = 3});
    file("grey16_motorola.tif", {.width = 4, .height = 3, .bitsPerSample = 16, .motorola = true});
    file("grey16_white_is_zero_strips.tif",
         {.width = 3, .height = 4, .bitsPerSample = 16, .photometric = 0, .rowsPerStrip = 1});
    file("grey1.tif", {.width = 11, .height = 2, .bitsPerSample = 1, .photometric = 0});
    file("palette4.tif",
         {.width = 5, .height = 2, .bitsPerSample = 4, .photometric = 3, .colorMap = samples16(48, 65536)});
    file("rgb8_lzw_predictor.tif", {.width = 6,
                                    .height = 4,
                                    .samplesPerPixel = 3,
                                    .photometric = 2,
                                    .rowsPerStrip = 2,
                                    .lzw = true,
                                    .predictor = true});
    file("rgb16_motorola_lzw_short_strips.tif", {.width = 3,
                                                 .height = 3,
                                                 .samplesPerPixel = 3,
                                                 .bitsPerSample = 16,
                                                 .photometric = 2,
                                                 .motorola = true,
                                                 .rowsPerStrip = 1,
                                                 .lzw = true,
                                                 .predictor = true,
                                                 .shortStripArrays = true});
    file("rgba8_long_dimensions.tif",
         {.width = 2, .height = 2, .samplesPerPixel = 4, .photometric = 2, .longDimensions = true});
    file("cmyk8.tif", {.width = 3, .height = 2, .samplesPerPixel = 4, .photometric = 5});
    file("grey_alpha16.tif", {.width = 2, .height = 2, .samplesPerPixel = 2, .bitsPerSample = 16});
    // The program's own writer: the 48-bit result image, plain and LZW.
    const TTIFFBitMap image = makeImage48(4, 3, 7);
    seed("tiff", "result48.tif", TTIFFBitMap::encodeTIFF(image, 48, false));
    seed("tiff", "result48_lzw.tif", TTIFFBitMap::encodeTIFF(image, 48, true));
}

void lzwStreams() {
    const auto stream = [](const char* name, const Bytes& data) {
        TLZW lzw;
        const std::vector<std::uint8_t> codes = lzw.Encode(data);
        Bytes input = {static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(data.size() >> 8)};
        input.insert(input.end(), codes.begin(), codes.end());
        seed("tiff_lzw", name, input);
    };
    stream("empty.lzw", {});
    stream("run.lzw", Bytes(300, 7));
    stream("pattern.lzw", pattern(700));
    // Long enough that the table fills and is cleared.
    Bytes varied(6000);
    for (std::size_t i = 0; i < varied.size(); ++i) varied[i] = static_cast<std::uint8_t>((i * i * 31) >> 3);
    stream("table_reset.lzw", varied);
}

// ---- text files ----

void iniFiles() {
    {
        const fs::path path = seedPath("ini", "written.ini");
        fs::remove(path);
        TBigIniFile ini(path);
        ini.WriteString("Files", "LastDir", "/home/observer/captures");
        ini.WriteInteger("Files", "LastType", 6);
        ini.WriteBool("Settings", "Pregamma", true);
        ini.WriteString("Settings", "Hex", "0x1F");
        for (int f = 0; f < 40; ++f) ini.WriteInteger("IShifts", "x" + std::to_string(f), f * 3 - 20);
        ini.flush();
    }
    seedText(
        "ini", "hand_written.ini",
        "\xEF\xBB\xBF; before any section\r\n[Form]\r\nFormVersion=0\r\n; comment kept\r\nno equals sign\r\n"
        "Left= 42\r\nTop=$7FFFFFFF\r\n\r\n[form]\r\nDropped=1\r\n[ spaced ]\rkey==value\r\x1A\n[]\n=empty "
        "key\n");
}

void schemeFiles() {
    saveWaveletScheme(seedPath("scheme", "default.kwv"), WaveletScheme{});
    WaveletScheme linear;
    linear.Waveletscheme = TWaveletScheme::Linear;
    linear.Convolvemethod = TConvolveMethod::Gaussian;
    linear.layerChecked = {true, false, true, true, false, true};
    linear.LevelStep = 3;
    linear.Multiplicant = 2;
    linear.layerSlider = {-50, 0, 25, 1000, 10, 55};
    linear.Gausslayer = {0.15, 0.1, 0.5, 1.0, 2.25, 0.05};
    saveWaveletScheme(seedPath("scheme", "linear_gaussian.kwv"), linear);
    // The largest and smallest values the controls take, each layer checked.
    WaveletScheme largest = linear;
    largest.layerChecked = {true, true, true, true, true, true};
    largest.LevelStep = MaxLevelStep;
    largest.Multiplicant = MaxMultiplicant;
    largest.layerSlider = {MaxLayerSlider, MinLayerSlider, MaxLayerSlider, MinLayerSlider, 0, MaxLayerSlider};
    largest.Gausslayer = {21474836.47, 0, 0.01, 1e7, 3.5, 0.99};
    saveWaveletScheme(seedPath("scheme", "extremes.kwv"), largest);
    WaveletScheme smallest;
    smallest.LevelStep = MinLevelStep;
    smallest.Multiplicant = MinMultiplicant;
    smallest.layerSlider = {MinLayerSlider, MinLayerSlider, MinLayerSlider,
                            MinLayerSlider, MinLayerSlider, MinLayerSlider};
    smallest.Gausslayer = {-21474836.48, 0, 0, 0, 0, 0};
    saveWaveletScheme(seedPath("scheme", "smallest.kwv"), smallest);
    seedText("scheme", "only_item_index.kwv", "[scheme]\r\nitemindex=1\r\n");
    // Values beyond the controls' ranges, in hexadecimal and with blanks, in every section.
    seedText(
        "scheme", "out_of_range.kwv",
        "[scheme]\r\nitemindex=-7\r\ninitial=$7FFFFFFF\r\nstep=-2147483648\r\n[method]\r\nitemindex=0x2\r\n"
        "[checkbox]\r\nlayer1=  1\r\nlayer6=2\r\nlayer3=yes\r\n[slider]\r\nlayer1=1001\r\nlayer2=-51\r\n"
        "layer6=+10\r\n[Gauss]\r\nlayer1=2147483647\r\nlayer2=-2147483648\r\nlayer4=1e3\r\n");
    seedText("scheme", "checkbox_only.kwv", "[CHECKBOX]\nLayer2=1\n");
}

void filterFiles() {
    saveFilterKernel(seedPath("filter", "default.ksf"), defaultKernelSpins());
    KernelSpins spins{};
    for (int i = 0; i < 25; ++i) spins[i] = (i % 7) * 9 - 20;
    saveFilterKernel(seedPath("filter", "custom.ksf"), spins);
    seedText("filter", "partial.ksf",
             "[TMainForm]\r\nFormVersion=0\r\nFilter22_Value= 1.5e1 \r\nFilter04_Value=x\r\n");
    // The largest and smallest values a spin holds, every key present.
    for (int i = 0; i < 25; ++i) spins[i] = i % 2 ? INT_MAX : INT_MIN;
    saveFilterKernel(seedPath("filter", "extremes.ksf"), spins);
    // Numbers in every notation the reader takes, values beyond the integer range, and a file of
    // an older form version (not restored).
    seedText(
        "filter", "notations.ksf",
        "[TMainForm]\r\nFormVersion=1\r\nFilter00_Value=+7\r\nFilter10_Value=-2.5\r\nFilter20_Value=1e400\r\n"
        "Filter30_Value=-1e10\r\nFilter40_Value=3e9\r\nFilter01_Value=   \r\nFilter11_Value=0x10\r\n"
        "Filter21_Value=.5\r\nFilter31_Value=nan\r\nFilter41_Value=inf\r\nFilter02_Value=-0\r\n");
    seedText("filter", "older_version.ksf", "[TMainForm]\r\nFormVersion=-1\r\nFilter12_Value=5\r\n");
    seedText("filter", "other_section.ksf", "[TOtherForm]\r\nFilter12_Value=5\r\n");
}

void curveFiles() {
    TBSpline spline;
    setDefaultCurve(spline);
    saveGammaCurve(seedPath("curve", "default.kgs"), spline);
    for (SplinePoint p : {SplinePoint{40, 230}, SplinePoint{200, 30}}) insertCurvePoint(spline, p.x, p.y);
    saveGammaCurve(seedPath("curve", "five_points.kgs"), spline);
    seedText("curve", "lf_clamped.kgs", "3\n-4\n300\n 128 \n128\n255\n0\n");
    seedText("curve", "flat_bottom.kgs", "2\r\n0\r\n255\r\n255\r\n255\r\n");
    seedText("curve", "short.kgs", "4\r\n0\r\n255\r\nx\r\n");
}

void commandFiles() {
    seedText("kco", "full.kco",
             "C:/capture/moon 1.avi  \r\n-XP320\r\n -YP240\t "
             "\r\n\r\n-nf20\r\n-CR5\r\n-WSsharp.kwv\r\n-ASpng\r\n-EX\r\n");
    seedText("kco", "folder.kco", "\xEF\xBB\xBFjupiter.ser\n-DI/data/night/\n-AS\n-bf3\n-EF9\n-xyz\n");
    seedText("kco", "bad_number.kco", "saturn.avi\n-XP12a\n");
}

// ---- actor files ----

// A character of several animations: stored and compressed frame data, branches, exits, a
// return animation and a sound.
TestActor richActor() {
    TestActor actor = minimalActor();
    actor.width = 6;
    actor.height = 3;
    actor.transparentIndex = 2;
    actor.animations[0].strip.clear();
    TestAnimation wave;
    wave.name = "Wave";
    wave.states = {1, 33, 79};
    wave.frames.resize(4);
    wave.frames[0].branches = {{{40, 2}, {30, 3}, {0, 0}, {0, 0}}};
    wave.frames[1].exit = {1, 3};
    wave.frames[2].sound = 7;
    wave.frames[3].duration = 0;
    wave.returnKind = 1;
    wave.returnAnimation = 1;
    wave.compress = true;
    actor.animations.push_back(wave);
    TestAnimation loop = wave;
    loop.name = "wave";
    loop.frames[2].branches = {{{100, 0}, {0, 0}, {0, 0}, {0, 0}}};
    loop.returnKind = 2;
    actor.animations.push_back(loop);
    const std::string riff = "RIFF\x24\0\0\0WAVEfmt ";
    actor.sounds.emplace_back(7, std::vector<std::uint8_t>(riff.begin(), riff.end()));
    return actor;
}

void actorFiles() {
    seed("actor", "minimal.actor", actorFileBytes(minimalActor()));
    seed("actor", "rich.actor", actorFileBytes(richActor()));
}

// The animation target's input: frame width and height (16 bits each), transparent index, stream.
void animationStreams() {
    const auto input = [](int width, int height, std::uint8_t transparent, const Bytes& stream) {
        Bytes out = {static_cast<std::uint8_t>(width - 1), static_cast<std::uint8_t>((width - 1) >> 8),
                     static_cast<std::uint8_t>(height - 1), static_cast<std::uint8_t>((height - 1) >> 8),
                     transparent};
        out.insert(out.end(), stream.begin(), stream.end());
        return out;
    };
    const TestActor actor = richActor();
    for (std::size_t n = 0; n < actor.animations.size(); ++n) {
        const Bytes data = frameData(actor.animations[n], actor.width, actor.height);
        seed("animation", "stored" + std::to_string(n) + ".lzrw",
             input(actor.width, actor.height, 2, storedStream(data)));
        seed("animation", "compressed" + std::to_string(n) + ".lzrw",
             input(actor.width, actor.height, 2, compressedStream(data)));
    }
    // Frames of 64 x 48 pixels: blocks that fill up and a stream that goes on after them.
    TestAnimation big;
    big.frames.resize(12);
    const Bytes data = frameData(big, 64, 48);
    seed("animation", "big_compressed.lzrw", input(64, 48, 0, compressedStream(data)));
}

// ---- point, list, calibration and sigma files ----

void pointFiles() {
    const std::vector<AlignPoint> points = {{100, 80, 64}, {320, 240, 128}, {600, 20, 32}, {10, 470, 512}};
    writeAlignPointFile(seedPath("point", "written.kap"), 57, points);
    // The most points a file holds, of every box size, on the frame's corners and edges.
    std::vector<AlignPoint> full;
    constexpr int sizes[] = {32, 64, 128, 256, 512};
    for (int p = 0; p < MaxAlignPoints; ++p)
        full.push_back({p % 3 == 0   ? 0
                        : p % 3 == 1 ? 639
                                     : p * 6,
                        p % 2 ? 479 : (p * 5) % 480, sizes[p % 5]});
    writeAlignPointFile(seedPath("point", "full.kap"), INT_MAX, full);
    writeAlignPointFile(seedPath("point", "one_point.kap"), INT_MIN, {{AlignPoint{0, 0, 32}}});
    writeAlignPointFile(seedPath("point", "no_points.kap"), 0, {});
    // A file that lists more points than are read.
    {
        TBigIniFile ini{fs::path()};
        ini.WriteInteger("Frame", "Number", 1);
        ini.WriteInteger("Points", "Number", INT_MAX);
        for (int p = 1; p <= MaxAlignPoints + 2; ++p) {
            ini.WriteInteger("Points", "X" + std::to_string(p), p);
            ini.WriteInteger("Points", "Y" + std::to_string(p), p);
            ini.WriteInteger("Points", "FFT" + std::to_string(p), 64);
        }
        writeFreshIniFile(seedPath("point", "too_many.kap"), ini);
    }
    seedText("point", "damaged.kap",
             "[Frame]\r\nNumber=3\r\n[Points]\r\nNumber=5\r\nX1=12\r\nY1=30\r\nFFT1=256\r\nX2=abc\r\nY2=4\r\n"
             "FFT2=64\r\nX3=700\r\nY3=2\r\nFFT3=64\r\nX4=5\r\nY4=5\r\nFFT4=100\r\n");
    seedText("point", "hex_and_blanks.kap",
             "[Frame]\nNumber=$7FFFFFFF\n[Points]\nNumber=0x3\nX1= "
             "0x20\nY1=$1DF\nFFT1=+512\nX2=-1\nY2=0\nFFT2=32\n");
}

void frameLists() {
    writeFrameList(seedPath("frame_list", "bmp_series.kfl"),
                   {"/data/moon/frame0001.bmp", "/data/moon/frame0002.bmp", "/data/moon/frame0003.bmp"});
    writeFrameList(seedPath("frame_list", "ser.kfl"), {"/data/jupiter.ser"});
    seedText("frame_list", "mixed.kfl",
             "\xEF\xBB\xBF"
             "C:\\caps\\a.fit\n\n  \t\nC:\\caps\\b.FITS\r\n/x/c.png\n/x/d.fit\r\n/x/e.jpeg\n");
    // A list of each kind, the other kinds' files among its lines.
    const std::vector<std::string> names = {"a.bmp", "b.fit", "c.fts", "d.jpg", "e.tif",  "f.tiff",
                                            "g.png", "h.ser", "i.avi", "j",     "k.JPEG", "l.FITS"};
    for (std::size_t first = 0; first < names.size(); ++first) {
        std::vector<std::string> files;
        for (std::size_t k = 0; k < names.size(); ++k)
            files.push_back("/frames/" + names[(first + k) % names.size()]);
        writeFrameList(seedPath("frame_list", "first_" + names[first] + ".kfl"), files);
    }
    writeFrameList(seedPath("frame_list", "two_videos.kfl"), {"/v/one.ser", "/v/two.ser", "/v/x.bmp"});
    // The longest line a list holds, and more files than an input takes.
    writeFrameList(seedPath("frame_list", "longest_line.kfl"),
                   {"/" + std::string(MaxFrameListLine - 5, 'n') + ".bmp", "/short.bmp"});
    std::vector<std::string> many;
    for (int k = 0; k < FrameCapacity + 2; ++k) many.push_back(std::to_string(k) + ".tif");
    writeFrameList(seedPath("frame_list", "over_capacity.kfl"), many);
    // The smallest lists: one name without a line end, and none.
    seedText("frame_list", "one_name.kfl", "x.png");
    seedText("frame_list", "empty.kfl", "");
}

void calibrationFiles() {
    // First byte: file type - 1 (bitmap, special FITS, FITS, PNG), 4 for a flat, 8 for a project load.
    const auto file = [](const std::string& name, std::uint8_t selector, Bytes bytes) {
        bytes.insert(bytes.begin(), selector);
        seed("calibration", name, bytes);
    };
    std::vector<std::uint32_t> pixels(12);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint32_t>(i * 0x0A1B2C);
    file("dark.bmp", 0, makeBmp({.width = 4, .height = 3}, pixels));
    file("flat_project.bmp", 4 | 8, makeBmp({.width = 4, .height = 3}, pixels));
    const std::vector<double> values = {3, 1000, -20, 7, 0, 65000};
    file("special_dark16.fit", 1, makeFits(fitsCards(16, 3, 2), 16, values));
    file("special_flat32_project.fit", 1 | 4 | 8, makeFits(fitsCards(32, 2, 3), 32, values));
    file("dark16_bzero.fit", 2, makeFits(fitsCards(16, 3, 2, "32768."), 16, values));
    file("flat-32.fit", 2 | 4, makeFits(fitsCards(-32, 3, 2), -32, {0.5, 1.5, 2.0, 0, 3.25, 1}));
    file("dark8_unsupported.fit", 2, makeFits(fitsCards(8, 2, 2), 8, {1, 2, 3, 4}));
    file("dark_rgb8.png", 3, makePng(3, 2, 2, 8, samples16(18, 256)));
    file("flat_grey16_project.png", 3 | 4 | 8, makePng(3, 3, 0, 16, samples16(9, 65536)));
    // Pictures one pixel wider than a frame: refused from the dialog (FITS), cut to the frame size
    // with a warning (bitmap, PNG), read row by row from a project.
    constexpr int wide = MaxFrameSize + 1;
    const std::vector<double> wideRows(2 * wide, 1000.0);
    file("dark16_too_wide.fit", 2, makeFits(fitsCards(16, wide, 2), 16, wideRows));
    file("flat32_too_wide.fit", 1 | 4, makeFits(fitsCards(32, 2, wide), 32, {1, 2}));
    file("dark16_wide_project.fit", 2 | 8, makeFits(fitsCards(16, wide, 2), 16, wideRows));
    file("flat-32_wide_project.fit", 2 | 4 | 8, makeFits(fitsCards(-32, wide, 2), -32, wideRows));
    file("dark_wide.bmp", 0,
         makeBmp({.width = wide, .height = 1}, std::vector<std::uint32_t>(wide, 0x102030)));
    file("flat_wide.png", 3 | 4, makePng(wide, 1, 0, 8, std::vector<std::uint16_t>(wide, 7)));
    // A file shorter than its header says, and the largest and smallest samples of each depth.
    Bytes shortFits = makeFits(fitsCards(16, 3, 2, "32768."), 16, values);
    shortFits.resize(shortFits.size() - 7);
    file("dark16_short.fit", 2, shortFits);
    file("flat16_extremes.fit", 2 | 4, makeFits(fitsCards(16, 3, 1), 16, {32767, -32768, 0}));
    file("flat32_extremes.fit", 1 | 4,
         makeFits(fitsCards(32, 3, 1, "-1E300"), 32, {2147483647, -2147483648.0, 1}));
    file("flat-32_extremes.fit", 2 | 4, makeFits(fitsCards(-32, 3, 1), -32, {3.4e38, -3.4e38, 1}));
    file("dark-32_blank_infinite.fit", 1,
         makeFits(fitsCards(-32, 2, 2), -32, {NAN, INFINITY, -INFINITY, 0.5}));
    file("flat_all_zero.bmp", 4, makeBmp({.width = 2, .height = 2}, std::vector<std::uint32_t>(4, 0)));
    file("flat_palette1.bmp", 4 | 8,
         makeBmp({.width = 9, .height = 2, .bits = 1, .palette = {{0, 0, 0}, {255, 255, 255}}},
                 std::vector<std::uint32_t>(18, 1)));
    file("dark_rgba16.png", 3 | 8, makePng(2, 2, 6, 16, samples16(16, 65536)));
}

void sigmaFiles() {
    writeSigmaBox(seedPath("sigma_box", "written.ksb"),
                  {.Type = 1, .Top = 10, .Bottom = 200, .Left = 5, .Right = 300});
    writeSigmaBox(seedPath("sigma_box", "largest.ksb"),
                  {.Type = 0, .Top = INT_MAX, .Bottom = INT_MAX, .Left = INT_MAX, .Right = INT_MAX});
    writeSigmaBox(seedPath("sigma_box", "smallest.ksb"),
                  {.Type = 1, .Top = INT_MIN, .Bottom = INT_MIN, .Left = INT_MIN, .Right = INT_MIN});
    seedText("sigma_box", "partial.ksb", "[Edges]\r\nType=7\r\nTop=-3\r\n");
    {
        const fs::path path = seedPath("events", "Sigmaini.ini");
        fs::remove(path);
        TBigIniFile log(path);
        SigmaEventLog events(log, {100, 250});
        events.frameEvents(0, {{50, 60, 250.0f, 142.0f}, {51, 60, 90.0f, 80.0f}}, 2);
        events.frameEvents(3, {{7, 8, 180.0f, 120.0f}}, 1);
        events.frameEvents(3, {{9, 8, 200.0f, 120.0f}}, 1);
        events.frameEvents(11, {{1, 2, 12.0f, 10.0f}}, 5);
        log.flush();
    }
    {
        // The two fields of an interlaced frame, a frame with more events than are kept, the last
        // frame, and the largest and smallest values an event holds.
        const fs::path path = seedPath("events", "interlaced_capped.kel");
        fs::remove(path);
        TBigIniFile log(path);
        SigmaEventLog events(log, {0, INT_MAX});
        events.frameEvents(0, {{1, 1, 200.0f, 100.0f}}, 1);
        events.frameEvents(0, {{2, 1, 201.0f, 100.0f}, {3, 1, 90.0f, 80.0f}}, 2);
        std::vector<SigmaEvent> crowd;
        for (int k = 0; k < static_cast<int>(SigmaEventsPerFrame) + 3; ++k)
            crowd.push_back({k % 64, k / 64, static_cast<float>(100 + k % 150), 90.0f});
        events.frameEvents(1, crowd, crowd.size() + 10);
        events.frameEvents(MaxFrameIndex,
                           {{INT_MAX, INT_MIN, 3.4e38f, -3.4e38f}, {INT_MIN, INT_MAX, NAN, 0.0f}}, 2);
        log.flush();
    }
    seedText("events", "damaged.kel",
             "[Frame2]\r\nEvents=2147483647\r\nX1=4\r\nY1=5\r\nPixval1=200\r\nHival1=10\r\nSigma1=999\r\n"
             "HiSigma=x\r\n[Frame0]\r\nEvents=1\r\n[Other]\r\nHiSigma=1000\r\n[Frame012]\r\nEvents=-4\r\n");
}
}  // namespace

// Trees of dropped names, three bytes an entry after the options: kind (0 folder, 1 file, 2 link
// to an earlier entry, 3 link to nothing), the entry it lies in, the link's target.
void droppedTrees() {
    const auto tree = [](const std::string& name, const Bytes& bytes) { seed("dropped", name, bytes); };
    tree("files_only.bin", {3, 1, 0, 0, 1, 0, 0});
    // Nested folders with files, everything listed and recursed.
    tree("nested.bin", {7, 0, 0, 0, 0, 1, 0, 1, 2, 0, 1, 1, 0, 0, 0, 0, 1, 4, 0});
    // A link back to the dropped folder and one to its parent folder: the loops end.
    tree("loops.bin", {7, 0, 0, 0, 2, 1, 0, 2, 0, 1, 0, 1, 0, 2, 3, 1});
    // A dangling link, a link to a file and a link to a folder.
    tree("links.bin", {7, 1, 0, 0, 0, 0, 0, 3, 0, 0, 2, 2, 1, 2, 0, 2});
    // Folders only, not recursed.
    tree("folders_only.bin", {1, 0, 0, 0, 0, 1, 0, 1, 0, 0});
}

// ---- project files ----

// A project of `frames` frames and `points` alignment points with varied values.
ProjectData seedProject(TInputType type, int frames, int points, int progstatus) {
    ProjectData p;
    p.InputType = type;
    p.filedir = "/data/saturn";
    p.sequencelength = frames;
    p.progstatus = progstatus;
    p.activepage = progstatus;
    p.usedframes = std::max(1, frames - 1);
    p.refframe = frames / 2;
    p.stackslider = frames / 3;
    p.stackdifslider = 100;
    for (int n = 1; n <= points; ++n) p.points.push_back({40 * n, 30 * n, 32 << (n % 5)});
    p.slots.resize(static_cast<std::size_t>(points));
    for (int i = 0; i < frames; ++i) {
        p.excluded.push_back(i % 3 == 1);
        p.ranking.push_back(frames - 1 - i);
        if (type != TInputType::itAVI && type != TInputType::itSER)
            p.frameNames.push_back("f" + std::to_string(i) + ".png");
        for (int n = 0; n < points; ++n)
            p.slots[static_cast<std::size_t>(n)].push_back(
                {i - n, n - i, 0.125f * static_cast<float>(i), 1e5f / static_cast<float>(i + 1)});
    }
    p.formLines = {"Processarea_Text=512", "Usedarkframe_Checked=1", "FFTWindow_Left=12"};
    return p;
}

void projectFiles() {
    ProjectData video = seedProject(TInputType::itAVI, 3, 2, 2);
    video.AviName = "/data/saturn/saturn.avi";
    video.interlaced = video.slots.front();
    video.dark = ProjectCalibration{"/data/saturn/dark.bmp", 1};
    writeProject(seedPath("project", "video.ksp"), video);
    ProjectData older = video;
    older.form = ProjectForm::Older;
    writeProject(seedPath("project", "older.ksp"), older);
    ProjectData stacked = seedProject(TInputType::itPNG, 6, 5, 4);
    stacked.wavelet = ProjectWavelet{{100, 50, 25, 10, 0, -50}, 2, 3, 1, 10, -5};
    stacked.flat = ProjectCalibration{"flat.fit", 3};
    writeProject(seedPath("project", "stacked_series.ksp"), stacked);
    ProjectData ser = seedProject(TInputType::itSER, 4, 1, 3);
    ser.SerName = "/data/saturn/saturn.ser";
    writeProject(seedPath("project", "ser.ksp"), ser);
    ProjectData segments = seedProject(TInputType::itAVI, 5, 1, 2);
    segments.aviFiles = {{"C:\\caps\\a.avi", 0, 2}, {"C:\\caps\\b.avi", 3, 4}};
    writeProject(seedPath("project", "segments.ksp"), segments);
    seedText("project", "damaged.ksp",
             "[input]\nfiletype=TIF\nsequencelength=3\nalignpoints=2\nhotx1=5\nhotfft1=64\nhotfft2=128\n"
             "im0=../x.tif\nprogstatus=4\nlayer1=9999\n[Shifts1]\nX0=0x7FFFFFFF\n[Info1]\nQ0=1,5E3\nD2=nan\n"
             "[Ranking]\nRank0=7\n[Ranking]\nRank1=0\n[Form]\nno equals sign\n=x\n");
}

// ---- Language files ----

// The first byte of a seed picks the character set the file is read in (an index into the fuzz
// target's list: 1 Western, 3 Japanese, 12 Cyrillic).
void languageFiles() {
    const auto language = [](const std::string& name, char charsetIndex, const std::string& text) {
        seedText("language", name, std::string(1, charsetIndex) + text);
    };
    const TranslationTemplate written =
        buildTranslationTemplate({{100, "TabSheet1.caption", "Align"},
                                  {101, "Autolanguage.caption", "Auto"},
                                  {101, "FFTsizeGroup.items", "32,64,128,256,512"},
                                  {102, "Currentquality.caption", "two\r\nlines"},
                                  {910, "Selectbutton.btncaption", "Select"},
                                  {910, "Tabpages.tabs", "Align,Optimize,Stack,Wavelet,Final,About"}});
    language("template.txt", 1, written.templateText);
    language("caplist.txt", 1, written.captionList);
    language(
        "cyrillic.txt", 12,
        "[Translations]\r\nTabSheet1.caption=\xC0\xE2\xF2\xEE\r\nFFTsizeGroup.items=\xE0, \xE1 ,,\xE2,\r\n");
    language("shift_jis.txt", 3,
             "[translations]\nAutolanguage.caption=\x93\xFA\x96\x7B*\x82\r\nTag.Tag=12\n");
    language("utf8_named_charset.txt", 0,
             "\xEF\xBB\xBF[Translations]\r\ncharset1.caption=238\r\n  Label1.caption  =  a*b*c  \r\n"
             "no equals\r\n[broken\r\nLabel2.caption=outside\r\n[Translations]\r\n=no key\r\n"
             "label1.CAPTION=repeated\r\nGroup.Tag=abc\r\nDeep.Font.Name=x\r\n");
    language("long_value.txt", 1, "[Translations]\r\nA.caption=" + std::string(1100, 'w') + " tail\r\n");
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    corpus = argv[1];
    aviFiles();
    aviFrames();
    serFiles();
    fitsFiles();
    bmpFiles();
    pngFiles();
    jpegFiles();
    tiffFiles();
    lzwStreams();
    iniFiles();
    languageFiles();
    schemeFiles();
    filterFiles();
    curveFiles();
    commandFiles();
    actorFiles();
    animationStreams();
    pointFiles();
    frameLists();
    calibrationFiles();
    sigmaFiles();
    droppedTrees();
    projectFiles();
    return 0;
}
