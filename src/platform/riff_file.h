#pragma once
// Read access to RIFF files (AVI and its OpenDML extension): one open file descriptor, every read
// a positioned read (pread) at a 64-bit offset that is checked against the file size first, and
// chunk headers whose declared extents are clipped to the list or file that holds them.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace kestrave {

// A four-character code as it lies in the file: byte 0 is the first character.
using FourCC = std::uint32_t;

constexpr FourCC makeFourCC(const char (&text)[5]) {
    return static_cast<FourCC>(static_cast<unsigned char>(text[0])) |
           static_cast<FourCC>(static_cast<unsigned char>(text[1])) << 8 |
           static_cast<FourCC>(static_cast<unsigned char>(text[2])) << 16 |
           static_cast<FourCC>(static_cast<unsigned char>(text[3])) << 24;
}

// The four bytes of the code in memory order as a 4-character string; bytes that are not
// printable ASCII (a code of zeros, for example) show as blanks.
std::string FourCCToString(FourCC code);

// Little-endian field access into a byte buffer whose length the caller has checked.
inline std::uint16_t readLE16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t readLE32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::uint64_t readLE64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(readLE32(p)) | static_cast<std::uint64_t>(readLE32(p + 4)) << 32;
}

// One chunk: its header at `offset`, `size` data bytes as declared, and the data extent clipped
// to the enclosing list (a truncated file ends its last chunk early).
struct RiffChunk {
    FourCC id = 0;
    std::uint32_t size = 0;
    std::uint64_t offset = 0;
    std::uint64_t dataEnd = 0;
    // The list type of a "RIFF" or "LIST" chunk (the first four data bytes), else 0.
    FourCC listType = 0;

    std::uint64_t dataOffset() const { return offset + 8; }
    // Where the contents of a list start (after its type code).
    std::uint64_t listDataOffset() const { return offset + 12; }
    // Bytes of data actually present inside the enclosing extent.
    std::uint64_t availableSize() const { return dataEnd - dataOffset(); }
    bool complete() const { return availableSize() == size; }
    // Offset of the next chunk: the data is padded to an even length.
    std::uint64_t next() const { return dataOffset() + size + (size & 1u); }
    bool isList() const;
};

// Which file an open file is, as it was when opened: a file rewritten since is another one.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

class RiffFile {
public:
    // Opens the file for reading; nullopt when it cannot be opened or is not a regular file.
    static std::optional<RiffFile> open(const std::filesystem::path& path);

    RiffFile(RiffFile&& other) noexcept;
    RiffFile& operator=(RiffFile&& other) noexcept;
    RiffFile(const RiffFile&) = delete;
    RiffFile& operator=(const RiffFile&) = delete;
    ~RiffFile();

    std::uint64_t size() const { return size_; }
    const FileIdentity& identity() const { return identity_; }

    // Reads exactly `count` bytes at `offset`; false when the range is not wholly inside the file
    // or the read fails. Safe to call from several threads at once.
    bool readAt(std::uint64_t offset, void* data, std::size_t count) const;
    bool contains(std::uint64_t offset, std::uint64_t count) const {
        return offset <= size_ && count <= size_ - offset;
    }

    // The chunk whose header starts at `offset`, provided the header (and a list's type code)
    // lies before `limit`; its data extent is clipped to `limit`.
    std::optional<RiffChunk> chunkAt(std::uint64_t offset, std::uint64_t limit) const;

private:
    RiffFile(int fd, std::uint64_t size, const FileIdentity& identity)
        : fd_(fd), size_(size), identity_(identity) {}
    int fd_ = -1;
    std::uint64_t size_ = 0;
    FileIdentity identity_;
};

// Visits the chunks that follow each other from `begin` up to `end`; `visit` returns false to
// stop early. The walk ends at the first header that does not fit, and after `maxChunks`
// chunks, so a hostile file cannot keep it going.
template <class Visit>
void forEachChunk(const RiffFile& file, std::uint64_t begin, std::uint64_t end, std::size_t maxChunks,
                  Visit&& visit) {
    std::uint64_t pos = begin;
    for (std::size_t n = 0; n < maxChunks && pos < end; ++n) {
        const std::optional<RiffChunk> chunk = file.chunkAt(pos, end);
        if (!chunk || !visit(*chunk)) return;
        pos = chunk->next();
    }
}

}  // namespace kestrave
