// The RIFF/AVI container: the three ways to find the frames (idx1, OpenDML indexes, a scan of
// "movi"), the stream headers, dropped frames, and the messages for damaged files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "platform/avi_file.h"
#include "platform/safe_file.h"
#include "support/avi_test_writer.h"
#include "support/temp_dir.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

// Frame k holds `size` bytes counting up from k * 7.
std::vector<std::uint8_t> frameBytes(int k, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(k * 7 + i);
    return bytes;
}

std::vector<std::vector<std::uint8_t>> frames(int count, std::size_t size) {
    std::vector<std::vector<std::uint8_t>> result;
    for (int k = 0; k < count; ++k) result.push_back(frameBytes(k, size));
    return result;
}

AviTestFormat grey(int width, int height) {
    AviTestFormat format;
    format.handler = "Y800";
    format.compression = "Y800";
    format.width = width;
    format.height = height;
    format.bitCount = 8;
    return format;
}

void expectFrames(const AviFile& avi, int count, std::size_t size) {
    std::vector<std::uint8_t> buffer;
    for (int k = 0; k < count; ++k) {
        ASSERT_EQ(avi.sampleSize(k), size) << k;
        avi.readSample(k, buffer);
        EXPECT_EQ(buffer, frameBytes(k, size)) << k;
    }
    EXPECT_EQ(avi.sampleSize(count), 0u);
    EXPECT_EQ(avi.sampleSize(-1), 0u);
}

std::size_t find(const std::vector<std::uint8_t>& bytes, const char* code, std::size_t from = 0) {
    const auto it =
        std::search(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(), code, code + 4);
    EXPECT_NE(it, bytes.end()) << code;
    return static_cast<std::size_t>(it - bytes.begin());
}

void put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void save(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string openError(const std::filesystem::path& path) {
    try {
        AviFile::open(path);
    } catch (const AviError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(AviFile, ReadsHeadersAndFramesThroughEveryKindOfIndex) {
    TempDir dir;
    struct Case {
        AviTestLayout layout;
        AviIndexKind kind;
        int stream;
    };
    AviTestLayout absolute, none, interleaved, openDml;
    absolute.index = AviTestIndex::Idx1Absolute;
    none.index = AviTestIndex::None;
    interleaved.index = AviTestIndex::None;
    interleaved.audioStream = interleaved.recLists = true;
    openDml.index = AviTestIndex::OpenDml;
    openDml.framesPerRiff = 3;
    AviTestLayout audioIdx1;
    audioIdx1.audioStream = true;
    const Case cases[] = {{{}, AviIndexKind::Idx1, 0},          {absolute, AviIndexKind::Idx1, 0},
                          {audioIdx1, AviIndexKind::Idx1, 1},   {none, AviIndexKind::Scan, 0},
                          {interleaved, AviIndexKind::Scan, 1}, {openDml, AviIndexKind::OpenDml, 0}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        const auto path = dir / ("f" + std::to_string(n++) + ".avi");
        // 15 bytes a frame: odd sizes exercise the chunk padding.
        writeTestAvi(path, grey(5, 3), frames(8, 15), c.layout);
        const AviFile avi = AviFile::open(path);
        EXPECT_EQ(avi.indexKind(), c.kind);
        EXPECT_EQ(avi.streamNumber(), c.stream);
        EXPECT_EQ(avi.riffCount(), c.layout.index == AviTestIndex::OpenDml ? 3 : 1);
        EXPECT_EQ(FourCCToString(avi.streamInfo().fccType), "vids");
        EXPECT_EQ(FourCCToString(avi.streamInfo().fccHandler), "Y800");
        EXPECT_EQ(avi.streamInfo().dwLength, 8u);
        EXPECT_EQ(avi.streamInfo().dwSuggestedBufferSize, 15u);
        EXPECT_EQ(avi.bitmapInfo().width(), 5);
        EXPECT_EQ(avi.bitmapInfo().height(), 3);
        EXPECT_EQ(avi.bitmapInfo().biCompression, makeFourCC("Y800"));
        EXPECT_EQ(avi.format().size(), 40u);
        expectFrames(avi, 8, 15);
    }
}

TEST(AviFile, SamplesCountFromTheStreamStartAndEmptyChunksAreDropped) {
    TempDir dir;
    AviTestLayout layout;
    layout.start = 4;
    auto content = frames(5, 6);
    content[2].clear();
    AviTestFormat format = grey(3, 2);
    format.colorTable = {1, 2, 3, 0, 4, 5, 6, 0};
    writeTestAvi(dir / "a.avi", format, content, layout);
    const AviFile avi = AviFile::open(dir / "a.avi");
    EXPECT_EQ(avi.streamInfo().dwStart, 4u);
    EXPECT_EQ(avi.sampleSize(3), 0u);
    EXPECT_EQ(avi.sampleSize(4), 6u);
    EXPECT_EQ(avi.sampleSize(6), 0u);
    std::vector<std::uint8_t> buffer{1, 2};
    avi.readSample(6, buffer);
    EXPECT_TRUE(buffer.empty());
    avi.readSample(8, buffer, 4);
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(frameBytes(4, 4)));
    ASSERT_EQ(avi.colorTable().size(), 8u);
    EXPECT_EQ(avi.colorTable()[4], 4);
}

TEST(AviFile, OpenDmlFallsBackToAScanWhenAStandardIndexIsDamaged) {
    TempDir dir;
    AviTestLayout layout;
    layout.index = AviTestIndex::OpenDml;
    layout.framesPerRiff = 4;
    writeTestAvi(dir / "a.avi", grey(4, 2), frames(10, 8), layout);
    auto bytes = readWholeFile(dir / "a.avi");
    const std::size_t second = find(bytes, "ix00", find(bytes, "ix00") + 4);
    bytes[second + 11] = 0;  // the index type of the second standard index
    save(dir / "b.avi", bytes);
    const AviFile avi = AviFile::open(dir / "b.avi");
    EXPECT_EQ(avi.indexKind(), AviIndexKind::Scan);
    expectFrames(avi, 10, 8);
}

TEST(AviFile, UnfinishedRecordingsAreScannedToTheirEnd) {
    TempDir dir;
    AviTestLayout layout;
    layout.index = AviTestIndex::None;
    writeTestAvi(dir / "a.avi", grey(4, 2), frames(6, 8), layout);
    auto bytes = readWholeFile(dir / "a.avi");
    put32(bytes, 4, 0);                        // RIFF size never written
    put32(bytes, find(bytes, "movi") - 4, 0);  // nor the size of the movi list
    // The last frame is cut in half.
    bytes.resize(bytes.size() - 4);
    save(dir / "b.avi", bytes);
    const AviFile avi = AviFile::open(dir / "b.avi");
    EXPECT_EQ(avi.indexedSampleCount(), 5u);
    expectFrames(avi, 5, 8);
}

TEST(AviFile, DamagedFilesGiveTheMessageOfTheFailedStep) {
    TempDir dir;
    writeTestAvi(dir / "good.avi", grey(4, 2), frames(3, 8));
    const auto good = readWholeFile(dir / "good.avi");
    auto variant = [&](const std::string& name, auto change) {
        auto bytes = good;
        change(bytes);
        save(dir / name, bytes);
        return openError(dir / name);
    };
    EXPECT_EQ(openError(dir / "missing.avi"), "Failed to open AVI file");
    EXPECT_EQ(openError(dir.path()), "Failed to open AVI file");
    EXPECT_EQ(variant("wave.avi", [](auto& b) { std::memcpy(&b[8], "WAVE", 4); }), "Failed to open AVI file");
    EXPECT_EQ(variant("empty.avi", [](auto& b) { b.clear(); }), "Failed to open AVI file");
    EXPECT_EQ(variant("auds.avi", [](auto& b) { std::memcpy(&b[find(b, "vids")], "auds", 4); }),
              "Failed to open AVI stream");
    EXPECT_EQ(variant("nohdrl.avi", [](auto& b) { std::memcpy(&b[find(b, "hdrl")], "hdrX", 4); }),
              "Failed to open AVI stream");
    EXPECT_EQ(variant("strh.avi", [](auto& b) { put32(b, find(b, "strh") + 4, 20); }),
              "Failed to get AVI stream info");
    EXPECT_EQ(variant("nostrf.avi", [](auto& b) { std::memcpy(&b[find(b, "strf")], "strX", 4); }),
              "Failed to get AVI stream format size");
    EXPECT_EQ(variant("strf.avi", [](auto& b) { put32(b, find(b, "strf") + 4, 30); }),
              "Failed to get AVI stream format");
    for (const std::uint32_t width : {0u, 0x80000000u, 40000u}) {
        EXPECT_EQ(variant("wide.avi", [&](auto& b) { put32(b, find(b, "strf") + 12, width); }),
                  "Failed to get AVI stream format")
            << width;
    }
    EXPECT_EQ(variant("tall.avi", [](auto& b) { put32(b, find(b, "strf") + 16, 0x80000000u); }),
              "Failed to get AVI stream format");

    // A frame whose index entry reaches past the end of the file cannot be read, however large
    // the entry claims it is.
    auto bytes = good;
    const std::size_t index = find(bytes, "idx1");
    put32(bytes, index + 8 + 16 + 12, 0xfffffff0u);
    put32(bytes, index + 8 + 32 + 8, 0x7ffffff0u);
    save(dir / "entries.avi", bytes);
    const AviFile avi = AviFile::open(dir / "entries.avi");
    std::vector<std::uint8_t> buffer;
    avi.readSample(0, buffer);
    EXPECT_EQ(buffer, frameBytes(0, 8));
    for (int k : {1, 2}) {
        try {
            avi.readSample(k, buffer);
            ADD_FAILURE() << k;
        } catch (const AviError& e) {
            EXPECT_STREQ(e.what(), "Failed to read AVI frame");
        }
    }
}

TEST(AviFile, FourCCTextShowsUnprintableBytesAsBlanks) {
    EXPECT_EQ(FourCCToString(makeFourCC("MJPG")), "MJPG");
    EXPECT_EQ(FourCCToString(0), "    ");
    EXPECT_EQ(FourCCToString(0x0a004241u), "AB  ");
}
