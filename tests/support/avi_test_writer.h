#pragma once
// A small AVI writer for tests, independent of the program's reader: AVI 1.0 files with an
// "idx1" index (offsets from the "movi" list or from the file start), files without any index,
// and OpenDML files whose frames spread over several RIFF chunks ("AVIX") with an "indx" super
// index and one "ix00" standard index per chunk. Frames are given one by one; an empty frame is
// written as an empty chunk (a dropped frame).

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrave::test {

struct AviTestFormat {
    std::string handler = "DIB ";  // fccHandler of the stream header, four characters
    std::string compression;       // biCompression: empty for uncompressed, else four characters
    int width = 0;
    int height = 0;  // negative: rows stored top row first
    int bitCount = 8;
    std::vector<std::uint8_t> colorTable;  // blue, green, red, 0 per entry
};

enum class AviTestIndex { Idx1, Idx1Absolute, None, OpenDml };

struct AviTestLayout {
    AviTestIndex index = AviTestIndex::Idx1;
    // OpenDML: frames per RIFF chunk; a new "RIFF AVIX" starts after that many.
    int framesPerRiff = 1 << 30;
    // An audio stream listed before the video (which becomes stream 01), with a small audio
    // chunk after every frame.
    bool audioStream = false;
    // Every frame (and its audio) inside a "LIST rec ".
    bool recLists = false;
    std::optional<std::uint32_t> length;  // dwLength; the number of frames when not given
    std::uint32_t start = 0;              // dwStart
};

class AviTestWriter {
public:
    AviTestWriter(const std::filesystem::path& path, AviTestFormat format, AviTestLayout layout = {});
    void addFrame(std::span<const std::uint8_t> data);
    // Writes the indexes and the sizes; the file is complete afterwards.
    void finish();

private:
    struct Entry {
        std::uint64_t chunk = 0;  // offset of the chunk header
        std::uint32_t size = 0;
    };
    std::uint64_t pos();
    void put32(std::uint32_t v);
    void put16(std::uint16_t v);
    void putCode(const std::string& code);
    void patch32(std::uint64_t at, std::uint32_t v);
    void patch64(std::uint64_t at, std::uint64_t v);
    // Starts a chunk (or list) and returns the offset of its size field.
    std::uint64_t begin(const std::string& code, const std::string& listType = "");
    void end(std::uint64_t sizeField);
    void writeHeaders();
    void startRiff(const std::string& type);
    void closeRiff();

    std::ofstream out_;
    AviTestFormat format_;
    AviTestLayout layout_;
    std::string frameCode_;
    std::uint64_t riffSize_ = 0, moviSize_ = 0, moviCode_ = 0;
    std::uint64_t totalFramesField_ = 0, lengthField_ = 0, bufferField_ = 0, superIndex_ = 0, odmlFrames_ = 0;
    std::vector<Entry> riffEntries_, firstRiffEntries_;
    std::vector<std::uint64_t> audioChunks_;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> ixChunks_;  // offset, frames
    int frames_ = 0;
    int riffs_ = 0;
    std::uint32_t largest_ = 0;
    bool finished_ = false;
};

// Writes a whole file at once.
void writeTestAvi(const std::filesystem::path& path, const AviTestFormat& format,
                  const std::vector<std::vector<std::uint8_t>>& frames, const AviTestLayout& layout = {});

}  // namespace kestrave::test
