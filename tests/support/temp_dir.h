#pragma once
// A fresh temporary folder per test, removed afterwards. ProgramDirScope also points
// KESTRAVE_HOME at it so nothing touches the user's real settings.

#include <cstdint>
#include <filesystem>
#include <optional>
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

// Sets an environment variable (removes it, given nullptr) until the scope ends, then puts back
// what it was.
class EnvironmentScope {
public:
    EnvironmentScope(std::string name, const char* value);
    ~EnvironmentScope();
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

class ProgramDirScope {
public:
    const std::filesystem::path& path() const { return dir_.path(); }

private:
    TempDir dir_;
    EnvironmentScope home_{"KESTRAVE_HOME", dir_.path().c_str()};
};

}  // namespace kestrave::test
