#pragma once
// RegSettings: the settings the program keeps between runs, in "registry.ini" in the program
// directory. Section "Files" holds the last folders and file types (read at start-up, written by
// the savers and selectors as the user works); section "Settings" receives option values as they
// change. Every write stores the file at once, replacing it only once the new one is complete.

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "persist/big_ini_file.h"

namespace kestrave {

inline constexpr std::string_view kRegSettingsFileName = "registry.ini";
inline constexpr std::string_view kRegFilesSection = "Files";
inline constexpr std::string_view kRegSettingsSection = "Settings";

class RegSettings {
public:
    // Both read the whole file at once and throw FileError when it exists but cannot be read
    // (writing over a file that could not be read would lose it).
    // "registry.ini" in ProgramDir():
    RegSettings();
    explicit RegSettings(std::filesystem::path fileName);

    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const {
        return ini_.ReadString(section, key, def);
    }
    int ReadInteger(std::string_view section, std::string_view key, int def) const {
        return ini_.ReadInteger(section, key, def);
    }
    bool ReadBool(std::string_view section, std::string_view key, bool def) const {
        return ini_.ReadBool(section, key, def);
    }

    // Stores the value and writes the file at once; a failure is returned, not thrown. When the file cannot
    // be written the value stays in memory (the next successful write stores it too), the call returns false
    // and lastError() holds the text to show.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInteger(std::string_view section, std::string_view key, int value);
    bool WriteBool(std::string_view section, std::string_view key, bool value);
    // Several values of one section stored with one write of the file, as the calls above would.
    bool WriteStrings(std::string_view section,
                      const std::vector<std::pair<std::string, std::string>>& values);

    // Writes pending values; throws FileError when that fails.
    void flush() { ini_.flush(); }
    // Why the last write failed; empty after a successful one.
    const std::string& lastError() const { return lastError_; }
    const std::filesystem::path& fileName() const { return ini_.fileName(); }

private:
    template <class Write>
    bool store(Write&& write);

    TBigIniFile ini_;
    std::string lastError_;
};

}  // namespace kestrave
