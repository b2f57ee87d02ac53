#include "persist/big_ini_file.h"

#include <cstdio>
#include <exception>
#include <optional>
#include <unordered_map>

#include "persist/ignore_case.h"
#include "platform/errors.h"
#include "platform/safe_file.h"

namespace kestrave {

namespace fs = std::filesystem;

namespace {

// The file is written through a buffer of this size.
constexpr std::size_t kTextBufferSize = 28672;
// Sections of fewer lines are searched by a plain scan.
constexpr std::size_t kIndexedSectionSize = 32;

// The key of a line: the text before its first "="; none for a line without "=".
std::optional<std::string_view> keyOf(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return line.substr(0, equals);
}

bool lineHasKey(std::string_view line, std::string_view ident) {
    const auto key = keyOf(line);
    return key && sameTextIgnoringCase(*key, ident);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A line read back must be the line written: a line break would split it, a key holding "="
// could never be found again, and a line in brackets would start a section.
void checkStorable(const fs::path& file, std::string_view section, std::string_view ident,
                   std::string_view line) {
    const auto hasBreak = [](std::string_view s) {
        return s.find_first_of("\r\n") != std::string_view::npos;
    };
    const bool looksLikeHeader = line.starts_with('[') && line.ends_with(']');
    if (hasBreak(section) || hasBreak(line) || ident.find('=') != std::string_view::npos || looksLikeHeader)
        throw KestraveError("Cannot store key \"" + std::string(ident) + "\" of section [" +
                            std::string(section) + "] in " + file.string() +
                            ": it cannot be read back as one line");
}

}  // namespace

std::optional<std::int32_t> parseIniInteger(std::string_view text) {
    // "0x" counts as the hexadecimal prefix only at the very start of the text; after blanks only
    // "$" does.
    std::size_t hexStart = text.starts_with("0x") || text.starts_with("0X") ? 2 : 0;
    if (hexStart == 0) {
        std::size_t i = 0;
        while (i < text.size() && isBlank(text[i])) ++i;
        text.remove_prefix(i);
        if (text.starts_with('$')) hexStart = 1;
    }
    if (hexStart > 0) {
        const std::string_view digits = text.substr(hexStart);
        if (digits.empty() || digits.size() > 8) return std::nullopt;
        std::uint32_t value = 0;
        for (char c : digits) {
            const int d = hexDigitValue(c);
            if (d < 0) return std::nullopt;
            value = (value << 4) | static_cast<std::uint32_t>(d);
        }
        return static_cast<std::int32_t>(value);
    }

    bool negative = false;
    if (text.starts_with('+') || text.starts_with('-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

void writeFreshIniFile(const fs::path& path, const TBigIniFile& ini) {
    std::vector<std::string> lines;
    ini.WriteAllToStrings(lines);
    std::string text;
    for (const std::string& line : lines) text.append(line).append("\r\n");
    writeFileAtomically(path, text);
}

// ---- IniSection ----

std::ptrdiff_t IniSection::findKey(std::string_view ident) const {
    const auto scan = [&]() -> std::ptrdiff_t {
        for (std::size_t i = 0; i < lines_.size(); ++i)
            if (lineHasKey(lines_[i], ident)) return static_cast<std::ptrdiff_t>(i);
        return -1;
    };
    if (lines_.size() < kIndexedSectionSize) return scan();
    if (!indexed_) buildKeyIndex();
    const auto hit = keyIndex_.find(hashIgnoringCase(ident));
    if (hit == keyIndex_.end()) return -1;
    if (lineHasKey(lines_[hit->second], ident)) return static_cast<std::ptrdiff_t>(hit->second);
    return scan();  // two keys share the hash
}

void IniSection::buildKeyIndex() const {
    keyIndex_.clear();
    keyIndex_.reserve(lines_.size());
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (const auto key = keyOf(lines_[i])) keyIndex_.try_emplace(hashIgnoringCase(*key), i);
    indexed_ = true;
}

void IniSection::appendLine(std::string line) {
    lines_.push_back(std::move(line));
    if (!indexed_) return;
    if (const auto key = keyOf(lines_.back()))
        keyIndex_.try_emplace(hashIgnoringCase(*key), lines_.size() - 1);
}

void IniSection::eraseLine(std::size_t index) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
    keyIndex_.clear();
    indexed_ = false;
}

// ---- TSectionList ----

std::ptrdiff_t TSectionList::findFrom(std::size_t start, std::string_view name) const {
    const std::size_t count = sections_.size();
    if (count == 0) return -1;
    if (start >= count) start = 0;
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t i = (start + step) % count;
        if (sameTextIgnoringCase(sections_[i].name(), name)) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

std::ptrdiff_t TSectionList::IndexOf(std::string_view name) const {
    const std::ptrdiff_t found = findFrom(lastFound_, name);
    if (found >= 0) lastFound_ = static_cast<std::size_t>(found);
    return found;
}

IniSection& TSectionList::append(std::string name) {
    sections_.emplace_back(std::move(name));
    return sections_.back();
}

void TSectionList::append(IniSection section) {
    sections_.push_back(std::move(section));
}

void TSectionList::erase(std::size_t index) {
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(index));
    lastFound_ = 0;
}

// ---- TBigIniFile ----

TBigIniFile::TBigIniFile(fs::path fileName) : fileName_(std::move(fileName)) {
    if (!fileName_.empty()) LoadFromFile(fileName_);
    // Duplicate sections dropped by the first load are no reason to rewrite the file.
    changed_ = false;
}

TBigIniFile::~TBigIniFile() {
    try {
        flush();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kestrave: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "kestrave: cannot write file %s\n", fileName_.c_str());
    }
}

std::ptrdiff_t TBigIniFile::findSection(std::string_view name) const {
    const std::ptrdiff_t found = sections_.findFrom(lastSection_, name);
    if (found >= 0) lastSection_ = static_cast<std::size_t>(found);
    return found;
}

IniSection& TBigIniFile::findOrCreateSection(std::string_view name) {
    const std::ptrdiff_t found = findSection(name);
    if (found >= 0) return sections_[static_cast<std::size_t>(found)];
    lastSection_ = sections_.size();
    return sections_.append(std::string(name));
}

std::string TBigIniFile::ReadString(std::string_view section, std::string_view ident,
                                    std::string_view def) const {
    const std::ptrdiff_t s = findSection(section);
    if (s < 0) return std::string(def);
    const IniSection& entry = sections_[static_cast<std::size_t>(s)];
    const std::ptrdiff_t k = entry.findKey(ident);
    if (k < 0) return std::string(def);
    const std::string& line = entry.lines()[static_cast<std::size_t>(k)];
    return line.substr(line.find('=') + 1);
}

void TBigIniFile::WriteString(std::string_view section, std::string_view ident, std::string_view value) {
    if (ident.empty()) {
        if (section.empty() && value.empty())
            flush();
        else
            EraseSection(section);
        return;
    }
    std::string line;
    line.reserve(ident.size() + 1 + value.size());
    line.append(ident).append("=").append(value);
    checkStorable(fileName_, section, ident, line);

    IniSection& entry = findOrCreateSection(section);
    const std::ptrdiff_t k = entry.findKey(ident);
    if (k < 0) {
        entry.appendLine(std::move(line));
        changed_ = true;
    } else if (entry.lines()[static_cast<std::size_t>(k)] != line) {
        // Exact comparison: a key spelled in another case is rewritten the way it is passed now.
        entry.replaceLine(static_cast<std::size_t>(k), std::move(line));
        changed_ = true;
    }
}

int TBigIniFile::ReadInteger(std::string_view section, std::string_view ident, int def) const {
    return parseIniInteger(ReadString(section, ident, "")).value_or(def);
}

void TBigIniFile::WriteInteger(std::string_view section, std::string_view ident, int value) {
    WriteString(section, ident, std::to_string(value));
}

bool TBigIniFile::ReadBool(std::string_view section, std::string_view ident, bool def) const {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TBigIniFile::WriteBool(std::string_view section, std::string_view ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

void TBigIniFile::ReadSection(std::string_view section, std::vector<std::string>& strings) const {
    const std::ptrdiff_t s = sections_.IndexOf(section);
    if (s < 0) return;
    for (const std::string& line : sections_[static_cast<std::size_t>(s)].lines())
        strings.emplace_back(keyOf(line).value_or(std::string_view{}));
}

void TBigIniFile::ReadSections(std::vector<std::string>& strings) const {
    strings.clear();
    for (const IniSection& entry : sections_) strings.push_back(entry.name());
}

void TBigIniFile::ReadSectionValues(std::string_view section, std::vector<std::string>& strings) const {
    const std::ptrdiff_t s = sections_.IndexOf(section);
    if (s < 0) return;
    const auto& lines = sections_[static_cast<std::size_t>(s)].lines();
    strings.insert(strings.end(), lines.begin(), lines.end());
}

void TBigIniFile::EraseSection(std::string_view section) {
    const std::ptrdiff_t s = sections_.IndexOf(section);
    if (s < 0) return;
    sections_.erase(static_cast<std::size_t>(s));
    if (lastSection_ >= sections_.size()) lastSection_ = 0;
    changed_ = true;
}

void TBigIniFile::DeleteKey(std::string_view section, std::string_view ident) {
    IniSection& entry = findOrCreateSection(section);
    const std::ptrdiff_t k = entry.findKey(ident);
    if (k < 0) return;
    entry.eraseLine(static_cast<std::size_t>(k));
    changed_ = true;
}

template <class LineSink>
void TBigIniFile::forEachOutputLine(LineSink&& sink) const {
    for (const IniSection& entry : sections_) {
        if (entry.lines().empty()) continue;
        sink("[" + entry.name() + "]");
        for (const std::string& line : entry.lines()) sink(line);
        sink(std::string_view{});
    }
}

void TBigIniFile::WriteAllToStrings(std::vector<std::string>& strings) const {
    forEachOutputLine([&](std::string_view line) { strings.emplace_back(line); });
}

void TBigIniFile::flush() {
    if (!changed_) return;
    if (!fileName_.empty()) {
        SafeFileWriter writer(fileName_);
        std::string buffer;
        buffer.reserve(kTextBufferSize);
        forEachOutputLine([&](std::string_view line) {
            buffer.append(line).append("\r\n");
            if (buffer.size() >= kTextBufferSize) {
                writer.write(buffer);
                buffer.clear();
            }
        });
        writer.write(buffer);
        writer.commit();
    }
    changed_ = false;
}

void TBigIniFile::LoadFromFile(const fs::path& fileName) {
    lastSection_ = 0;
    std::error_code ec;
    if (!fs::exists(fileName, ec) && !ec) return;
    const std::vector<std::uint8_t> bytes = readWholeFile(fileName);
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    // A byte-order mark written by an editor is not part of the first line.
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);

    std::vector<IniSection> loaded;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size()) pos += (text.compare(pos, 2, "\r\n") == 0) ? 2 : 1;

        if (line.empty() || line == "\x1A") continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            loaded.emplace_back(std::string(line.substr(1, line.size() - 2)));
        } else if (!loaded.empty()) {
            loaded.back().appendLine(std::string(line));
        }
    }

    // A section whose name is already known (from memory or earlier in this file) is dropped
    // with its lines: the first one met is the one kept.
    std::unordered_multimap<std::uint64_t, std::size_t> known;
    known.reserve(sections_.size() + loaded.size());
    for (std::size_t i = 0; i < sections_.size(); ++i)
        known.emplace(hashIgnoringCase(sections_[i].name()), i);
    for (IniSection& section : loaded) {
        const std::uint64_t hash = hashIgnoringCase(section.name());
        const auto [first, last] = known.equal_range(hash);
        bool duplicate = false;
        for (auto it = first; it != last && !duplicate; ++it)
            duplicate = sameTextIgnoringCase(sections_[it->second].name(), section.name());
        if (duplicate) {
            changed_ = true;
            continue;
        }
        known.emplace(hash, sections_.size());
        sections_.append(std::move(section));
    }
}

}  // namespace kestrave
