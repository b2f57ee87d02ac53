// The AVI reader as the program drives it: single frames and passes, several files as one
// input, dropped frames, the frame caps, interlaced fields, the preview gamma, cancel and halt.

#include <gtest/gtest.h>

#include <fstream>
#include <numeric>

#include "frames/avi_input.h"
#include "frames/avi_test_sink.h"
#include "platform/safe_file.h"
#include "support/avi_test_writer.h"
#include "support/temp_dir.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

// A Y800 video of 2 x 1 pixels whose frame k carries the tag `first` + k.
void writeTagged(const std::filesystem::path& path, int count, int first = 0, AviTestLayout layout = {},
                 int dropped = -1) {
    AviTestFormat format;
    format.handler = format.compression = "Y800";
    format.width = 2;
    format.height = 1;
    AviTestWriter writer(path, format, layout);
    for (int k = 0; k < count; ++k) {
        const int tag = first + k;
        const std::vector<std::uint8_t> frame = {static_cast<std::uint8_t>(tag),
                                                 static_cast<std::uint8_t>(tag >> 8)};
        writer.addFrame(k == dropped ? std::span<const std::uint8_t>() : frame);
    }
    writer.finish();
}

std::vector<int> range(int first, int last) {
    std::vector<int> v(static_cast<std::size_t>(last - first + 1));
    std::iota(v.begin(), v.end(), first);
    return v;
}

struct Fixture {
    FrameModel model;
    Bitmap24 preview;
    TTIFFBitMap high;
    AviReader reader{preview, high};
    AviInput input{reader, model};
    RecordingSink sink{model, preview};
    NullProgress progress;
    AviReadOptions options;

    void read(const std::filesystem::path& path, int index) {
        reader.ReadAVIFrames(path.string(), index, options, sink, progress);
    }
    void alignPass(const std::filesystem::path& path) {
        options.InAlignPass = true;
        reader.state.AviReopen = true;
        read(path, -1);
        options.InAlignPass = false;
    }
    std::string failure(const std::filesystem::path& path, int index) {
        try {
            read(path, index);
        } catch (const AviError& e) {
            return e.what();
        }
        return "";
    }
};

}  // namespace

TEST(AviReader, TwoFilesAreOneInputAddressedGlobally) {
    TempDir dir;
    writeTagged(dir / "a.avi", 100, 0);
    writeTagged(dir / "b.avi", 50, 1000);
    Fixture f;
    AviInput& input = f.input;
    input.open({(dir / "a.avi").string(), (dir / "b.avi").string()}, f.options, f.sink, f.progress);
    ASSERT_EQ(f.model.avicount, 1);
    EXPECT_EQ(f.model.AviSegments[0].LastFrame, 99);
    EXPECT_EQ(f.model.AviSegments[1].FirstFrame, 100);
    EXPECT_EQ(f.model.AviSegments[1].LastFrame, 149);
    EXPECT_EQ(input.frameCount(), 150);

    input.readFrame(120, f.options, f.sink, f.progress);
    EXPECT_EQ(tagOf(f.preview), 1020);
    EXPECT_EQ(f.sink.currentFrame, 120);
    EXPECT_EQ(f.model.FrameWidthRaw, 2);
    EXPECT_EQ(f.model.ImageHeight, 1);
    input.readFrame(7, f.options, f.sink, f.progress);
    EXPECT_EQ(tagOf(f.preview), 7);
    EXPECT_THROW(input.readFrame(150, f.options, f.sink, f.progress), AviError);

    f.options.InStackPass = true;
    input.pass(f.options, f.sink, f.progress);
    EXPECT_EQ(f.sink.handed, range(0, 149));
    std::vector<int> tags = range(0, 99), second = range(1000, 1049);
    tags.insert(tags.end(), second.begin(), second.end());
    EXPECT_EQ(f.sink.tags, tags);
    EXPECT_EQ(f.progress.maximum(), 50);
    EXPECT_EQ(f.progress.position(), 49);
    EXPECT_EQ(f.progress.status(2), "Processing frame :150");
}

TEST(AviReader, FilesOfOneInputMayDifferInFormat) {
    TempDir dir;
    writeTagged(dir / "a.avi", 2, 5);
    AviTestFormat rgb;
    rgb.width = 2;
    rgb.height = 1;
    rgb.bitCount = 24;
    writeTestAvi(dir / "b.avi", rgb, {{9, 0, 0, 1, 0, 0, 0, 0}});
    Fixture f;
    AviInput& input = f.input;
    input.open({(dir / "a.avi").string(), (dir / "b.avi").string()}, f.options, f.sink, f.progress);
    f.options.InAlignPass = true;
    input.pass(f.options, f.sink, f.progress);
    EXPECT_EQ(f.sink.tags, (std::vector<int>{5, 6, 9 + 256}));
}

TEST(AviReader, DroppedFramesAreExcludedFromEveryPass) {
    TempDir dir;
    writeTagged(dir / "a.avi", 6, 0, {}, 3);
    Fixture f;
    f.read(dir / "a.avi", 0);
    f.alignPass(dir / "a.avi");
    EXPECT_TRUE(f.reader.state.DroppedFrames);
    EXPECT_TRUE(f.model.FrameTable[3].Dropped);
    EXPECT_TRUE(f.model.FrameTable[3].Excluded);
    EXPECT_EQ(f.sink.handed, (std::vector<int>{0, 1, 2, 4, 5}));
    EXPECT_EQ(f.sink.tags, (std::vector<int>{0, 1, 2, 4, 5}));
    f.sink.handed.clear();
    f.alignPass(dir / "a.avi");
    EXPECT_EQ(f.sink.handed, (std::vector<int>{0, 1, 2, 4, 5}));

    // Over several files the flag tells of a drop in any of them, not only in the last.
    writeTagged(dir / "b.avi", 4, 100);
    Fixture m;
    m.input.open({(dir / "a.avi").string(), (dir / "b.avi").string()}, m.options, m.sink, m.progress);
    m.options.InStackPass = true;
    m.input.pass(m.options, m.sink, m.progress);
    EXPECT_TRUE(m.model.DroppedFrames);
    EXPECT_EQ(m.sink.handed.size(), 9u);

    // A single read of the empty sample shows the frame read before it; with nothing read yet,
    // a black frame of the video's size.
    f.read(dir / "a.avi", 2);
    f.read(dir / "a.avi", 3);
    EXPECT_EQ(tagOf(f.preview), 2);
    Fixture fresh;
    fresh.read(dir / "a.avi", 3);
    EXPECT_EQ(fresh.preview.width(), 2);
    EXPECT_EQ(tagOf(fresh.preview), 0);
}

TEST(AviReader, APassReadsAheadAndStopsAtAFrameBeyondTheFile) {
    TempDir dir;
    writeTagged(dir / "a.avi", 6);
    Fixture f;
    f.model.FrameTable[1].Excluded = f.model.FrameTable[3].Excluded = true;
    f.alignPass(dir / "a.avi");
    EXPECT_EQ(f.sink.tags, (std::vector<int>{0, 2, 4, 5}));

    // The index entry of frame 4 claims more bytes than the file holds.
    auto bytes = readWholeFile(dir / "a.avi");
    const std::size_t entry4 = bytes.size() - 2 * 16;
    bytes[entry4 + 14] = 0x7f;
    std::ofstream(dir / "b.avi", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    Fixture g;
    EXPECT_EQ(g.failure(dir / "b.avi", 4), "Failed to read AVI frame");
    g.options.InStackPass = true;
    EXPECT_EQ(g.failure(dir / "b.avi", -1), "Failed to read AVI frame");
    EXPECT_EQ(g.sink.handed, (std::vector<int>{0, 1, 2, 3}));
}

TEST(AviReader, APassCoversTenThousandFramesOfAFileAndNeverPassesTheLastRecord) {
    TempDir dir;
    writeTagged(dir / "long.avi", 12000);
    Fixture f;
    f.read(dir / "long.avi", 0);
    EXPECT_EQ(f.reader.state.AviFrameCount, 12000);
    f.alignPass(dir / "long.avi");
    EXPECT_EQ(f.sink.handed, range(0, 9999));
    EXPECT_EQ(f.sink.tags.back(), 9999);
    EXPECT_EQ(f.progress.maximum(), 10000);
    // The last record of the frame table stays readable; frames beyond it do not exist.
    f.read(dir / "long.avi", 10000);
    EXPECT_EQ(tagOf(f.preview), 10000);
    EXPECT_EQ(f.failure(dir / "long.avi", 10001), " Frame number wrong. ");

    writeTagged(dir / "a.avi", 8000);
    writeTagged(dir / "b.avi", 8000, 8000);
    Fixture g;
    AviInput& input = g.input;
    input.open({(dir / "a.avi").string(), (dir / "b.avi").string()}, g.options, g.sink, g.progress);
    EXPECT_EQ(input.frameCount(), 16000);
    g.options.InAlignPass = true;
    input.pass(g.options, g.sink, g.progress);  // the sink throws for any frame past 10000
    EXPECT_EQ(g.sink.handed, range(0, 10000));
    EXPECT_EQ(g.sink.tags.back(), 10000);
    EXPECT_THROW(input.readFrame(10001, g.options, g.sink, g.progress), AviError);
}

TEST(AviReader, OpenDmlFramesInLaterRiffChunks) {
    TempDir dir;
    AviTestLayout layout;
    layout.index = AviTestIndex::OpenDml;
    layout.framesPerRiff = 4;
    writeTagged(dir / "big.avi", 10, 0, layout);
    Fixture f;
    f.read(dir / "big.avi", 0);
    EXPECT_EQ(f.reader.state.AviFrameCount, 10);
    f.read(dir / "big.avi", 9);
    EXPECT_EQ(tagOf(f.preview), 9);
    f.alignPass(dir / "big.avi");
    EXPECT_EQ(f.sink.tags, range(0, 9));
}

TEST(AviReader, FrameRangeFollowsTheStreamHeader) {
    TempDir dir;
    AviTestLayout layout;
    layout.start = 2;
    layout.length = 5;
    writeTagged(dir / "start.avi", 3, 0, layout);
    Fixture f;
    f.read(dir / "start.avi", 0);
    EXPECT_EQ(f.reader.state.AviFrameCount, 5);
    EXPECT_EQ(tagOf(f.preview), 0);  // below dwStart: frame dwStart
    f.read(dir / "start.avi", 4);
    EXPECT_EQ(tagOf(f.preview), 2);
    EXPECT_EQ(f.failure(dir / "start.avi", 5), " Frame number wrong. ");
    f.alignPass(dir / "start.avi");
    EXPECT_EQ(f.sink.handed, (std::vector<int>{2, 3, 4}));

    layout = {};
    layout.length = 0;
    writeTagged(dir / "zero.avi", 3, 0, layout);
    f.read(dir / "zero.avi", 0);
    EXPECT_EQ(f.reader.state.AviFrameCount, 1);
    EXPECT_EQ(f.failure(dir / "zero.avi", 1), " Frame number wrong. ");
}

TEST(AviReader, StateFlagsOfTheCalls) {
    TempDir dir;
    writeTagged(dir / "y.avi", 2);
    AviTestFormat k3cc;
    k3cc.handler = "K3CC";
    k3cc.width = 2;
    k3cc.height = 1;
    k3cc.bitCount = 12;
    writeTestAvi(dir / "k.avi", k3cc, {{0xAB, 0xCD, 0xEF, 0}});
    Fixture f;
    f.read(dir / "y.avi", 0);
    EXPECT_EQ(f.reader.state.AviFourCCText, "vidsY800");
    EXPECT_TRUE(f.reader.state.AviRawRead);
    EXPECT_TRUE(f.reader.state.AviY800);
    EXPECT_FALSE(f.reader.state.InputHiAvi);

    f.read(dir / "k.avi", 0);
    EXPECT_EQ(f.reader.state.AviFourCCText, "vidsK3CC");
    EXPECT_FALSE(f.reader.state.AviY800);
    EXPECT_TRUE(f.reader.state.InputHiAvi);
    EXPECT_EQ(f.high.HighBitRow(0)[1], 0xABC0);

    // No name: only the high-bit flag is cleared (and a reopen requested for raw video).
    f.reader.state.AviReopen = false;
    f.reader.state.DroppedFrames = true;
    f.reader.ReadAVIFrames("none", 0, f.options, f.sink, f.progress);
    EXPECT_FALSE(f.reader.state.InputHiAvi);
    EXPECT_TRUE(f.reader.state.AviReopen);
    EXPECT_TRUE(f.reader.state.DroppedFrames);
    f.read(dir / "missing.avi", -2);  // opens nothing
    EXPECT_FALSE(f.reader.state.DroppedFrames);
    EXPECT_EQ(f.failure(dir / "missing.avi", 0), "Failed to open AVI file");

    AviTestFormat xvid = k3cc;
    xvid.handler = xvid.compression = "XVID";
    writeTestAvi(dir / "x.avi", xvid, {{1, 2, 3}});
    EXPECT_EQ(f.failure(dir / "x.avi", 0), "Failed to start AVI decompression");
}

TEST(AviReader, InterlacedFieldsAreCompletedAndHandedOnSeparately) {
    TempDir dir;
    AviTestFormat format;
    format.handler = format.compression = "Y800";
    format.width = 3;
    format.height = 4;
    // Rows 0, 10, 20, 40 (top first); columns add 0, 2, 4.
    writeTestAvi(dir / "i.avi", format, {{0, 2, 4, 10, 12, 14, 20, 22, 24, 40, 42, 44}});
    auto row = [](const Bitmap24& b, int y) {
        return std::vector<int>{b.pixel(0, y)[1], b.pixel(1, y)[1], b.pixel(2, y)[1]};
    };
    auto column = [](const Bitmap24& b, int x) {
        return std::vector<int>{b.pixel(x, 0)[0], b.pixel(x, 1)[0], b.pixel(x, 2)[0], b.pixel(x, 3)[0]};
    };
    Fixture f;
    f.options.interlaced = true;
    f.sink.keepPictures = true;
    f.alignPass(dir / "i.avi");
    ASSERT_EQ(f.sink.pictures.size(), 2u);
    EXPECT_EQ(f.sink.fields, (std::vector<int>{0, 1}));
    EXPECT_EQ(row(f.sink.pictures[0], 1), (std::vector<int>{10, 12, 14}));  // (0 + 20) div 2
    EXPECT_EQ(row(f.sink.pictures[0], 2), (std::vector<int>{20, 22, 24}));
    EXPECT_EQ(row(f.sink.pictures[1], 1), (std::vector<int>{10, 12, 14}));
    EXPECT_EQ(row(f.sink.pictures[1], 2), (std::vector<int>{25, 27, 29}));  // (10 + 40) div 2
    EXPECT_EQ(row(f.sink.pictures[1], 3), (std::vector<int>{40, 42, 44}));

    Fixture h;
    h.options.interlaced = h.options.Interlacehoriz = true;
    h.sink.keepPictures = true;
    h.alignPass(dir / "i.avi");
    ASSERT_EQ(h.sink.pictures.size(), 2u);
    EXPECT_EQ(column(h.sink.pictures[0], 1), (std::vector<int>{2, 12, 22, 42}));
    EXPECT_EQ(column(h.sink.pictures[1], 1), (std::vector<int>{2, 12, 22, 42}));  // no even column inside

    Bitmap24 two(3, 2);
    two.pixel(0, 0)[0] = 8;
    interpolateField(two, 3, 2, false, 1);
    interpolateField(two, 3, 2, false, 2);
    EXPECT_EQ(two.pixel(0, 0)[0], 8);
    EXPECT_EQ(two.pixel(0, 1)[0], 0);
}

TEST(AviReader, PreviewGammaComesAfterTheFramesAreHandedOn) {
    TempDir dir;
    writeTagged(dir / "g.avi", 2, 64, {}, 1);  // the second frame is dropped: shown as it is
    GammaTableArray gamma;
    BuildGammaTable(gamma, 0.5f);
    for (const bool interlaced : {false, true}) {
        Fixture f;
        f.options.Pregamma = true;
        f.options.GammaTable = &gamma;
        f.options.interlaced = interlaced;
        f.alignPass(dir / "g.avi");
        EXPECT_EQ(f.sink.tags, std::vector<int>(interlaced ? 2 : 1, 64));
        EXPECT_EQ(f.preview.pixel(0, 0)[0], 128);  // Round(sqrt(Round(64 / 255 x 30000) / 30000) x 255)
    }
}

TEST(AviReader, CancelHaltAndTheSecondAlignment) {
    TempDir dir;
    writeTagged(dir / "a.avi", 100);
    writeTagged(dir / "b.avi", 100, 100);
    Fixture f;
    AviInput& input = f.input;
    input.open({(dir / "a.avi").string(), (dir / "b.avi").string()}, f.options, f.sink, f.progress);
    // Progress is polled every 100 div 25 = 4 frames; cancel at the poll of frame 40.
    f.progress.onPoll = [](NullProgress& p) {
        if (p.position() == 40) p.setCancelRequested(true);
    };
    f.options.InAlignPass = true;
    input.pass(f.options, f.sink, f.progress);
    EXPECT_EQ(f.sink.handed, range(0, 39));

    Fixture g;
    AviInput& second = g.input;
    second.open({(dir / "a.avi").string(), (dir / "b.avi").string()}, g.options, g.sink, g.progress);
    g.progress.onPoll = [&](NullProgress& p) { g.sink.halt = p.position() == 8; };
    g.sink.alignResult = false;  // a frame that does not align is aligned once more
    g.options.InAlignPass = true;
    second.pass(g.options, g.sink, g.progress);
    EXPECT_EQ(g.sink.handed, (std::vector<int>{0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7}));
}
