// The frame sources give a pass the same pixels the readers give when called directly, frame by
// frame, with one thread or several reading ahead; colour-sensor video comes debayered.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <numeric>
#include <thread>

#include "frames/avi_input.h"
#include "frames/avi_test_jpeg.h"
#include "frames/bmp_reader.h"
#include "frames/fits_reader.h"
#include "frames/input_sources.h"
#include "frames/input_test_files.h"
#include "frames/jpeg_reader.h"
#include "frames/png_io.h"
#include "frames/ser_reader.h"
#include "frames/tiff_frame.h"
#include "support/memory_frame_source.h"
#include "support/temp_dir.h"
#include "support/thread_count_scope.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

bool samePicture(const Bitmap24& a, const Bitmap24& b) {
    return a.width() == b.width() && a.height() == b.height() && a.byteCount() == b.byteCount() &&
           std::memcmp(a.bits(), b.bits(), a.byteCount()) == 0;
}

bool samePlane(const T2dArrays& a, const T2dArrays& b) {
    if (a.xCount() != b.xCount() || a.yCount() != b.yCount()) return false;
    for (int x = 0; x < a.xCount(); ++x)
        for (int y = 0; y < a.yCount(); ++y)
            if (a[x][y] != b[x][y]) return false;
    return true;
}

bool sameHighBits(const TTIFFBitMap& a, const TTIFFBitMap& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.HighBitRow(y), b.HighBitRow(y), a.samplesPerRow() * 2) != 0) return false;
    return true;
}

std::vector<int> allFrames(int count) {
    std::vector<int> frames(static_cast<std::size_t>(count));
    std::iota(frames.begin(), frames.end(), 0);
    return frames;
}

// Reads every frame through a prefetcher at 1 and at 4 threads and hands each to `check`.
template <typename Check>
void readAtOneAndManyThreads(FrameSource& source, int count, Check check,
                             FrameParts parts = FrameParts::Both) {
    for (const int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        const ThreadCountScope scope(threads);
        FramePrefetcher frames(source, allFrames(count), 4, 1, parts);
        for (int i = 0; i < count; ++i) {
            check(i, frames.next());
            frames.release();
        }
    }
}

std::vector<std::string> namesOf(const std::vector<std::filesystem::path>& files) {
    std::vector<std::string> names;
    for (const auto& file : files) names.push_back(file.string());
    return names;
}

}  // namespace

// A frame the pass holds stays intact while eight threads take the others side by side, hold each a
// while and give them back in any order.
TEST(InputSources, HeldFramesStayIntactWhileOthersAreGivenBackInAnyOrder) {
    MemoryFrameSource source;
    const std::size_t n = 300;
    for (std::size_t i = 0; i < n; ++i) source.frames.emplace_back(1, 1)[0][0] = float(i);
    for (const int threads : {1, 8}) {
        const ThreadCountScope scope(threads);
        FramePrefetcher frames(source, allFrames(int(n)), 1, 2);
        std::size_t first = 0, taken = 1;
        const FrameBuffers& kept = frames.next(first);
        std::mutex taking;
        std::atomic<int> wrong{0};
        std::vector<std::thread> passes;
        for (int t = 0; t < 8; ++t)
            passes.emplace_back([&] {
                for (std::size_t position = 0;; frames.release(position)) {
                    const FrameBuffers* frame = nullptr;
                    {
                        const std::lock_guard lock(taking);
                        if (taken == n) return;
                        ++taken;
                        frame = &frames.next(position);
                    }
                    std::this_thread::sleep_for(std::chrono::microseconds(50 * (position % 5)));
                    wrong +=
                        frame->RawFramePlane[0][0] != float(position) || kept.RawFramePlane[0][0] != 0.0f;
                }
            });
        for (std::thread& pass : passes) pass.join();
        frames.release(first);
        EXPECT_EQ(wrong, 0) << threads;
    }
}

TEST(InputSources, SerFramesAreTheReadersRawSamplesOrTheirDebayeredPicture) {
    TempDir dir;
    const int w = 20, h = 12, n = 9;
    std::vector<std::uint16_t> samples(static_cast<std::size_t>(w) * h * n);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint16_t>((i * 37) % 4096);
    SerParams params{8, 0, w, h, 12, n};  // RGGB mosaic, 12 bits
    writeFile(dir / "cam.ser", makeSer(params, samples));

    SerInputSource plain(dir / "cam.ser", {});
    EXPECT_EQ(plain.frameCount(), n);
    readAtOneAndManyThreads(plain, n, [&](int i, FrameBuffers& frame) {
        T2dArrays plane;
        Bitmap24 preview;
        FrameReaderState facts;
        ASSERT_TRUE(ReadSerFrame(dir / "cam.ser", i, plane, preview, facts));
        EXPECT_EQ(frame.Samples, FrameSamples::Raw);
        EXPECT_TRUE(samePlane(frame.RawFramePlane, plane)) << i;
        EXPECT_TRUE(samePicture(frame.Preview, preview)) << i;
    });

    FrameSourceOptions options;
    options.DebayerEnabled = true;
    options.debayer.pattern = bayerPatternForItem(1);
    SerInputSource colour(dir / "cam.ser", options);
    readAtOneAndManyThreads(colour, n, [&](int i, FrameBuffers& frame) {
        T2dArrays plane;
        Bitmap24 preview;
        FrameReaderState facts;
        const DebayerHook hook = [](Bitmap24& picture) {
            Debayer(picture, {BayerPattern::RG}, PlaneTriple{});
        };
        ASSERT_TRUE(ReadSerFrame(dir / "cam.ser", i, plane, preview, facts, hook));
        EXPECT_EQ(frame.Samples, FrameSamples::Bitmap);
        EXPECT_TRUE(samePicture(frame.Preview, preview)) << i;
    });

    FrameBuffers beyond;
    EXPECT_THROW(plain.readFrame(n, beyond), FileError);
}

// A pass that reads only the picture or only the samples gets them as a full read does, and the
// part it did not ask for stays empty; a debayered frame's samples are its picture.
TEST(InputSources, RawFramesReadInPartsAreThoseOfAFullRead) {
    TempDir dir;
    const int w = 21, h = 13, n = 5;
    std::vector<std::uint16_t> samples(static_cast<std::size_t>(w) * h * n);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::uint16_t>((i * 977) % 40000);
    writeFile(dir / "deep.ser", makeSer({8, 0, w, h, 16, n}, samples));
    std::vector<std::string> fits;
    for (int k = 0; k < n; ++k) {
        fits.push_back((dir / ("f" + std::to_string(k) + ".fit")).string());
        const auto first = samples.begin() + static_cast<std::ptrdiff_t>(k) * w * h;
        writeFile(fits.back(), makeFits(fitsCards(16, w, h), 16, std::vector<double>(first, first + w * h)));
    }
    for (std::uint16_t& s : samples) s %= 200;
    writeFile(dir / "byte.ser", makeSer({8, 0, w, h, 8, n}, samples));
    FrameSourceOptions debayered;
    debayered.DebayerEnabled = true;
    const auto ser = [&](const char* name, const FrameSourceOptions& options) {
        return [&, name, options] { return std::make_unique<SerInputSource>(dir / name, options); };
    };
    const auto fit = [&] {
        return std::make_unique<StillInputSource>(TInputType::itFIT, fits, FrameSourceOptions{});
    };
    const struct {
        const char* what;
        std::function<std::unique_ptr<FrameSource>()> source;
        FrameParts parts;
        bool plane, picture, levels = false;
    } cases[] = {
        {"16-bit", ser("deep.ser", {}), FrameParts::Preview, false, true},
        {"16-bit", ser("deep.ser", {}), FrameParts::Samples, true, false},
        {"16-bit", ser("deep.ser", {}), FrameParts::Levels, false, false, true},
        {"8-bit", ser("byte.ser", {}), FrameParts::Preview, false, true},
        {"8-bit", ser("byte.ser", {}), FrameParts::Samples, true, false},
        {"8-bit", ser("byte.ser", {}), FrameParts::Levels, false, false, true},
        {"debayered", ser("deep.ser", debayered), FrameParts::Preview, false, true},
        {"debayered", ser("deep.ser", debayered), FrameParts::Samples, false, true},
        {"FITS", fit, FrameParts::Preview, false, true},
        {"FITS", fit, FrameParts::Samples, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " parts " + std::to_string(static_cast<int>(c.parts)));
        const std::unique_ptr<FrameSource> whole = c.source(), partial = c.source();
        readAtOneAndManyThreads(
            *partial, n,
            [&](int i, FrameBuffers& frame) {
                FrameBuffers full;
                EXPECT_EQ(frame.Samples, whole->readFrame(i, full));
                EXPECT_TRUE(c.plane ? samePlane(frame.RawFramePlane, full.RawFramePlane)
                                    : frame.RawFramePlane.empty());
                EXPECT_TRUE(c.picture ? samePicture(frame.Preview, full.Preview) : frame.Preview.empty());
                // The levels are the preview's green bytes.
                bool sameLevels = frame.Levels.width() == full.Preview.width() &&
                                  frame.Levels.height() == full.Preview.height();
                for (int y = 0; sameLevels && y < frame.Levels.height(); ++y)
                    for (int x = 0; x < frame.Levels.width(); ++x)
                        sameLevels = sameLevels && frame.Levels.row(y)[x] == full.Preview.pixel(x, y)[1];
                EXPECT_TRUE(c.levels ? sameLevels : frame.Levels.empty());
            },
            c.parts);
    }
}

TEST(InputSources, StillSeriesOfEveryKindGiveTheReadersFrames) {
    TempDir dir;
    const int w = 11, h = 7;
    std::vector<std::filesystem::path> bmp, jpg, fit, tif, png;
    for (int k = 0; k < 6; ++k) {
        const std::string stem = "f" + std::to_string(k);
        bmp.push_back(dir / (stem + ".bmp"));
        writePatternBmp(bmp.back(), w, h, static_cast<std::uint32_t>(k));

        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
        for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 5 + k * 40);
        jpg.push_back(dir / (stem + ".jpg"));
        writeFile(jpg.back(), encodeJpeg(w, h, 3, rgb));

        std::vector<double> values(static_cast<std::size_t>(w) * h);
        for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<double>(i * 100 + k);
        fit.push_back(dir / (k == 3 ? stem + "_L.fit" : stem + ".fit"));
        writeFile(fit.back(), makeFits(fitsCards(16, w, h), 16, values));

        std::vector<std::uint16_t> words(static_cast<std::size_t>(w) * h);
        for (std::size_t i = 0; i < words.size(); ++i) words[i] = static_cast<std::uint16_t>(i * 811 + k * 3);
        tif.push_back(dir / (stem + ".tif"));
        writeFile(tif.back(), makeGreyTiff16(w, h, words));

        std::vector<std::uint16_t> rgb16(static_cast<std::size_t>(w) * h * 3);
        for (std::size_t i = 0; i < rgb16.size(); ++i) rgb16[i] = static_cast<std::uint16_t>(i * 977 + k);
        png.push_back(dir / (stem + ".png"));
        writeFile(png.back(), makePng(w, h, 2, 16, rgb16));
    }

    StillInputSource bmpSource(TInputType::itBMP, namesOf(bmp), {});
    readAtOneAndManyThreads(bmpSource, 6, [&](int i, FrameBuffers& frame) {
        EXPECT_EQ(frame.Samples, FrameSamples::Bitmap);
        EXPECT_TRUE(samePicture(frame.Preview, readBmpFile(bmp[static_cast<std::size_t>(i)])));
    });

    StillInputSource jpgSource(TInputType::itJPG, namesOf(jpg), {});
    readAtOneAndManyThreads(jpgSource, 6, [&](int i, FrameBuffers& frame) {
        Bitmap24 preview;
        FrameReaderState facts;
        LoadJPGFrame(jpg[static_cast<std::size_t>(i)], preview, facts);
        EXPECT_EQ(frame.Samples, FrameSamples::Bitmap);
        EXPECT_TRUE(samePicture(frame.Preview, preview));
    });

    StillInputSource fitSource(TInputType::itFIT, namesOf(fit), {});
    readAtOneAndManyThreads(fitSource, 6, [&](int i, FrameBuffers& frame) {
        T2dArrays plane;
        Bitmap24 preview;
        FrameReaderState facts;
        ASSERT_TRUE(ReadFitsFrame(fit[static_cast<std::size_t>(i)], plane, preview, facts).read);
        EXPECT_EQ(frame.Samples, FrameSamples::Raw);
        EXPECT_EQ(frame.FrameChannel, i == 3 ? 3 : 1);
        EXPECT_TRUE(samePlane(frame.RawFramePlane, plane));
        EXPECT_TRUE(samePicture(frame.Preview, preview));
    });

    FrameSourceOptions stretch;
    stretch.TifStretch = true;
    StillInputSource tifSource(TInputType::itTIF, namesOf(tif), stretch);
    readAtOneAndManyThreads(tifSource, 6, [&](int i, FrameBuffers& frame) {
        Bitmap24 preview;
        TTIFFBitMap high;
        FrameReaderState facts;
        std::uint16_t hiValue = 0;
        ReadTiffFrame(tif[static_cast<std::size_t>(i)], hiValue, true, preview, high, facts);
        EXPECT_EQ(frame.Samples, FrameSamples::HighBit);
        EXPECT_TRUE(sameHighBits(frame.HighBitFrame, high));
        EXPECT_TRUE(samePicture(frame.Preview, preview));
    });

    StillInputSource pngSource(TInputType::itPNG, namesOf(png), {});
    readAtOneAndManyThreads(pngSource, 6, [&](int i, FrameBuffers& frame) {
        Bitmap24 preview;
        TTIFFBitMap high;
        FrameReaderState facts;
        ASSERT_TRUE(LoadPNGFrame(png[static_cast<std::size_t>(i)], preview, high, facts));
        EXPECT_EQ(frame.Samples, FrameSamples::HighBit);
        EXPECT_TRUE(sameHighBits(frame.HighBitFrame, high));
        EXPECT_TRUE(samePicture(frame.Preview, preview));
    });

    std::filesystem::remove(bmp[4]);
    StillInputSource gap(TInputType::itBMP, namesOf(bmp), {});
    FrameBuffers frame;
    EXPECT_THROW(gap.readFrame(4, frame), FileError);
    EXPECT_THROW(gap.readFrame(6, frame), FileError);
}

TEST(InputSources, AviFramesOfSeveralFilesMatchTheReaderAcrossTheFiles) {
    TempDir dir;
    writeTaggedAvi(dir / "a.avi", 30, 0);
    writeTaggedAvi(dir / "b.avi", 25, 30);
    FrameModel model;
    model.setAviSegment(0, (dir / "a.avi").string(), 30);
    model.setAviSegment(1, (dir / "b.avi").string(), 25);
    model.avicount = 1;

    Bitmap24 preview;
    TTIFFBitMap high;
    AviReader reader(preview, high);
    AviInput direct(reader, model);
    SingleFrameAviSink sink;
    NullProgress quiet;

    AviInputSource source(model, {});
    EXPECT_EQ(source.maxConcurrentReads(), 1);
    readAtOneAndManyThreads(source, 55, [&](int i, FrameBuffers& frame) {
        direct.readFrame(i, {}, sink, quiet);
        EXPECT_EQ(frame.Samples, FrameSamples::Bitmap);
        EXPECT_EQ(tagOf(frame.Preview), i);
        EXPECT_TRUE(samePicture(frame.Preview, preview)) << i;
    });
    FrameBuffers beyond;
    EXPECT_THROW(source.readFrame(55, beyond), FileError);

    // Debayered: the reader's mosaic turned into colour by the debayer.
    struct DebayerSink : SingleFrameAviSink {
        void debayer(Bitmap24& picture) override { Debayer(picture, {BayerPattern::BG}, PlaneTriple{}); }
    } debayerSink;
    FrameSourceOptions options;
    options.DebayerEnabled = true;
    options.debayer.pattern = BayerPattern::BG;
    AviInputSource colour(model, options);
    FrameBuffers frame;
    colour.readFrame(40, frame);
    AviReadOptions mosaic;
    mosaic.DebayerEnabled = true;
    direct.readFrame(40, mosaic, debayerSink, quiet);
    EXPECT_TRUE(samePicture(frame.Preview, preview));
    FrameBuffers plain;
    source.readFrame(40, plain);
    EXPECT_FALSE(samePicture(frame.Preview, plain.Preview));
}
