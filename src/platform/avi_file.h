#pragma once
// Our own reader of AVI files in place of the platform's video file interface: the RIFF
// structure of AVI 1.0 (with its "idx1" index) and of OpenDML files larger than 1 GiB ("indx"
// super index pointing at "ix##" standard indexes, further "RIFF AVIX" chunks), and a scan of the
// "movi" lists when a file has no usable index. Only the first video stream is read.
//
// Every size and offset taken from the file is checked against the file before it is used: a
// truncated or hostile file gives one of the messages below, never a read outside the file, an
// endless loop or an allocation larger than the file warrants.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/riff_file.h"

namespace kestrave {

// The messages of the AVI reader, shown to the user as they stand.
struct AviMessages {
    static constexpr char OpenFile[] = "Failed to open AVI file";
    static constexpr char OpenStream[] = "Failed to open AVI stream";
    static constexpr char StreamInfo[] = "Failed to get AVI stream info";
    static constexpr char FormatSize[] = "Failed to get AVI stream format size";
    static constexpr char Format[] = "Failed to get AVI stream format";
    static constexpr char StartDecompression[] = "Failed to start AVI decompression";
    static constexpr char FrameNumber[] = " Frame number wrong. ";
    static constexpr char ReadFrame[] = "Failed to read AVI frame";
    static constexpr char Decompress[] = "Failed to decompress AVI frame";
};

class AviError : public FileError {
public:
    using FileError::FileError;
};

// The stream header of the video stream ("strh"), the fields of the stream information record.
struct AviStreamInfoRecord {
    FourCC fccType = 0;
    FourCC fccHandler = 0;
    std::uint32_t dwFlags = 0;
    std::uint32_t dwScale = 0;
    std::uint32_t dwRate = 0;
    std::uint32_t dwStart = 0;
    std::uint32_t dwLength = 0;
    std::uint32_t dwSuggestedBufferSize = 0;
};

// The first 40 bytes of the stream format: a BITMAPINFOHEADER.
struct BitmapInfoHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;  // negative: rows stored top row first
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    FourCC biCompression = 0;  // 0: uncompressed (BI_RGB)
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;

    static constexpr std::size_t Size = 40;
    static BitmapInfoHeader parse(const std::uint8_t* bytes);
    int width() const { return biWidth; }
    // The height without its orientation sign.
    int height() const { return biHeight < 0 ? -biHeight : biHeight; }
    bool topDown() const { return biHeight < 0; }
};

// Frames larger than this are taken for a damaged header rather than allocated.
inline constexpr int AviMaxFrameSide = 32768;
inline constexpr std::int64_t AviMaxFramePixels = std::int64_t{1} << 26;

enum class AviIndexKind { Idx1, OpenDml, Scan };

class AviFile {
public:
    // Samples beyond this count are treated as absent (the program reads at most 10001 frames).
    static constexpr std::size_t MaxIndexedSamples = std::size_t{1} << 20;

    // Opens the file and reads its headers and index; throws AviError with the message that
    // names the step that failed.
    static AviFile open(const std::filesystem::path& path);

    const std::filesystem::path& path() const { return path_; }
    std::uint64_t fileSize() const { return file_.size(); }
    const AviStreamInfoRecord& streamInfo() const { return info_; }
    // The whole stream format as stored ("strf"), at most 64 KiB of it.
    const std::vector<std::uint8_t>& format() const { return format_; }
    const BitmapInfoHeader& bitmapInfo() const { return header_; }
    // The colour table after the header: blue, green, red, 0 per entry; empty when absent.
    std::span<const std::uint8_t> colorTable() const;
    // Number of the video stream among the streams of the file ("00dc", "01db", ...).
    int streamNumber() const { return streamNumber_; }
    AviIndexKind indexKind() const { return indexKind_; }
    // Number of "RIFF" chunks (1 for AVI 1.0, more for OpenDML files).
    int riffCount() const { return riffCount_; }
    std::size_t indexedSampleCount() const { return samples_.size(); }

    // Size of sample n (numbered as the stream header numbers them, from dwStart on); 0 for an
    // empty (dropped) sample and for one that the index does not hold.
    std::uint32_t sampleSize(std::int64_t n) const;
    // Reads the first min(size, maxBytes) bytes of sample n into `buffer` (resized to that);
    // throws AviError(ReadFrame) when the sample reaches beyond the end of the file.
    void readSample(std::int64_t n, std::vector<std::uint8_t>& buffer, std::size_t maxBytes = SIZE_MAX) const;

    struct Sample {
        std::uint64_t offset = 0;  // of the data
        std::uint32_t size = 0;
    };

private:
    AviFile(std::filesystem::path path, RiffFile file) : path_(std::move(path)), file_(std::move(file)) {}
    friend class AviParser;

    std::filesystem::path path_;
    RiffFile file_;
    AviStreamInfoRecord info_;
    BitmapInfoHeader header_;
    std::vector<std::uint8_t> format_;
    int streamNumber_ = 0;
    int riffCount_ = 1;
    AviIndexKind indexKind_ = AviIndexKind::Scan;
    std::vector<Sample> samples_;
};

}  // namespace kestrave
