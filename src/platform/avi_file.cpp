#include "platform/avi_file.h"

#include <algorithm>
#include <optional>

namespace kestrave {

namespace {

constexpr FourCC RIFF = makeFourCC("RIFF");
constexpr FourCC LIST = makeFourCC("LIST");
constexpr FourCC AVI_ = makeFourCC("AVI ");
constexpr FourCC AVIX = makeFourCC("AVIX");
constexpr FourCC hdrl = makeFourCC("hdrl");
constexpr FourCC strl = makeFourCC("strl");
constexpr FourCC strh = makeFourCC("strh");
constexpr FourCC strf = makeFourCC("strf");
constexpr FourCC indx = makeFourCC("indx");
constexpr FourCC movi = makeFourCC("movi");
constexpr FourCC idx1 = makeFourCC("idx1");
constexpr FourCC rec_ = makeFourCC("rec ");
constexpr FourCC vids = makeFourCC("vids");

// Walks over headers are bounded by chunk counts as well as by the file size.
constexpr std::size_t MaxTopLevelChunks = 4096;
constexpr std::size_t MaxHeaderChunks = 4096;
constexpr std::size_t MaxScannedChunks = std::size_t{1} << 22;
constexpr std::size_t MaxStreams = 100;
constexpr std::uint64_t MaxSuperIndexEntries = 65536;
constexpr std::size_t MaxFormatBytes = 65536;
constexpr std::uint32_t AviIndexOfIndexes = 0;
constexpr std::uint32_t AviIndexOfChunks = 1;

[[noreturn]] void fail(const char* message) {
    throw AviError(message);
}

// "NNdb" / "NNdc": the chunk codes of frames of stream NN.
FourCC streamChunkId(int stream, const char (&kind)[3]) {
    const char text[5] = {static_cast<char>('0' + stream / 10), static_cast<char>('0' + stream % 10), kind[0],
                          kind[1], 0};
    return makeFourCC(text);
}

}  // namespace

BitmapInfoHeader BitmapInfoHeader::parse(const std::uint8_t* p) {
    BitmapInfoHeader h;
    h.biSize = readLE32(p);
    h.biWidth = static_cast<std::int32_t>(readLE32(p + 4));
    h.biHeight = static_cast<std::int32_t>(readLE32(p + 8));
    h.biPlanes = readLE16(p + 12);
    h.biBitCount = readLE16(p + 14);
    h.biCompression = readLE32(p + 16);
    h.biSizeImage = readLE32(p + 20);
    h.biXPelsPerMeter = static_cast<std::int32_t>(readLE32(p + 24));
    h.biYPelsPerMeter = static_cast<std::int32_t>(readLE32(p + 28));
    h.biClrUsed = readLE32(p + 32);
    h.biClrImportant = readLE32(p + 36);
    return h;
}

// Reads the headers and builds the sample index of one file.
class AviParser {
public:
    explicit AviParser(AviFile& avi) : avi_(avi), file_(avi.file_) {}

    void parse() {
        std::optional<RiffChunk> riff = file_.chunkAt(0, file_.size());
        if (!riff || riff->id != RIFF || riff->listType != AVI_) fail(AviMessages::OpenFile);
        // A recorder that stopped before it wrote the RIFF size leaves 0 there.
        if (riff->size == 0) riff->dataEnd = file_.size();

        std::optional<RiffChunk> header, index, firstMovi;
        forEachChunk(file_, riff->listDataOffset(), riff->dataEnd, MaxTopLevelChunks,
                     [&](const RiffChunk& c) {
                         if (c.id == LIST && c.listType == hdrl && !header) header = c;
                         if (c.id == LIST && c.listType == movi && !firstMovi) {
                             firstMovi = c;
                             // An unfinished recording leaves the list size 0: its frames run to the end.
                             if (c.size == 0) {
                                 firstMovi->dataEnd = riff->dataEnd;
                                 return false;
                             }
                         }
                         if (c.id == idx1 && !index) index = c;
                         return true;
                     });
        if (firstMovi) movis_.push_back(*firstMovi);
        // OpenDML: further "RIFF AVIX" chunks follow the first one, each with a "movi" list.
        if (riff->size != 0) {
            forEachChunk(file_, riff->next(), file_.size(), MaxTopLevelChunks, [&](const RiffChunk& c) {
                if (c.id == RIFF && c.listType == AVIX) {
                    ++avi_.riffCount_;
                    forEachChunk(file_, c.listDataOffset(), c.dataEnd, MaxTopLevelChunks,
                                 [&](const RiffChunk& m) {
                                     if (m.id != LIST || m.listType != movi) return true;
                                     movis_.push_back(m);
                                     return false;
                                 });
                }
                return true;
            });
        }

        if (!header) fail(AviMessages::OpenStream);
        readStreamHeaders(*header);
        buildIndex(index, firstMovi);
    }

private:
    void readStreamHeaders(const RiffChunk& header) {
        std::optional<RiffChunk> streamHeader, streamFormat;
        std::size_t streams = 0;
        forEachChunk(file_, header.listDataOffset(), header.dataEnd, MaxHeaderChunks,
                     [&](const RiffChunk& list) {
                         if (list.id != LIST || list.listType != strl) return true;
                         std::optional<RiffChunk> h, f, i;
                         forEachChunk(file_, list.listDataOffset(), list.dataEnd, MaxHeaderChunks,
                                      [&](const RiffChunk& c) {
                                          if (c.id == strh && !h) h = c;
                                          if (c.id == strf && !f) f = c;
                                          if (c.id == indx && !i) i = c;
                                          return true;
                                      });
                         std::uint8_t type[4];
                         if (h && h->availableSize() >= 4 && file_.readAt(h->dataOffset(), type, 4) &&
                             readLE32(type) == vids) {
                             streamHeader = h;
                             streamFormat = f;
                             superIndex_ = i;
                             avi_.streamNumber_ = static_cast<int>(streams);
                             frameDb_ = streamChunkId(avi_.streamNumber_, "db");
                             frameDc_ = streamChunkId(avi_.streamNumber_, "dc");
                             return false;
                         }
                         return ++streams < MaxStreams;
                     });
        if (!streamHeader) fail(AviMessages::OpenStream);

        std::uint8_t s[40];
        if (streamHeader->availableSize() < sizeof s ||
            !file_.readAt(streamHeader->dataOffset(), s, sizeof s))
            fail(AviMessages::StreamInfo);
        AviStreamInfoRecord& info = avi_.info_;
        info.fccType = readLE32(s);
        info.fccHandler = readLE32(s + 4);
        info.dwFlags = readLE32(s + 8);
        info.dwScale = readLE32(s + 20);
        info.dwRate = readLE32(s + 24);
        info.dwStart = readLE32(s + 28);
        info.dwLength = readLE32(s + 32);
        info.dwSuggestedBufferSize = readLE32(s + 36);

        if (!streamFormat) fail(AviMessages::FormatSize);
        const std::size_t formatSize =
            static_cast<std::size_t>(std::min<std::uint64_t>(streamFormat->availableSize(), MaxFormatBytes));
        if (formatSize < BitmapInfoHeader::Size) fail(AviMessages::Format);
        avi_.format_.resize(formatSize);
        if (!file_.readAt(streamFormat->dataOffset(), avi_.format_.data(), formatSize))
            fail(AviMessages::Format);
        const BitmapInfoHeader h = BitmapInfoHeader::parse(avi_.format_.data());
        const std::int64_t width = h.biWidth;
        const std::int64_t height = h.biHeight < 0 ? -std::int64_t{h.biHeight} : h.biHeight;
        if (width < 1 || height < 1 || width > AviMaxFrameSide || height > AviMaxFrameSide ||
            width * height > AviMaxFramePixels)
            fail(AviMessages::Format);
        avi_.header_ = h;
    }

    bool isFrameChunk(FourCC id) const { return id == frameDb_ || id == frameDc_; }

    void buildIndex(const std::optional<RiffChunk>& index, const std::optional<RiffChunk>& firstMovi) {
        if (superIndex_ && readOpenDmlIndex(*superIndex_)) {
            avi_.indexKind_ = AviIndexKind::OpenDml;
            return;
        }
        avi_.samples_.clear();
        // "idx1" covers the first RIFF chunk only; an OpenDML file without its own index is scanned.
        if (index && firstMovi && avi_.riffCount_ == 1 && readIdx1(*index, *firstMovi)) {
            avi_.indexKind_ = AviIndexKind::Idx1;
            return;
        }
        avi_.samples_.clear();
        avi_.indexKind_ = AviIndexKind::Scan;
        std::size_t budget = MaxScannedChunks;
        for (const RiffChunk& list : movis_) {
            if (!scanList(list, budget, 0)) break;
        }
    }

    bool full() const { return avi_.samples_.size() >= AviFile::MaxIndexedSamples; }

    // Reads the entries of a table in blocks, so that a hostile entry count costs no more memory
    // than the block; `entry` returns false to stop.
    template <class Entry>
    bool forEachEntry(std::uint64_t offset, std::uint64_t count, std::size_t entrySize, Entry&& entry) {
        constexpr std::size_t BlockEntries = 4096;
        std::vector<std::uint8_t> block;
        for (std::uint64_t done = 0; done < count;) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(BlockEntries, count - done));
            block.resize(n * entrySize);
            if (!file_.readAt(offset + done * entrySize, block.data(), block.size())) return false;
            for (std::size_t k = 0; k < n; ++k) {
                if (!entry(block.data() + k * entrySize)) return true;
            }
            done += n;
        }
        return true;
    }

    // Legacy index: 16-byte entries (code, flags, offset, size). Offsets count from the "movi"
    // code of the list, or, in files of some writers, from the start of the file; the first
    // entry of the stream tells which.
    bool readIdx1(const RiffChunk& index, const RiffChunk& moviList) {
        const std::uint64_t moviBase = moviList.dataOffset();
        std::optional<std::uint64_t> base;
        forEachEntry(index.dataOffset(), index.availableSize() / 16, 16, [&](const std::uint8_t* e) {
            const FourCC id = readLE32(e);
            if (!isFrameChunk(id)) return true;
            const std::uint64_t offset = readLE32(e + 8);
            if (!base) base = detectIdx1Base(id, offset, moviBase);
            avi_.samples_.push_back({*base + offset + 8, readLE32(e + 12)});
            return !full();
        });
        return !avi_.samples_.empty();
    }

    std::uint64_t detectIdx1Base(FourCC id, std::uint64_t offset, std::uint64_t moviBase) {
        for (const std::uint64_t candidate : {moviBase, std::uint64_t{0}}) {
            std::uint8_t code[4];
            if (file_.readAt(candidate + offset, code, 4) && readLE32(code) == id) return candidate;
        }
        return moviBase;
    }

    // OpenDML: the super index in the stream list points at one standard index ("ix##") per
    // RIFF chunk; a standard index may also stand in the stream list itself. Any damaged part
    // makes the whole index unusable, and the file is scanned instead.
    bool readOpenDmlIndex(const RiffChunk& chunk) {
        std::uint8_t h[24];
        if (chunk.availableSize() < sizeof h || !file_.readAt(chunk.dataOffset(), h, sizeof h)) return false;
        const std::size_t entrySize = 4u * readLE16(h);
        const std::uint32_t type = h[3];
        if (type == AviIndexOfChunks) return readStandardIndex(chunk);
        if (type != AviIndexOfIndexes || entrySize < 16) return false;
        const std::uint64_t count = std::min<std::uint64_t>(
            {readLE32(h + 4), (chunk.availableSize() - sizeof h) / entrySize, MaxSuperIndexEntries});
        bool valid = true;
        const bool read =
            forEachEntry(chunk.dataOffset() + sizeof h, count, entrySize, [&](const std::uint8_t* e) {
                const std::optional<RiffChunk> ix = file_.chunkAt(readLE64(e), file_.size());
                valid = ix && (ix->id & 0xffffu) == (makeFourCC("ix00") & 0xffffu) && readStandardIndex(*ix);
                return valid && !full();
            });
        return read && valid && !avi_.samples_.empty();
    }

    bool readStandardIndex(const RiffChunk& chunk) {
        std::uint8_t h[24];
        if (chunk.availableSize() < sizeof h || !file_.readAt(chunk.dataOffset(), h, sizeof h)) return false;
        const std::size_t entrySize = 4u * readLE16(h);
        if (h[3] != AviIndexOfChunks || entrySize < 8 || !isFrameChunk(readLE32(h + 8))) return false;
        const std::uint64_t base = readLE64(h + 12);
        if (base > file_.size()) return false;
        const std::uint64_t count =
            std::min<std::uint64_t>(readLE32(h + 4), (chunk.availableSize() - sizeof h) / entrySize);
        return forEachEntry(chunk.dataOffset() + sizeof h, count, entrySize, [&](const std::uint8_t* e) {
            // Bit 31 of the size marks a frame that is not a key frame.
            avi_.samples_.push_back({base + readLE32(e), readLE32(e + 4) & 0x7fffffffu});
            return !full();
        });
    }

    // No index: the frame chunks are found by walking the "movi" lists (and the "rec " lists
    // inside them). A chunk cut off by the end of the file ends the scan.
    bool scanList(const RiffChunk& list, std::size_t& budget, int depth) {
        bool more = true;
        forEachChunk(file_, list.listDataOffset(), list.dataEnd, budget, [&](const RiffChunk& c) {
            --budget;
            if (c.id == LIST && c.listType == rec_ && depth == 0) {
                more = scanList(c, budget, depth + 1);
            } else if (isFrameChunk(c.id)) {
                if (!c.complete())
                    more = false;
                else
                    avi_.samples_.push_back({c.dataOffset(), c.size});
            }
            more = more && !full() && budget > 0;
            return more;
        });
        return more;
    }

    AviFile& avi_;
    const RiffFile& file_;
    std::optional<RiffChunk> superIndex_;
    std::vector<RiffChunk> movis_;
    FourCC frameDb_ = 0;
    FourCC frameDc_ = 0;
};

AviFile AviFile::open(const std::filesystem::path& path) {
    std::optional<RiffFile> file = RiffFile::open(path);
    if (!file) fail(AviMessages::OpenFile);
    AviFile avi(path, std::move(*file));
    AviParser(avi).parse();
    return avi;
}

std::span<const std::uint8_t> AviFile::colorTable() const {
    const std::size_t start = std::clamp<std::size_t>(header_.biSize, BitmapInfoHeader::Size, format_.size());
    const std::size_t bytes = (format_.size() - start) / 4 * 4;
    return {format_.data() + start, bytes};
}

std::uint32_t AviFile::sampleSize(std::int64_t n) const {
    const std::int64_t k = n - static_cast<std::int64_t>(info_.dwStart);
    if (k < 0 || k >= static_cast<std::int64_t>(samples_.size())) return 0;
    return samples_[static_cast<std::size_t>(k)].size;
}

void AviFile::readSample(std::int64_t n, std::vector<std::uint8_t>& buffer, std::size_t maxBytes) const {
    const std::uint32_t size = sampleSize(n);
    const std::size_t count = std::min<std::size_t>(size, maxBytes);
    if (count == 0) {
        buffer.clear();
        return;
    }
    const Sample& sample = samples_[static_cast<std::size_t>(n - static_cast<std::int64_t>(info_.dwStart))];
    // The range is checked before the buffer grows, so a hostile size allocates nothing.
    if (!file_.contains(sample.offset, size)) fail(AviMessages::ReadFrame);
    buffer.resize(count);
    if (!file_.readAt(sample.offset, buffer.data(), count)) fail(AviMessages::ReadFrame);
}

}  // namespace kestrave
