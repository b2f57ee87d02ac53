#pragma once
// Files are never half-written: a writer fills a temporary file beside the target and renames
// it over the target only when everything was written; a failed write leaves the old file as
// it was.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kestrave {

class SafeFileWriter {
public:
    // Opens a temporary file in the target's folder; throws FileError when it cannot.
    explicit SafeFileWriter(std::filesystem::path target);
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;
    // Removes the temporary file when commit() was not reached.
    ~SafeFileWriter();

    void write(const void* data, std::size_t size);
    void write(std::string_view text) { write(text.data(), text.size()); }
    // Overwrites bytes already written at `offset` (a header whose sizes are known only at the
    // end); the next write() still appends.
    void writeAt(std::uint64_t offset, const void* data, std::size_t size);
    // Bytes written so far.
    std::uint64_t size() const { return size_; }
    // Flushes, closes and renames over the target; throws FileError on any failure.
    void commit();

    const std::filesystem::path& target() const { return target_; }

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    bool committed_ = false;
};

// Writes the whole file through a SafeFileWriter.
void writeFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// Reads a whole file; throws FileError when it cannot be opened or read.
std::vector<std::uint8_t> readWholeFile(const std::filesystem::path& path);

}  // namespace kestrave
