// Damaged and hostile AVI files: seeded truncations, bit flips and overwritten size fields of
// files of every index kind and frame format. Whatever the damage, the reader either reads or
// gives one of its messages; it never reads outside its buffers (the sanitizer build checks
// that), never hangs and never throws anything else.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <utility>

#include "frames/avi_reader.h"
#include "frames/avi_test_jpeg.h"
#include "frames/avi_test_sink.h"
#include "platform/safe_file.h"
#include "support/avi_test_writer.h"
#include "support/temp_dir.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

std::vector<std::uint8_t> pattern(std::size_t size, int seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed * 31 + i * 7);
    return bytes;
}

// The sample files: one per index kind, between them every decoder.
std::vector<std::vector<std::uint8_t>> sampleFiles(const TempDir& dir) {
    std::vector<std::filesystem::path> paths;
    auto add = [&](const AviTestFormat& format, const std::vector<std::vector<std::uint8_t>>& frames,
                   const AviTestLayout& layout) {
        paths.push_back(dir / ("sample" + std::to_string(paths.size()) + ".avi"));
        writeTestAvi(paths.back(), format, frames, layout);
    };
    AviTestFormat y800;
    y800.handler = y800.compression = "Y800";
    y800.width = 8;
    y800.height = 6;
    AviTestLayout audio;
    audio.audioStream = true;
    add(y800, {pattern(48, 1), pattern(48, 2), {}, pattern(48, 3)}, audio);

    AviTestFormat k3cc;
    k3cc.handler = "K3CC";
    k3cc.width = 5;
    k3cc.height = 3;
    k3cc.bitCount = 12;
    AviTestLayout openDml;
    openDml.index = AviTestIndex::OpenDml;
    openDml.framesPerRiff = 2;
    add(k3cc, {pattern(24, 1), pattern(24, 2), pattern(24, 3), pattern(24, 4), pattern(24, 5)}, openDml);

    AviTestFormat mjpg;
    mjpg.handler = mjpg.compression = "MJPG";
    mjpg.width = 16;
    mjpg.height = 8;
    mjpg.bitCount = 24;
    AviTestLayout scan;
    scan.index = AviTestIndex::None;
    scan.recLists = true;
    const auto picture = encodeJpeg(16, 8, 3, pattern(16 * 8 * 3, 4));
    add(mjpg, {picture, picture}, scan);

    AviTestFormat palette;
    palette.width = 7;
    palette.height = 5;
    palette.colorTable = pattern(64, 5);
    AviTestLayout absolute;
    absolute.index = AviTestIndex::Idx1Absolute;
    add(palette, {pattern(40, 1), pattern(40, 2)}, absolute);

    AviTestFormat wide = palette;
    wide.bitCount = 48;
    wide.handler = "K3CC";
    wide.colorTable.clear();
    add(wide, {pattern(7 * 6 * 5 + 3, 1)}, {});

    std::vector<std::vector<std::uint8_t>> files;
    for (const auto& path : paths) files.push_back(readWholeFile(path));
    return files;
}

void damage(std::vector<std::uint8_t>& bytes, std::mt19937& random) {
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    switch (pick(3)) {
        case 0:
            bytes.resize(pick(bytes.size()));
            break;
        case 1:
            for (std::size_t k = 1 + pick(12); k > 0; --k)
                bytes[pick(bytes.size())] ^= static_cast<std::uint8_t>(1u << pick(8));
            break;
        default: {
            // A size or offset field gets a value that reaches far or not at all.
            static constexpr std::uint32_t values[] = {0,           1,           3,          0x7fffffffu,
                                                       0x80000000u, 0xfffffff0u, 0xffffffffu};
            const std::uint32_t v =
                values[pick(std::size(values))] + (pick(2) ? static_cast<std::uint32_t>(bytes.size()) : 0);
            const std::size_t at = pick(bytes.size() - 3) & ~std::size_t{3};
            for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
            break;
        }
    }
}

// Reads the file in every way the program does; only the reader's own messages may come out.
void readEverything(const std::filesystem::path& path, FrameModel& model) {
    Bitmap24 preview;
    TTIFFBitMap high;
    AviReader reader(preview, high);
    RecordingSink sink(model, preview);
    NullProgress progress;
    AviReadOptions options;
    auto attempt = [&](auto&& step) {
        try {
            step();
        } catch (const AviError&) {
        }
    };
    attempt([&] { reader.ReadAVIFrames(path.string(), 0, options, sink, progress); });
    attempt([&] {
        options.InAlignPass = true;
        options.interlaced = true;
        reader.ReadAVIFrames(path.string(), -1, options, sink, progress);
        options = {};
    });
    for (int index : {1, 3, 4})
        attempt([&] { reader.ReadAVIFrames(path.string(), index, options, sink, progress); });
    attempt([&] {
        options.DebayerEnabled = true;
        reader.ReadAVIFrames(path.string(), 2, options, sink, progress);
    });
}

// The rounds [first, last) of the 1,500 that this run reads: by default the first 100, a quick
// check; the long run (ctest label "long") names shards of the rest in KESTRAVE_AVI_FUZZ_ROUNDS
// as "first:last". Every round damages the files the same way whichever rounds are read.
std::pair<int, int> roundsToRead() {
    const char* range = std::getenv("KESTRAVE_AVI_FUZZ_ROUNDS");
    int first = 0, last = 100;
    if (range && std::sscanf(range, "%d:%d", &first, &last) != 2)
        ADD_FAILURE() << "bad round range " << range;
    return {first, last};
}

}  // namespace

TEST(AviFuzz, DamagedFilesGiveMessagesNeverFaults) {
    TempDir dir;
    FrameModel model;
    const auto samples = sampleFiles(dir);
    for (std::size_t s = 0; s < samples.size(); ++s)
        readEverything(dir / ("sample" + std::to_string(s) + ".avi"), model);
    std::mt19937 random(20240607);
    const auto path = dir / "damaged.avi";
    const auto [first, last] = roundsToRead();
    for (int round = 0; round < last; ++round) {
        for (const auto& sample : samples) {
            auto bytes = sample;
            damage(bytes, random);
            if (round < first) continue;
            std::ofstream(path, std::ios::binary | std::ios::trunc)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
            ASSERT_NO_FATAL_FAILURE(readEverything(path, model)) << round;
        }
    }
}
