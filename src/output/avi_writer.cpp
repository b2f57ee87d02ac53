#include "output/avi_writer.h"

#include <algorithm>
#include <cstring>

#include "platform/avi_file.h"
#include "platform/riff_file.h"
#include "platform/safe_file.h"

namespace kestrave {

namespace {

constexpr std::uint32_t MicroSecondsPerFrame = 33333;
constexpr std::uint32_t FramesPerSecond = 30;
constexpr std::uint32_t AvifHasIndex = 0x10;
constexpr std::uint32_t AviifKeyframe = 0x10;
constexpr std::size_t MainHeaderBytes = 56;
constexpr std::size_t StreamHeaderBytes = 56;
constexpr std::size_t Idx1EntryBytes = 16;
// A standard index: its header after the chunk header, and one entry (offset, size) per frame.
constexpr std::size_t StandardIndexHeader = 24;
constexpr std::size_t StandardIndexEntry = 8;
// The super index: its header and one entry (offset, size, duration) per standard index.
constexpr std::size_t SuperIndexHeader = 24;
constexpr std::size_t SuperIndexEntry = 16;
// LIST 'odml' holding 'dmlh': the list type, the chunk header and the 248 bytes of dmlh.
constexpr std::uint32_t DmlhBytes = 248;
constexpr std::uint32_t OdmlListBytes = 4 + 8 + DmlhBytes;
// Room for a RIFF chunk's own headers (RIFF, movi list, standard index header) in the estimate of
// how many frames one holds.
constexpr std::uint64_t RiffOverhead = 64;

constexpr FourCC FrameCode = makeFourCC("00db");

// Little-endian bytes appended to a buffer.
struct Bytes {
    std::vector<std::uint8_t> data;
    void u8(std::uint8_t v) { data.push_back(v); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    void u64(std::uint64_t v) {
        u32(static_cast<std::uint32_t>(v));
        u32(static_cast<std::uint32_t>(v >> 32));
    }
    void code(FourCC c) { u32(c); }
    void zeros(std::size_t n) { data.insert(data.end(), n, 0); }
    std::size_t size() const { return data.size(); }
};

std::uint32_t size32(std::uint64_t v) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, UINT32_MAX));
}

}  // namespace

AviWriter::AviWriter(const std::filesystem::path& target, int width, int height,
                     const AviWriterLayout& layout)
    : width_(width), height_(height), layout_(layout) {
    if (width < 1 || height < 1 || width >= AviMaxFrameSide || height >= AviMaxFrameSide ||
        std::int64_t{width} * height > AviMaxFramePixels)
        throw AviWriteError(AviWriterMessages::SetFormat);
    frameBytes_ = static_cast<std::uint32_t>(Bitmap24::strideFor(width) * static_cast<std::size_t>(height));
    layout_.frameCapacity = std::max(layout_.frameCapacity, 1);
    layout_.riffLimit = std::max<std::uint64_t>(layout_.riffLimit, 1);
    // One super index entry per RIFF chunk the frames can fill, with room for a first chunk made
    // smaller by the headers.
    const std::uint64_t perFrame = 8 + std::uint64_t{frameBytes_} + Idx1EntryBytes + StandardIndexEntry;
    const std::uint64_t framesPerRiff = std::max<std::uint64_t>(
        1, layout_.riffLimit > RiffOverhead ? (layout_.riffLimit - RiffOverhead) / perFrame : 1);
    const std::uint64_t capacity = static_cast<std::uint64_t>(layout_.frameCapacity);
    superCapacity_ =
        static_cast<std::size_t>(std::min(capacity, (capacity + framesPerRiff - 1) / framesPerRiff + 2));
    try {
        file_ = std::make_unique<SafeFileWriter>(target);
        writeHeaders();
    } catch (const FileError&) {
        throw AviWriteError(AviWriterMessages::CreateFile);
    }
}

AviWriter::~AviWriter() = default;

void AviWriter::put(const std::vector<std::uint8_t>& bytes) {
    file_->write(bytes.data(), bytes.size());
}

void AviWriter::patch32(std::uint64_t at, std::uint32_t value) {
    Bytes b;
    b.u32(value);
    file_->writeAt(at, b.data.data(), b.size());
}

void AviWriter::writeHeaders() {
    const std::uint32_t superBytes =
        static_cast<std::uint32_t>(SuperIndexHeader + SuperIndexEntry * superCapacity_);
    const std::uint32_t strlBytes =
        4 + (8 + StreamHeaderBytes) + (8 + BitmapInfoHeader::Size) + (8 + superBytes);
    const std::uint32_t hdrlBytes = 4 + (8 + MainHeaderBytes) + (8 + strlBytes) + (8 + OdmlListBytes);
    const auto w = static_cast<std::uint32_t>(width_);
    const auto h = static_cast<std::uint32_t>(height_);
    Bytes b;
    b.code(makeFourCC("RIFF"));
    b.u32(0);
    b.code(makeFourCC("AVI "));
    b.code(makeFourCC("LIST"));
    b.u32(hdrlBytes);
    b.code(makeFourCC("hdrl"));

    b.code(makeFourCC("avih"));
    b.u32(MainHeaderBytes);
    avihAt_ = b.size();
    b.u32(MicroSecondsPerFrame);
    b.u32(size32(std::uint64_t{frameBytes_} * FramesPerSecond));  // largest data rate
    b.u32(0);                                                     // padding granularity
    b.u32(AvifHasIndex);
    b.u32(0);  // total frames, filled in at the end
    b.u32(0);  // initial frames
    b.u32(1);  // streams
    b.u32(frameBytes_);
    b.u32(w);
    b.u32(h);
    b.zeros(16);

    b.code(makeFourCC("LIST"));
    b.u32(strlBytes);
    b.code(makeFourCC("strl"));
    b.code(makeFourCC("strh"));
    b.u32(StreamHeaderBytes);
    strhAt_ = b.size();
    b.code(makeFourCC("vids"));
    b.u32(0);  // no codec: uncompressed bitmaps
    b.u32(0);  // flags
    b.u16(0);  // priority
    b.u16(0);  // language
    b.u32(0);  // initial frames
    b.u32(1);  // scale
    b.u32(FramesPerSecond);
    b.u32(0);  // start
    b.u32(0);  // length, filled in at the end
    b.u32(frameBytes_);
    b.u32(UINT32_MAX);  // quality: the default
    b.u32(0);           // sample size: one frame per sample
    b.u16(0);
    b.u16(0);
    b.u16(static_cast<std::uint16_t>(w));
    b.u16(static_cast<std::uint16_t>(h));

    b.code(makeFourCC("strf"));
    b.u32(BitmapInfoHeader::Size);
    b.u32(BitmapInfoHeader::Size);
    b.u32(w);
    b.u32(h);  // positive: rows bottom-up
    b.u16(1);
    b.u16(24);
    b.u32(0);  // BI_RGB
    b.u32(frameBytes_);
    b.zeros(16);

    superIndexAt_ = b.size();
    b.code(makeFourCC("JUNK"));
    b.u32(superBytes);
    b.zeros(superBytes);
    odmlAt_ = b.size();
    b.code(makeFourCC("JUNK"));
    b.u32(OdmlListBytes);
    b.zeros(OdmlListBytes);

    moviAt_ = b.size();
    b.code(makeFourCC("LIST"));
    b.u32(0);
    b.code(makeFourCC("movi"));
    put(b.data);
    riffAt_ = 0;
    chunk_.resize(8 + std::size_t{frameBytes_});
}

std::uint64_t AviWriter::closedRiffSize(std::uint64_t end, std::size_t frames) const {
    std::uint64_t size = end - riffAt_ + 8 + StandardIndexHeader + StandardIndexEntry * frames;
    if (inFirstRiff_) size += 8 + Idx1EntryBytes * frames;
    return size;
}

void AviWriter::startRiff(bool first) {
    riffFrames_.clear();
    inFirstRiff_ = first;
    riffAt_ = file_->size();
    moviAt_ = riffAt_ + 12;
    Bytes b;
    b.code(makeFourCC("RIFF"));
    b.u32(0);
    b.code(makeFourCC("AVIX"));
    b.code(makeFourCC("LIST"));
    b.u32(0);
    b.code(makeFourCC("movi"));
    put(b.data);
}

void AviWriter::closeRiff(bool openDml) {
    const std::size_t n = riffFrames_.size();
    if (openDml) {
        if (superIndex_.size() >= superCapacity_) throw AviWriteError(AviWriterMessages::AddFrame);
        const std::uint64_t at = file_->size();
        const auto bytes = static_cast<std::uint32_t>(StandardIndexHeader + StandardIndexEntry * n);
        Bytes b;
        b.code(makeFourCC("ix00"));
        b.u32(bytes);
        b.u16(2);  // longs per entry
        b.u8(0);   // sub-type
        b.u8(1);   // an index of chunks
        b.u32(static_cast<std::uint32_t>(n));
        b.code(FrameCode);
        b.u64(riffAt_);  // base of the entries' offsets
        b.u32(0);
        for (const Entry& e : riffFrames_) {
            b.u32(static_cast<std::uint32_t>(e.chunk + 8 - riffAt_));  // of the data
            b.u32(frameBytes_);                                        // key frame: bit 31 clear
        }
        put(b.data);
        superIndex_.push_back({at, bytes + 8, static_cast<std::uint32_t>(n)});
    }
    patch32(moviAt_ + 4, size32(file_->size() - (moviAt_ + 8)));
    if (inFirstRiff_) {
        // Offsets count from the list type 'movi'.
        Bytes b;
        b.code(makeFourCC("idx1"));
        b.u32(static_cast<std::uint32_t>(Idx1EntryBytes * n));
        for (const Entry& e : riffFrames_) {
            b.code(FrameCode);
            b.u32(AviifKeyframe);
            b.u32(static_cast<std::uint32_t>(e.chunk - (moviAt_ + 8)));
            b.u32(frameBytes_);
        }
        put(b.data);
        firstRiffFrames_ = static_cast<int>(n);
    }
    patch32(riffAt_ + 4, size32(file_->size() - (riffAt_ + 8)));
}

void AviWriter::addFrame(const Bitmap24& frame) {
    if (finished_ || frame.width() != width_ || frame.height() != height_ || total_ >= layout_.frameCapacity)
        throw AviWriteError(AviWriterMessages::AddFrame);
    try {
        const std::uint64_t chunkBytes = chunk_.size();
        if (!riffFrames_.empty() &&
            closedRiffSize(file_->size() + chunkBytes, riffFrames_.size() + 1) > layout_.riffLimit) {
            closeRiff(true);
            startRiff(false);
        }
        Bytes header;
        header.code(FrameCode);
        header.u32(frameBytes_);
        std::memcpy(chunk_.data(), header.data.data(), 8);
        const std::size_t stride = Bitmap24::strideFor(width_);
        for (int y = 0; y < height_; ++y)
            std::memcpy(chunk_.data() + 8 + stride * static_cast<std::size_t>(height_ - 1 - y), frame.row(y),
                        stride);
        riffFrames_.push_back({file_->size()});
        put(chunk_);
        ++total_;
    } catch (const FileError&) {
        throw AviWriteError(AviWriterMessages::AddFrame);
    }
}

void AviWriter::finish() {
    if (finished_) return;
    finished_ = true;
    try {
        const bool openDml = !inFirstRiff_;
        closeRiff(openDml);
        if (openDml) {
            Bytes b;
            b.code(makeFourCC("indx"));
            b.u32(static_cast<std::uint32_t>(SuperIndexHeader + SuperIndexEntry * superCapacity_));
            b.u16(4);  // longs per entry
            b.u8(0);   // sub-type
            b.u8(0);   // an index of indexes
            b.u32(static_cast<std::uint32_t>(superIndex_.size()));
            b.code(FrameCode);
            b.zeros(12);
            for (const SuperEntry& e : superIndex_) {
                b.u64(e.offset);
                b.u32(e.size);
                b.u32(e.frames);
            }
            file_->writeAt(superIndexAt_, b.data.data(), b.size());
            Bytes odml;
            odml.code(makeFourCC("LIST"));
            odml.u32(OdmlListBytes);
            odml.code(makeFourCC("odml"));
            odml.code(makeFourCC("dmlh"));
            odml.u32(DmlhBytes);
            odml.u32(static_cast<std::uint32_t>(total_));
            file_->writeAt(odmlAt_, odml.data.data(), odml.size());
        }
        // AVI 1.0 readers see the frames of the first RIFF chunk; the stream's length counts all.
        patch32(avihAt_ + 16, static_cast<std::uint32_t>(openDml ? firstRiffFrames_ : total_));
        patch32(strhAt_ + 32, static_cast<std::uint32_t>(total_));
        file_->commit();
    } catch (const FileError&) {
        throw AviWriteError(AviWriterMessages::AddFrame);
    }
}

}  // namespace kestrave
