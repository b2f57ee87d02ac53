#pragma once
// A fresh temporary folder per test, removed afterwards. ProgramDirScope also points
// KESTRAVE_HOME at it so nothing touches the user's real settings.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kestrave::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Writes a file whole (replacing one of that name); throws when it cannot.
void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

class ProgramDirScope {
public:
    ProgramDirScope();
    ~ProgramDirScope();
    const std::filesystem::path& path() const { return dir_.path(); }

private:
    TempDir dir_;
    std::string previous_;
    bool hadPrevious_ = false;
};

}  // namespace kestrave::test
