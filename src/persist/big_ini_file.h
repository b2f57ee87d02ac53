#pragma once
// TBigIniFile: the INI file behind project, scheme, point, filter, sigma and settings files.
// The whole file is read into memory when the object is made; every read and write works on that
// memory; the file is written back whole, only when something really changed — on an explicit
// flush() and, as a last resort, when the object is destroyed. A second file can be loaded into
// the same object: it adds only the sections whose names are new.
//
// The text layout:
//   - "[name]" starts a section; the name is taken exactly, blanks included. Section names and
//     keys compare without regard to letter case.
//   - Inside a section every non-empty line is kept whole and in order: normally key=value (the
//     key is the text before the first "="), but comments and lines without "=" survive too.
//   - Lines before the first header, empty lines and a lone end-of-file character (0x1A) are not
//     kept. Lines may end in CR LF, LF or CR; the file is written with CR LF, one empty line after
//     each section, and sections without lines are left out.
//   - Integers are written as decimal text, Booleans as "1" and "0".

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrave {

// One section: its name as spelled where it was first met and its lines in file order.
class IniSection {
public:
    explicit IniSection(std::string name) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    const std::vector<std::string>& lines() const { return lines_; }

    // The first line whose text before its first "=" equals ident without regard to case (lines
    // without "=" never match); -1 when there is none.
    std::ptrdiff_t findKey(std::string_view ident) const;

    void appendLine(std::string line);
    // The new line must carry the same key (in any case) as the one it replaces.
    void replaceLine(std::size_t index, std::string line) { lines_[index] = std::move(line); }
    void eraseLine(std::size_t index);

private:
    void buildKeyIndex() const;

    std::string name_;
    std::vector<std::string> lines_;
    // Project files hold sections of tens of thousands of keys; a scan per key would make reading
    // and writing them quadratic. Large sections therefore keep an index from the case-folded
    // key's hash to the first line carrying that hash, built on first use and dropped when a
    // line is removed.
    mutable std::unordered_map<std::uint64_t, std::size_t> keyIndex_;
    mutable bool indexed_ = false;
};

// The sections in the order in which they were first met. IndexOf starts its search where the
// previous search found its section and wraps around, so runs of accesses to one section find
// it at once.
class TSectionList {
public:
    // The section of that name (any case), or -1; a hit becomes the next search's start.
    std::ptrdiff_t IndexOf(std::string_view name) const;
    // The same search from a given start entry, remembering nothing.
    std::ptrdiff_t findFrom(std::size_t start, std::string_view name) const;

    std::size_t size() const { return sections_.size(); }
    bool empty() const { return sections_.empty(); }
    IniSection& operator[](std::size_t index) { return sections_[index]; }
    const IniSection& operator[](std::size_t index) const { return sections_[index]; }
    std::vector<IniSection>::const_iterator begin() const { return sections_.begin(); }
    std::vector<IniSection>::const_iterator end() const { return sections_.end(); }

    IniSection& append(std::string name);
    void append(IniSection section);
    // Removes the entry; the next IndexOf starts from the first entry.
    void erase(std::size_t index);

private:
    std::vector<IniSection> sections_;
    mutable std::size_t lastFound_ = 0;
};

class TBigIniFile {
public:
    // Reads the whole file; a missing file gives an empty object and an empty name one that never
    // writes. Throws FileError when the file exists but cannot be read.
    explicit TBigIniFile(std::filesystem::path fileName);
    // Writes pending changes as a last resort; a failure is logged to standard error, never
    // thrown. Writers call flush() first so that a failure reaches the user.
    ~TBigIniFile();
    TBigIniFile(const TBigIniFile&) = delete;
    TBigIniFile& operator=(const TBigIniFile&) = delete;

    // The text after the first "=" of the key's line; def when the section or the key is absent.
    std::string ReadString(std::string_view section, std::string_view ident, std::string_view def) const;
    // Sets the key's line to ident=value, creating the section and the key as needed; a line that
    // is already exactly so is no change. With an empty ident: all three empty flushes the file,
    // otherwise the section is erased. Throws KestraveError, changing nothing, when a text holds
    // a line break (it could not be read back as one line).
    void WriteString(std::string_view section, std::string_view ident, std::string_view value);
    // Decimal with an optional sign, or up to eight hexadecimal digits after "0x" (first in the
    // text only) or "$" (eight digits with the top bit set are negative); leading blanks are
    // allowed before a decimal or "$", nothing may follow.
    // Anything else, and decimals outside the 32-bit range, give def.
    int ReadInteger(std::string_view section, std::string_view ident, int def) const;
    void WriteInteger(std::string_view section, std::string_view ident, int value);
    bool ReadBool(std::string_view section, std::string_view ident, bool def) const;
    void WriteBool(std::string_view section, std::string_view ident, bool value);

    // Appends the key of every line of the section (an empty text for a line without "=").
    void ReadSection(std::string_view section, std::vector<std::string>& strings) const;
    // Replaces the list's content with the section names in section order.
    void ReadSections(std::vector<std::string>& strings) const;
    // Appends the section's lines unchanged.
    void ReadSectionValues(std::string_view section, std::vector<std::string>& strings) const;
    void EraseSection(std::string_view section);
    // Removes the key's line. An absent section is created empty (and, having no lines, is never
    // written).
    void DeleteKey(std::string_view section, std::string_view ident);
    // Appends the file's text as it would be written, one string per line.
    void WriteAllToStrings(std::vector<std::string>& strings) const;

    // Writes the file when something changed and the object has a name. The file is replaced
    // only once the new one is complete; on failure FileError is thrown (its text names the file
    // and the reason), the old file stays as it was and the changes stay pending.
    void flush();
    // The same explicit flush under the name the file-format code uses.
    void UpdateFile() { flush(); }

    // Adds the file's sections whose names are not yet in memory; a missing file adds nothing.
    // Throws FileError, changing nothing, when the file exists but cannot be read.
    void LoadFromFile(const std::filesystem::path& fileName);

    const std::filesystem::path& fileName() const { return fileName_; }
    // True when memory differs from what was last read or written.
    bool changed() const { return changed_; }

private:
    // The section search of key access: from the last section found, wrapping around.
    std::ptrdiff_t findSection(std::string_view name) const;
    IniSection& findOrCreateSection(std::string_view name);
    template <class LineSink>
    void forEachOutputLine(LineSink&& sink) const;

    std::filesystem::path fileName_;
    bool changed_ = false;
    TSectionList sections_;
    mutable std::size_t lastSection_ = 0;
};

// The integer syntax of the INI files: "0x"/"0X" and one to eight hexadecimal digits at the very
// start of the text; otherwise leading blanks, then either an optional sign and decimal digits
// within the 32-bit signed range, or "$" and one to eight hexadecimal digits (read as a 32-bit
// pattern, so the top bit makes the value negative); nothing may follow the digits. None for
// anything else.
std::optional<std::int32_t> parseIniInteger(std::string_view text);

// Writes the object's text as a new file at `path` (temporary file, then rename): an existing file
// is replaced whole, whatever it held, and only once the new one is complete. Throws FileError
// when it cannot be written; the old file then stays as it was.
void writeFreshIniFile(const std::filesystem::path& path, const TBigIniFile& ini);

}  // namespace kestrave
