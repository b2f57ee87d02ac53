#include "frames/frame_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "frames/still_frames.h"
#include "platform/errors.h"

namespace kestrave {

namespace {

std::string cannotOpen(const std::filesystem::path& path) {
    return "Cannot open file " + path.string() + ": " + std::strerror(errno);
}

}  // namespace

FrameFile::FrameFile(const std::filesystem::path& path) {
    open(path);
    if (fd_ < 0) throw FileError(cannotOpen(path));
}

std::optional<FrameFile> FrameFile::openIfExists(const std::filesystem::path& path) {
    FrameFile file;
    file.open(path);
    if (file.fd_ >= 0) return file;
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    throw FileError(cannotOpen(path));
}

void FrameFile::open(const std::filesystem::path& path) {
    path_ = path;
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    struct stat st {};
    int error = 0;
    if (::fstat(fd_, &st) != 0) {
        error = errno;
    } else if (!S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    if (error != 0) {
        ::close(fd_);
        fd_ = -1;
        errno = error;
        return;
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
}

FrameFile::FrameFile(FrameFile&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

FrameFile& FrameFile::operator=(FrameFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
    }
    return *this;
}

FrameFile::~FrameFile() {
    if (fd_ >= 0) ::close(fd_);
}

void FrameFile::truncated() const { throw FileError("File " + displayName(path_) + " is truncated"); }

void FrameFile::readAt(std::uint64_t offset, void* buffer, std::size_t count) const {
    if (offset > size_ || count > size_ - offset) truncated();
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (count > 0) {
        const ssize_t n = ::pread(fd_, out, count, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError("Cannot read file " + path_.string() + ": " + std::strerror(errno));
        }
        if (n == 0) truncated();
        out += n;
        offset += static_cast<std::uint64_t>(n);
        count -= static_cast<std::size_t>(n);
    }
}

std::unique_ptr<std::uint8_t[]> FrameFile::readRows(std::uint64_t offset, std::uint64_t strideBytes,
                                                    std::size_t rowBytes, int rows) const {
    const std::size_t total = rowBytes * static_cast<std::size_t>(rows);
    auto block = std::make_unique_for_overwrite<std::uint8_t[]>(total);
    if (strideBytes == rowBytes) {
        readAt(offset, block.get(), total);
    } else {
        for (int k = 0; k < rows; ++k) {
            readAt(offset + static_cast<std::uint64_t>(k) * strideBytes, block.get() + k * rowBytes, rowBytes);
        }
    }
    return block;
}

}  // namespace kestrave
