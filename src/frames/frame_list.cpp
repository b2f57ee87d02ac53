#include "frames/frame_list.h"

#include <algorithm>
#include <system_error>

#include "platform/errors.h"
#include "platform/safe_file.h"

namespace kestrave {

namespace {

bool stillKind(InputFilter kind) {
    return kind != InputFilter::None && kind != InputFilter::AVI && kind != InputFilter::SER;
}

// Takes `file` into the entries when it is of their kind: every still frame up to the cap, and
// of SER only the first video.
void takeEntry(FrameListEntries& entries, std::string file, InputFilter kind) {
    const bool room = entries.kind == InputFilter::SER
                          ? entries.files.empty()
                          : entries.files.size() < static_cast<std::size_t>(FrameCapacity);
    if (kind != entries.kind || (entries.kind == InputFilter::SER && !room)) {
        ++entries.leftOut;
        return;
    }
    if (!room) {
        entries.capped = true;
        return;
    }
    entries.files.push_back(std::move(file));
}

bool blank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

[[noreturn]] void notAFrameList(std::size_t lineNumber, const char* why) {
    throw FileError("Not a frame list: line " + std::to_string(lineNumber) + " " + why);
}

}  // namespace

InputFilter frameListKind(const std::string& file) {
    const InputFilter kind = filterOfFile(file);
    return kind == InputFilter::None || kind == InputFilter::AVI ? InputFilter::BMP : kind;
}

FrameListEntries parseFrameList(std::string_view text, InputFilter kind) {
    FrameListEntries entries;
    entries.kind = kind;
    // A byte-order mark written by a text editor is not part of the first path.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > MaxFrameListLine) notAFrameList(lineNumber, "is too long");
        if (std::any_of(line.begin(), line.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; }))
            notAFrameList(lineNumber, "holds a control character");
        if (blank(line)) continue;
        std::string file(line);
        if (entries.kind == InputFilter::None) entries.kind = frameListKind(file);
        const InputFilter lineKind = frameListKind(file);
        takeEntry(entries, std::move(file), lineKind);
    }
    return entries;
}

FrameListEntries readFrameList(const std::filesystem::path& file, InputFilter kind) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) throw FileError("Cannot read the frame list " + file.string());
    if (size > MaxFrameListBytes) throw FileError("Not a frame list (too large): " + file.string());
    const std::vector<std::uint8_t> bytes = readWholeFile(file);
    try {
        FrameListEntries entries =
            parseFrameList(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), kind);
        // A relative name in a list is taken from the list's own folder.
        for (std::string& entry : entries.files)
            if (std::filesystem::path(entry).is_relative())
                entry = (file.parent_path() / entry).lexically_normal().string();
        return entries;
    } catch (const FileError& bad) {
        throw FileError(std::string(bad.what()) + " (" + file.string() + ")");
    }
}

std::string frameListText(const std::vector<std::string>& files) {
    std::string text;
    // A first path that begins like a byte-order mark keeps it behind one, which the reader takes off.
    if (!files.empty() && files.front().starts_with("\xEF\xBB\xBF")) text = "\xEF\xBB\xBF";
    for (const std::string& file : files) {
        if (file.size() > MaxFrameListLine ||
            file.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
            throw FileError("A frame list cannot hold the file name " + file);
        text += file;
        text += "\r\n";
    }
    return text;
}

void writeFrameList(const std::filesystem::path& file, const std::vector<std::string>& files) {
    writeFileAtomically(file, frameListText(files));
}

std::vector<std::string> checkedFrameFiles(const FrameModel& model, const std::vector<bool>& entryChecked) {
    if (!model.InputIsSeries) return {};
    const auto checked = std::count(entryChecked.begin(), entryChecked.end(), true);
    if (model.InputIsSER)
        return checked > 0 ? std::vector<std::string>{model.SerName} : std::vector<std::string>{};
    std::vector<int> frames;
    frames.reserve(static_cast<std::size_t>(checked));
    for (std::size_t j = 0; j < entryChecked.size(); ++j) {
        if (!entryChecked[j]) continue;
        const int position = static_cast<int>(j);
        frames.push_back(model.FramesRanked ? model.FrameRanking[position].Frame : position);
    }
    std::sort(frames.begin(), frames.end());
    std::vector<std::string> files;
    files.reserve(frames.size());
    for (const int frame : frames) files.push_back(model.FrameNames[frame]);
    return files;
}

std::vector<std::string> seriesFiles(const FrameModel& model, int lastIndex) {
    if (!model.InputIsSeries || model.InputIsSER) return {};
    const int last = model.SingleImage ? 0 : std::min(lastIndex, FrameCapacity - 1);
    std::vector<std::string> files;
    files.reserve(static_cast<std::size_t>(std::max(last + 1, 0)));
    for (int i = 0; i <= last; ++i) files.push_back(model.FrameNames[i]);
    return files;
}

FrameListEntries droppedEntries(const std::vector<std::string>& dropped) {
    FrameListEntries entries;
    if (dropped.empty()) return entries;
    entries.kind = filterOfFile(dropped.front());
    if (entries.kind == InputFilter::None || entries.kind == InputFilter::AVI) {
        entries.kind = InputFilter::None;
        entries.leftOut = dropped.size();
        return entries;
    }
    for (const std::string& file : dropped) takeEntry(entries, file, filterOfFile(file));
    return entries;
}

AppendedInput appendToSeries(const std::vector<std::string>& current, InputFilter currentKind,
                             const FrameListEntries& entries) {
    AppendedInput input;
    InputPlan& plan = input.plan;
    plan.filter = entries.kind;
    plan.filesCapped = entries.capped;
    if (stillKind(entries.kind) && entries.kind == currentKind) {
        plan.files.assign(current.begin(),
                          current.begin() + std::min<std::ptrdiff_t>(std::ssize(current), FrameCapacity));
        input.kept = plan.files.size();
    }
    for (const std::string& file : entries.files) {
        if (plan.files.size() == static_cast<std::size_t>(FrameCapacity)) {
            plan.filesCapped = true;
            break;
        }
        plan.files.push_back(file);
    }
    return input;
}

InputFilter filterOfInputType(TInputType type) {
    return static_cast<InputFilter>(static_cast<int>(type) + 1);
}

}  // namespace kestrave
