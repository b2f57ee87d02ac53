#include "platform/riff_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

namespace kestrave {

std::string FourCCToString(FourCC code) {
    std::string text(4, ' ');
    for (int i = 0; i < 4; ++i) {
        const auto c = static_cast<unsigned char>(code >> (8 * i));
        if (c >= 0x20 && c < 0x7f) text[static_cast<std::size_t>(i)] = static_cast<char>(c);
    }
    return text;
}

bool RiffChunk::isList() const {
    return id == makeFourCC("RIFF") || id == makeFourCC("LIST");
}

std::optional<RiffFile> RiffFile::open(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return std::nullopt;
    }
    const FileIdentity identity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                                static_cast<std::uint64_t>(st.st_size),
                                static_cast<std::int64_t>(st.st_mtim.tv_sec),
                                static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
    return RiffFile(fd, static_cast<std::uint64_t>(st.st_size), identity);
}

RiffFile::RiffFile(RiffFile&& other) noexcept
    : fd_(other.fd_), size_(other.size_), identity_(other.identity_) {
    other.fd_ = -1;
}

RiffFile& RiffFile::operator=(RiffFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        size_ = other.size_;
        identity_ = other.identity_;
        other.fd_ = -1;
    }
    return *this;
}

RiffFile::~RiffFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool RiffFile::readAt(std::uint64_t offset, void* data, std::size_t count) const {
    if (fd_ < 0 || !contains(offset, count)) return false;
    auto* p = static_cast<char*>(data);
    while (count > 0) {
        const ssize_t n = ::pread(fd_, p, count, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;  // an error, or the file shrank under us
        p += n;
        count -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

std::optional<RiffChunk> RiffFile::chunkAt(std::uint64_t offset, std::uint64_t limit) const {
    limit = std::min(limit, size_);
    if (offset > limit || limit - offset < 8) return std::nullopt;
    std::uint8_t header[12];
    if (!readAt(offset, header, 8)) return std::nullopt;
    RiffChunk chunk;
    chunk.id = readLE32(header);
    chunk.size = readLE32(header + 4);
    chunk.offset = offset;
    chunk.dataEnd = std::min<std::uint64_t>(chunk.dataOffset() + chunk.size, limit);
    if (chunk.isList()) {
        // The type code is read even when the declared size is too small to hold it (an
        // unfinished list says 0); the data extent then covers the type code alone.
        if (limit - offset < 12 || !readAt(offset + 8, header + 8, 4)) return std::nullopt;
        chunk.listType = readLE32(header + 8);
        chunk.dataEnd = std::max(chunk.dataEnd, offset + 12);
    }
    return chunk;
}

}  // namespace kestrave
