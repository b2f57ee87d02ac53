#include "frames/frame_file.h"

#include <system_error>

#include "frames/still_frames.h"
#include "platform/errors.h"

namespace kestrave {

namespace {

[[noreturn]] void truncated(const std::filesystem::path& path) {
    throw FileError("File " + displayName(path) + " is truncated");
}

RiffFile openOrThrow(const std::filesystem::path& path) {
    std::optional<RiffFile> file = RiffFile::open(path);
    if (!file) throw FileError("Cannot open file " + path.string());
    return std::move(*file);
}

}  // namespace

FrameFile::FrameFile(const std::filesystem::path& path) : FrameFile(path, openOrThrow(path)) {}

std::optional<FrameFile> FrameFile::openIfExists(const std::filesystem::path& path) {
    std::optional<RiffFile> file = RiffFile::open(path);
    if (file) return FrameFile(path, std::move(*file));
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error) return std::nullopt;
    throw FileError("Cannot open file " + path.string());
}

void FrameFile::readAt(std::uint64_t offset, void* buffer, std::size_t count) const {
    if (!file_.readAt(offset, buffer, count)) truncated(path_);
}

std::unique_ptr<std::uint8_t[]> FrameFile::readRows(std::uint64_t offset, std::uint64_t strideBytes,
                                                    std::size_t rowBytes, int rows) const {
    // The whole range is checked before the block is allocated: a header may claim rows that the
    // file does not hold.
    checkRows(offset, strideBytes, rowBytes, rows);
    auto block = std::make_unique_for_overwrite<std::uint8_t[]>(rowBytes * static_cast<std::size_t>(rows));
    readRowsTo(offset, strideBytes, rowBytes, rows, block.get());
    return block;
}

void FrameFile::readRows(std::uint64_t offset, std::uint64_t strideBytes, std::size_t rowBytes, int rows,
                         std::vector<std::uint8_t>& block) const {
    checkRows(offset, strideBytes, rowBytes, rows);
    block.resize(rowBytes * static_cast<std::size_t>(rows));
    readRowsTo(offset, strideBytes, rowBytes, rows, block.data());
}

void FrameFile::checkRows(std::uint64_t offset, std::uint64_t strideBytes, std::size_t rowBytes,
                          int rows) const {
    if (rows > 0 && !file_.contains(offset, static_cast<std::uint64_t>(rows - 1) * strideBytes + rowBytes))
        truncated(path_);
}

void FrameFile::readRowsTo(std::uint64_t offset, std::uint64_t strideBytes, std::size_t rowBytes, int rows,
                           std::uint8_t* block) const {
    if (strideBytes == rowBytes) {
        readAt(offset, block, rowBytes * static_cast<std::size_t>(rows));
        return;
    }
    for (int k = 0; k < rows; ++k)
        readAt(offset + static_cast<std::uint64_t>(k) * strideBytes, block + k * rowBytes, rowBytes);
}

}  // namespace kestrave
