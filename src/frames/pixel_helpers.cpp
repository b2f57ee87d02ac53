#include "frames/pixel_helpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrave {

void CopyBitmap(const Bitmap24& Source, Bitmap24& Dest) {
    Dest = Source;
}

void AssignBitmap24(Bitmap24& Dest, const Bitmap24& Source) {
    CopyBitmap(Source, Dest);
}

namespace {

// Size of a regular file that can be opened for reading, or -1. Opening without blocking keeps
// a named pipe from stalling the probe; anything but a regular file has no size to report.
std::int64_t regularFileSize(const std::filesystem::path& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info {};
    const bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return ok ? static_cast<std::int64_t>(info.st_size) : -1;
}

}  // namespace

std::int64_t FileSizeOf(const std::filesystem::path& FileName, MessagePort& messages) {
    const std::int64_t size = regularFileSize(FileName);
    if (size < 0) {
        messages.error("Error", "Fatal Error: Cannot open " + FileName.string() + " (binary)");
    }
    return size;
}

}  // namespace kestrave
