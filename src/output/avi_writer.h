#pragma once
// Our own writer of uncompressed AVI videos: one video stream of 24-bit frames (bottom-up B, G, R
// rows padded to four bytes) at 30 frames per second, every frame a key frame.
//
// A video that stays below the size limit is an AVI 1.0 file:
//   RIFF 'AVI ' { LIST 'hdrl' { avih, LIST 'strl' { strh, strf, JUNK }, JUNK },
//                 LIST 'movi' { 00db ... }, idx1 }
// A larger one continues in further RIFF 'AVIX' chunks of at most the limit each (OpenDML): every
// RIFF's movi list ends with its standard index 'ix00', the first JUNK of the header becomes the
// super index 'indx' that points at them and the second the LIST 'odml' whose 'dmlh' holds the
// total frame count; idx1 then covers the first RIFF only, as readers of AVI 1.0 expect.
//
// The file is written under a temporary name and renamed over the target by finish(), so a file
// that was not finished never replaces anything; sizes and counts are filled in at the end.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "output/avi_writer_layout.h"
#include "platform/bitmap24.h"
#include "platform/errors.h"

namespace kestrave {

class SafeFileWriter;

// The writer's messages, shown to the user as they stand.
struct AviWriterMessages {
    static constexpr char CreateFile[] = "Failed to create AVI file";
    static constexpr char SetFormat[] = "Failed to set AVI stream format";
    static constexpr char AddFrame[] = "Failed to add frame to AVI";
};

class AviWriteError : public FileError {
public:
    using FileError::FileError;
};

class AviWriter {
public:
    // Starts the file for frames of width x height pixels. Throws AviWriteError: SetFormat for
    // a size no bitmap header can describe, CreateFile when the file cannot be created.
    AviWriter(const std::filesystem::path& target, int width, int height, const AviWriterLayout& layout = {});
    ~AviWriter();
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    // Appends a frame; throws AviWriteError(AddFrame) for a frame of another size than the
    // stream's, past the frame capacity, or when the write fails (the file is then unusable).
    void addFrame(const Bitmap24& frame);
    // Writes the indexes and the counts and renames the file over the target. Throws
    // AviWriteError(AddFrame) when that fails; the target is then left as it was.
    void finish();

    int frameCount() const { return total_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Bytes of one frame's picture: the padded row size times the height.
    std::uint32_t frameBytes() const { return frameBytes_; }

private:
    struct Entry {
        std::uint64_t chunk = 0;  // offset of the chunk header
    };
    struct SuperEntry {
        std::uint64_t offset = 0;  // of the ix00 chunk
        std::uint32_t size = 0;    // of the ix00 chunk with its header
        std::uint32_t frames = 0;
    };
    void writeHeaders();
    void startRiff(bool first);
    // Ends the current RIFF chunk; `openDml`: with its standard index.
    void closeRiff(bool openDml);
    // Bytes the current RIFF would take with `frames` frames once closed.
    std::uint64_t closedRiffSize(std::uint64_t end, std::size_t frames) const;
    void put(const std::vector<std::uint8_t>& bytes);
    void patch32(std::uint64_t at, std::uint32_t value);

    std::unique_ptr<SafeFileWriter> file_;
    int width_ = 0;
    int height_ = 0;
    std::uint32_t frameBytes_ = 0;
    AviWriterLayout layout_;
    std::size_t superCapacity_ = 0;

    // Header fields filled in at the end.
    std::uint64_t avihAt_ = 0;
    std::uint64_t strhAt_ = 0;
    std::uint64_t superIndexAt_ = 0;  // the JUNK chunk reserved for indx
    std::uint64_t odmlAt_ = 0;        // the JUNK chunk reserved for LIST odml

    std::uint64_t riffAt_ = 0;
    std::uint64_t moviAt_ = 0;
    std::vector<Entry> riffFrames_;
    int firstRiffFrames_ = 0;
    bool inFirstRiff_ = true;
    std::vector<SuperEntry> superIndex_;
    int total_ = 0;
    std::vector<std::uint8_t> chunk_;
    bool finished_ = false;
};

}  // namespace kestrave
