#include "platform/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/errors.h"

namespace kestrave {

namespace fs = std::filesystem;

namespace {
std::string describe(const fs::path& path) {
    return path.string() + ": " + std::strerror(errno);
}
}  // namespace

SafeFileWriter::SafeFileWriter(fs::path target) : target_(std::move(target)) {
    fs::path dir = target_.parent_path();
    if (dir.empty()) dir = ".";
    std::string pattern = (dir / ("." + target_.filename().string() + ".XXXXXX")).string();
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) throw FileError("Cannot write file " + describe(target_));
    temp_ = pattern;
    // Keep the permissions of an existing file; new files get the usual 0666 less umask.
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0) {
        ::fchmod(fd_, st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd_, 0666 & ~mask);
    }
}

SafeFileWriter::~SafeFileWriter() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
}

void SafeFileWriter::write(const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError("Cannot write file " + describe(target_));
        }
        p += n;
        size -= static_cast<std::size_t>(n);
        size_ += static_cast<std::uint64_t>(n);
    }
}

void SafeFileWriter::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (offset > size_ || size > size_ - offset) throw FileError("Cannot write file " + target_.string());
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd_, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileError("Cannot write file " + describe(target_));
        }
        p += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
}

void SafeFileWriter::commit() {
    if (::fsync(fd_) != 0 && errno != EINVAL) throw FileError("Cannot write file " + describe(target_));
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throw FileError("Cannot write file " + describe(target_));
    if (::rename(temp_.c_str(), target_.c_str()) != 0)
        throw FileError("Cannot write file " + describe(target_));
    committed_ = true;
}

void writeFileAtomically(const fs::path& target, std::string_view bytes) {
    SafeFileWriter writer(target);
    writer.write(bytes);
    writer.commit();
}

std::vector<std::uint8_t> readWholeFile(const fs::path& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw FileError("Cannot open file " + describe(path));
    std::vector<std::uint8_t> data;
    std::uint8_t buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.insert(data.end(), buffer, buffer + n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) throw FileError("Cannot read file " + path.string());
    return data;
}

}  // namespace kestrave
