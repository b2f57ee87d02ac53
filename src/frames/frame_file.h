#pragma once
// A frame file opened for reading with 64-bit offsets: every read is a pread of an exact byte
// range that was checked against the file size first, so a truncated or hostile file gives an
// error naming it, never a short or out-of-range read. Other programs may keep writing the file.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/riff_file.h"

namespace kestrave {

class FrameFile {
public:
    // Opens the file; throws FileError when it is missing or cannot be opened.
    explicit FrameFile(const std::filesystem::path& path);
    // As the constructor, but a missing file gives no FrameFile instead of an error.
    static std::optional<FrameFile> openIfExists(const std::filesystem::path& path);

    std::uint64_t size() const { return file_.size(); }
    const FileIdentity& identity() const { return file_.identity(); }
    const std::filesystem::path& path() const { return path_; }

    // Reads exactly `count` bytes at `offset`; throws FileError "… is truncated" when the file
    // ends before (including a file that shrank since it was opened) or cannot be read.
    void readAt(std::uint64_t offset, void* buffer, std::size_t count) const;

    // Reads `rows` rows of `rowBytes` bytes whose starts lie `strideBytes` apart, the first at
    // `offset`, into one block of rows * rowBytes bytes (a single read when the rows are adjacent).
    std::unique_ptr<std::uint8_t[]> readRows(std::uint64_t offset, std::uint64_t strideBytes,
                                             std::size_t rowBytes, int rows) const;
    // As readRows, into `block` (resized to rows * rowBytes, its storage reused from call to call).
    void readRows(std::uint64_t offset, std::uint64_t strideBytes, std::size_t rowBytes, int rows,
                  std::vector<std::uint8_t>& block) const;

    // Throws FileError "... is truncated" unless the rows lie in the file.
    void checkRows(std::uint64_t offset, std::uint64_t strideBytes, std::size_t rowBytes, int rows) const;

private:
    // Reads rows that checkRows accepted into `block`, which holds their bytes.
    void readRowsTo(std::uint64_t offset, std::uint64_t strideBytes, std::size_t rowBytes, int rows,
                    std::uint8_t* block) const;
    FrameFile(const std::filesystem::path& path, RiffFile file) : path_(path), file_(std::move(file)) {}

    std::filesystem::path path_;
    RiffFile file_;  // the positioned reads of the platform layer
};

}  // namespace kestrave
