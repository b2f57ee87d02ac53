// The AVI writer and the registered and integrated videos, read back frame by frame by our own
// reader and by ffprobe and ffmpeg: plain and OpenDML files, odd widths, cut-outs against the
// frames and their shifts, cancel, the overwrite question, and the user's exclusions kept.

#include <gtest/gtest.h>

#include <random>

#include "frames/avi_reader.h"
#include "frames/input_sources.h"
#include "output/frame_avi.h"
#include "output_test_support.h"
#include "platform/avi_file.h"
#include "support/memory_frame_source.h"
#include "support/temp_dir.h"

using namespace kestrave;
using namespace kestrave::test;
namespace fs = std::filesystem;

namespace {

Bitmap24 noisePicture(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    Bitmap24 picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < 3 * width; ++x) picture.row(y)[x] = static_cast<std::uint8_t>(random());
    return picture;
}

bool samePixels(const Bitmap24& a, const Bitmap24& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        if (!std::equal(a.row(y), a.row(y) + 3 * a.width(), b.row(y))) return false;
    return true;
}

// Every frame of the file through the program's own AVI reader.
std::vector<Bitmap24> readWithOurReader(const fs::path& file) {
    Bitmap24 preview;
    TTIFFBitMap highBit;
    AviReader reader(preview, highBit);
    SingleFrameAviSink sink;
    NullProgress progress;
    std::vector<Bitmap24> frames;
    reader.ReadAVIFrames(file.string(), 0, {}, sink, progress);
    frames.push_back(preview);
    for (int k = 1; k < reader.state.AviFrameCount; ++k) {
        reader.ReadAVIFrames(file.string(), k, {}, sink, progress);
        frames.push_back(preview);
    }
    return frames;
}

// ffprobe's view of the stream, counting the frames it decodes.
std::string probe(const fs::path& file) {
    std::string output;
    runCommand(
        "/usr/bin/ffprobe -v error -count_frames -select_streams v:0 -show_entries "
        "stream=codec_name,pix_fmt,width,height,r_frame_rate,nb_read_frames -of default=nw=1 " +
            shellQuoted(file),
        output);
    return output;
}

std::string probeText(int width, int height, std::size_t frames) {
    return "codec_name=rawvideo\nwidth=" + std::to_string(width) + "\nheight=" + std::to_string(height) +
           "\npix_fmt=bgr24\nr_frame_rate=30/1\nnb_read_frames=" + std::to_string(frames) + "\n";
}

// Checks the file against the pictures with our reader, ffprobe and ffmpeg (which must decode
// it without a word).
void expectVideo(const fs::path& file, const std::vector<Bitmap24>& pictures) {
    const std::vector<Bitmap24> ours = readWithOurReader(file);
    ASSERT_EQ(ours.size(), pictures.size());
    for (std::size_t k = 0; k < pictures.size(); ++k)
        EXPECT_TRUE(samePixels(ours[k], pictures[k])) << "frame " << k;
    if (installedTool("ffprobe").empty()) GTEST_SKIP() << "ffmpeg is not installed";
    EXPECT_EQ(probe(file), probeText(pictures[0].width(), pictures[0].height(), pictures.size()));
    std::string output;
    const std::vector<std::uint8_t> decoded = decodeWithFfmpeg(file, "bgr24", output);
    EXPECT_EQ(output, "");
    std::vector<std::uint8_t> expected;
    for (const Bitmap24& p : pictures)
        for (int y = 0; y < p.height(); ++y)
            expected.insert(expected.end(), p.row(y), p.row(y) + 3 * p.width());
    EXPECT_TRUE(decoded == expected) << "ffmpeg decodes other pixels";
}

}  // namespace

TEST(AviWriter, FramesReadBackInPlainAndOpenDmlFiles) {
    struct Case {
        int width, height, frames;
        std::uint64_t riffLimit;
        AviIndexKind index;
    };
    // Width 101 pads its rows to 304 bytes; 150 000 bytes per RIFF chunk hold four 101 x 121 frames.
    for (const Case c : {Case{128, 96, 5, AviRiffLimit, AviIndexKind::Idx1},
                         Case{101, 121, 3, AviRiffLimit, AviIndexKind::Idx1},
                         Case{101, 121, 13, 150000, AviIndexKind::OpenDml}}) {
        SCOPED_TRACE(std::to_string(c.width) + " wide, limit " + std::to_string(c.riffLimit));
        TempDir dir;
        const fs::path file = dir / "video.avi";
        std::vector<Bitmap24> pictures;
        AviWriter writer(file, c.width, c.height, {c.riffLimit, c.frames});
        EXPECT_EQ(writer.frameBytes(), Bitmap24::strideFor(c.width) * c.height);
        for (int k = 0; k < c.frames; ++k) {
            pictures.push_back(noisePicture(c.width, c.height, 7 + k));
            writer.addFrame(pictures.back());
        }
        writer.finish();
        const AviFile avi = AviFile::open(file);
        EXPECT_EQ(avi.indexKind(), c.index);
        EXPECT_EQ(avi.riffCount(), c.index == AviIndexKind::OpenDml ? 4 : 1);
        expectVideo(file, pictures);
    }
}

TEST(AviWriter, RefusesFramesOfAnotherSizeAndLeavesNoFileUnfinished) {
    TempDir dir;
    const fs::path file = dir / "video.avi";
    writeBytes(file, std::vector<std::uint8_t>{1, 2, 3});
    {
        AviWriter writer(file, 32, 32);
        writer.addFrame(noisePicture(32, 32, 1));
        try {
            writer.addFrame(noisePicture(33, 32, 1));
            FAIL() << "a frame of another size was written";
        } catch (const AviWriteError& error) {
            EXPECT_STREQ(error.what(), "Failed to add frame to AVI");
        }
    }
    EXPECT_EQ(fileBytes(file), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    EXPECT_THROW(AviWriter(dir / "none" / "video.avi", 32, 32), AviWriteError);
    EXPECT_THROW(AviWriter(file, 0, 32), AviWriteError);
}

namespace {

constexpr int FrameW = 160;
constexpr int FrameH = 120;

// A recording of `count` frames ranked in reverse order, frame f shifted by a known amount and
// carrying noise of its own, so that every frame of a video tells where it came from.
struct Recording {
    FrameModel model;
    MemoryFrameSource source;
    std::vector<SlotShift> shifts;

    explicit Recording(int count) {
        model.FrameWidth = model.ImageWidth = FrameW;
        model.FrameHeight = model.ImageHeight = FrameH;
        model.FramesRanked = true;
        for (int f = 0; f < count; ++f) {
            const SlotShift s{(f * 7) % 23 - 11, (f * 5) % 17 - 8};
            shifts.push_back(s);
            model.FrameTable[f].Slots[0].X = s.X;
            model.FrameTable[f].Slots[0].Y = s.Y;
            model.FrameRanking[f].Frame = count - 1 - f;
            source.pictures.push_back(noisePicture(FrameW, FrameH, 100 + f));
        }
    }

    // The w x h cut-out of frame f at its shift plus (dx, dy), black outside the frame.
    Bitmap24 expectedCutOut(int f, int dx, int dy, int w, int h) const {
        Bitmap24 out(w, h);
        const Bitmap24& frame = source.pictures[f];
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int sx = x + shifts[f].X + dx, sy = y + shifts[f].Y + dy;
                if (sx >= 0 && sy >= 0 && sx < FrameW && sy < FrameH)
                    std::copy_n(frame.pixel(sx, sy), 3, out.pixel(x, y));
            }
        return out;
    }
};

struct Context {
    ScriptedMessages messages;
    bool masterFrameMode = false;
    SaveContext save{messages, masterFrameMode};
    NullProgress progress;
};

}  // namespace

TEST(RegisteredAvi, WritesTheListedFramesCutOutAtTheirShifts) {
    // 100 frames, 3 of them excluded.
    Recording rec(100);
    for (const int f : {3, 17, 64}) rec.model.FrameTable[f].Excluded = true;
    std::vector<int> listed;
    for (int f = 0; f < 100; ++f)
        if (f != 3 && f != 17 && f != 64) listed.push_back(f);

    // Alignment area: a 128 box around the feature, taller than the frame, so every cut-out
    // leaves the frame somewhere.
    RegisteredAviOptions options;
    options.lastRank = 99;
    options.FFTSize = 128;
    options.FeatureX = 70;
    options.FeatureY = 60;
    TempDir dir;
    Context c;
    AviResult result = writeRegisteredAvi(dir / "reg", rec.model, rec.source, options, c.save, c.progress);
    ASSERT_EQ(result.outcome, AviOutcome::Written);
    EXPECT_EQ(result.file, dir / "reg.avi");
    std::vector<Bitmap24> expected;
    for (const int f : listed) expected.push_back(rec.expectedCutOut(f, 70 - 64, 60 - 64, 128, 128));
    expectVideo(result.file, expected);

    // Maximum area: the part every listed frame covers, never black.
    options.size = RegisteredAviSize::MaximumArea;
    result = writeRegisteredAvi(dir / "max.avi", rec.model, rec.source, options, c.save, c.progress);
    int minX = 99, maxX = -99, minY = 99, maxY = -99;
    for (const int f : listed) {
        minX = std::min(minX, rec.shifts[f].X), maxX = std::max(maxX, rec.shifts[f].X);
        minY = std::min(minY, rec.shifts[f].Y), maxY = std::max(maxY, rec.shifts[f].Y);
    }
    expected.clear();
    for (const int f : listed)
        expected.push_back(
            rec.expectedCutOut(f, -minX, -minY, FrameW - (maxX - minX), FrameH - (maxY - minY)));
    expectVideo(result.file, expected);
    EXPECT_EQ(c.progress.status(3), "Avi written");
    for (const int f : {3, 17, 64}) EXPECT_TRUE(rec.model.FrameTable[f].Excluded);
}

TEST(RegisteredAvi, RefusesWhatItCannotWrite) {
    TempDir dir;
    Context c;
    Recording rec(5);
    RegisteredAviOptions options;
    options.lastRank = 4;
    options.size = RegisteredAviSize::MaximumArea;
    // Shifts wider than the frame leave no common area.
    rec.model.FrameTable[0].Slots[0].X = -100;
    rec.model.FrameTable[1].Slots[0].X = 100;
    EXPECT_EQ(writeRegisteredAvi(dir / "a.avi", rec.model, rec.source, options, c.save, c.progress).outcome,
              AviOutcome::NoArea);
    // Every frame excluded.
    for (int f = 0; f < 5; ++f) rec.model.FrameTable[f].Excluded = true;
    EXPECT_EQ(writeRegisteredAvi(dir / "a.avi", rec.model, rec.source, options, c.save, c.progress).outcome,
              AviOutcome::NoFrames);
    EXPECT_EQ(c.messages.shown.back().text, "No avi written, zero frames to stack");
    EXPECT_FALSE(fs::exists(dir / "a.avi"));

    // An existing file is replaced only after Yes.
    for (int f = 0; f < 5; ++f) rec.model.FrameTable[f].Excluded = false;
    options.size = RegisteredAviSize::AlignmentArea;
    writeBytes(dir / "a.avi", std::vector<std::uint8_t>{9});
    c.messages.answers = {mrNo};
    EXPECT_EQ(writeRegisteredAvi(dir / "a.avi", rec.model, rec.source, options, c.save, c.progress).outcome,
              AviOutcome::Declined);
    EXPECT_EQ(c.messages.shown.back().text, " overwrite existing file ?");
    EXPECT_EQ(fileBytes(dir / "a.avi"), std::vector<std::uint8_t>{9});
}

TEST(RegisteredAvi, CancelAndUnreadableFramesStillGiveAWholeFile) {
    Recording rec(40);
    rec.source.onRead = [](int frame) {
        if (frame == 2) throw FileError("Cannot read frame 2");
    };
    Context c;
    int polls = 0;
    c.progress.onPoll = [&polls](NullProgress& p) {
        if (++polls == 10) p.setCancelRequested(true);
    };
    RegisteredAviOptions options;
    options.lastRank = 39;
    options.FFTSize = 32;
    options.FeatureX = 80;
    options.FeatureY = 60;
    TempDir dir;
    const AviResult result =
        writeRegisteredAvi(dir / "c.avi", rec.model, rec.source, options, c.save, c.progress);
    EXPECT_EQ(result.outcome, AviOutcome::Cancelled);
    EXPECT_EQ(result.unreadable, std::vector<int>{2});
    EXPECT_NE(c.messages.shown.back().text.find(": 2"), std::string::npos);
    EXPECT_FALSE(c.progress.cancelRequested());
    std::vector<Bitmap24> expected;
    for (const int f : {0, 1, 3, 4, 5, 6, 7, 8, 9, 10})
        expected.push_back(rec.expectedCutOut(f, 64, 44, 32, 32));
    expectVideo(result.file, expected);
}

TEST(IntegratedAvi, StacksGroupsAndLeavesTheUsersStackAlone) {
    constexpr int Count = 20;
    // Flat grey frames of level 10 f without shifts: a stack of a group is the mean of its levels.
    Recording rec(Count);
    for (int f = 0; f < Count; ++f) {
        rec.model.FrameTable[f].Slots[0].X = rec.model.FrameTable[f].Slots[0].Y = 0;
        rec.source.pictures[f].fill(static_cast<std::uint8_t>(10 * f), static_cast<std::uint8_t>(10 * f),
                                    static_cast<std::uint8_t>(10 * f));
    }
    rec.model.FrameTable[4].Excluded = rec.model.FrameTable[11].Excluded = true;
    ProgramState state;
    state.progstatus = TProgStatus::psAligned;
    ImageDataSection section;
    section.DarkPlanes[0] = T2dArrays(2, 2);
    struct Case {
        IntegrationMethod method;
        std::vector<double> levels;
    };
    std::vector<double> moving, compressed;
    for (int c = 2; c < Count - 2; ++c) moving.push_back(10.0 * c);
    for (int g = 0; g < 4; ++g) compressed.push_back(10.0 * (5 * g + 2));
    for (const Case& k :
         {Case{IntegrationMethod::MovingAverage, moving}, Case{IntegrationMethod::Compressed, compressed}}) {
        TempDir dir;
        Context c;
        IntegratedAviOptions options;
        options.method = k.method;
        options.lastRank = Count - 1;
        options.stack.Histostretch = false;
        const AviResult result = writeIntegratedAvi(dir / "i.avi", rec.model, state, section, rec.source,
                                                    options, c.save, c.progress);
        ASSERT_EQ(result.outcome, AviOutcome::Written);
        const std::vector<Bitmap24> frames = readWithOurReader(result.file);
        ASSERT_EQ(frames.size(), k.levels.size());
        EXPECT_EQ(probe(result.file), probeText(FrameW, FrameH, k.levels.size()));
        for (std::size_t i = 0; i < frames.size(); ++i)
            EXPECT_NEAR(frames[i].pixel(FrameW / 2, FrameH / 2)[1], k.levels[i], 1.0) << "frame " << i;
        // The user's exclusions, image size, planes and state are as they were.
        for (int f = 0; f < Count; ++f) EXPECT_EQ(rec.model.FrameTable[f].Excluded, f == 4 || f == 11);
        EXPECT_EQ(state.progstatus, TProgStatus::psAligned);
        EXPECT_EQ(section.AllocWidth, 0);
        EXPECT_EQ(section.DarkPlanes[0].xCount(), 2);
    }
    EXPECT_EQ(integrationGroups(3, 5, IntegrationMethod::MovingAverage).size(), 0u);
    EXPECT_EQ(integrationGroups(11, 5, IntegrationMethod::Compressed).back().first, 10);
}
