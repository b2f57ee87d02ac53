#include "stacking/sigma_events.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <system_error>

#include "platform/safe_file.h"
#include "stacking/stack_list.h"

namespace kestrave {

namespace fs = std::filesystem;

namespace {

constexpr const char* BoxSection = "Edges";
constexpr const char* SavedEventListExtension = ".kel";
// The constants added to the floor in the event's own ratio and in the frame's largest one.
constexpr double SigmaFloorBias = 0.001;
constexpr double HiSigmaFloorBias = 0.01;
// Keys of one event.
constexpr int KeysPerEvent = 5;

// Round half to even, clamped to the integer range first (FITS samples can be far above 255).
int roundClamped(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::nearbyint(std::clamp(v, double{INT_MIN}, double{INT_MAX})));
}

std::string numbered(const char* key, std::size_t k) {
    return key + std::to_string(k);
}

}  // namespace

SigmaEventScale sigmaEventScale(const StackOptions& options) {
    return {roundClamped(options.Lowpixdetect), roundClamped(options.Statisticspin * 100.0)};
}

std::string eventSection(int frameIndex) {
    return "Frame" + std::to_string(frameIndex + 1);
}

SigmaEventLog::SigmaEventLog(TBigIniFile& log, SigmaEventScale scale) : log_(log), scale_(scale) {}

void SigmaEventLog::frameEvents(int frameIndex, const std::vector<SigmaEvent>& events, std::size_t found) {
    if (events.empty()) return;
    // The second field of an interlaced frame numbers on in the frame's section.
    const bool sameFrame = frameIndex == frame_;
    if (!sameFrame) {
        frame_ = frameIndex;
        count_ = found_ = 0;
        hiSigma_ = 1.0;
    }
    const bool wasCapped = found_ > count_;
    found_ += std::max(found, events.size());

    // Room left under the cap; the brightest of the new events take it.
    std::vector<SigmaEvent> taken = events;
    const std::size_t room = SigmaEventsPerFrame - std::min(count_, SigmaEventsPerFrame);
    if (taken.size() > room) {
        std::nth_element(taken.begin(), taken.begin() + static_cast<std::ptrdiff_t>(room), taken.end(),
                         brighterEvent);
        taken.resize(room);
        std::sort(taken.begin(), taken.end(), [](const SigmaEvent& a, const SigmaEvent& b) {
            return a.Y != b.Y ? a.Y < b.Y : a.X < b.X;
        });
    }

    const std::string section = eventSection(frameIndex);
    const double L = scale_.L;
    const double S = scale_.S;
    for (const SigmaEvent& event : events)
        hiSigma_ = std::max(hiSigma_, event.Value / (L + HiSigmaFloorBias) * S);
    if (!taken.empty()) {
        // "HiSigma" stays the section's last key.
        if (sameFrame) log_.DeleteKey(section, "HiSigma");
        log_.WriteInteger(section, "Events", static_cast<int>(count_ + taken.size()));
        for (const SigmaEvent& event : taken) {
            ++count_;
            log_.WriteInteger(section, numbered("X", count_), event.X);
            log_.WriteInteger(section, numbered("Y", count_), event.Y);
            log_.WriteInteger(section, numbered("Pixval", count_), roundClamped(event.Value));
            log_.WriteInteger(section, numbered("Hival", count_), roundClamped(event.High));
            log_.WriteInteger(section, numbered("Sigma", count_),
                              roundClamped(event.Value / (L + SigmaFloorBias) * S));
        }
    }
    log_.WriteInteger(section, "HiSigma", roundClamped(hiSigma_));

    const std::string line = section + " Events " + std::to_string(count_);
    if (sameFrame && !lines_.empty())
        lines_.back() = line;
    else
        lines_.push_back(line);
    if (found_ > count_ && !wasCapped) {
        if (cappedFrames_ == 0) firstCapped_ = frameIndex;
        ++cappedFrames_;
    }
}

std::vector<std::string> eventListLines(const TBigIniFile& log, double threshold) {
    std::vector<std::string> sections;
    log.ReadSections(sections);
    std::vector<std::string> lines;
    lines.reserve(sections.size());
    for (const std::string& name : sections) {
        const int events = log.ReadInteger(name, "Events", 0);
        const int hiSigma = log.ReadInteger(name, "HiSigma", 0);
        lines.push_back(hiSigma > threshold ? name + " Events (max: " + std::to_string(events) + ")"
                                            : name + " Events No");
    }
    return lines;
}

std::optional<int> listLineFrame(std::string_view line) {
    // "Frame" takes the first five characters; the number runs up to the blank before "Event".
    const std::size_t event = line.find("Event");
    constexpr std::size_t first = 5;
    if (event == std::string_view::npos || event < first + 2) return std::nullopt;
    const std::string_view digits = line.substr(first, event - 1 - first);
    int frame = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), frame);
    if (error != std::errc{} || end != digits.data() + digits.size())
        throw std::invalid_argument("'" + std::string(digits) + "' is not a valid integer value");
    if (frame < 1) return std::nullopt;
    return frame;
}

std::vector<std::string> frameEventLines(const TBigIniFile& log, int frameNumber) {
    std::vector<std::string> lines;
    log.ReadSectionValues(eventSection(frameNumber - 1), lines);
    return lines;
}

std::vector<EventMark> shownEvents(const TBigIniFile& log, int frameNumber, double threshold) {
    const std::string section = eventSection(frameNumber - 1);
    std::vector<std::string> lines;
    log.ReadSectionValues(section, lines);
    // A damaged or hostile count cannot make the reader walk past the section.
    const long long held = static_cast<long long>(lines.size()) / KeysPerEvent;
    const long long count = std::clamp<long long>(log.ReadInteger(section, "Events", 0), 0, held);
    std::vector<EventMark> marks;
    for (long long k = 1; k <= count; ++k) {
        const auto key = static_cast<std::size_t>(k);
        if (log.ReadInteger(section, numbered("Sigma", key), 0) <= threshold) continue;
        marks.push_back({log.ReadInteger(section, numbered("X", key), 0),
                         log.ReadInteger(section, numbered("Y", key), 0)});
    }
    return marks;
}

int lastRankOf(const FrameModel& model, int frame, int lastRank) {
    for (int rank = std::min(lastRank, MaxFrameIndex); rank >= 0; --rank)
        if (frameAtRank(model, rank) == frame) return rank;
    return -1;
}

fs::path savedEventListPath(const fs::path& folder, const FrameModel& model) {
    if (model.AviName.empty()) return {};
    return folder / (fs::path(model.AviName).stem().string() + SavedEventListExtension);
}

bool keepEventList(const fs::path& log, const fs::path& saved) {
    std::error_code error;
    if (!fs::exists(log, error) || fs::exists(saved, error)) return false;
    const std::vector<std::uint8_t> bytes = readWholeFile(log);
    writeFileAtomically(saved, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return true;
}

void writeSigmaBox(const fs::path& file, const SigmaBox& box) {
    // Built in memory (a nameless file never writes), so nothing of an older file is kept.
    TBigIniFile ini{fs::path{}};
    ini.WriteInteger(BoxSection, "Type", box.Type);
    ini.WriteInteger(BoxSection, "Top", box.Top);
    ini.WriteInteger(BoxSection, "Bottom", box.Bottom);
    ini.WriteInteger(BoxSection, "Left", box.Left);
    ini.WriteInteger(BoxSection, "Right", box.Right);
    std::vector<std::string> lines;
    ini.WriteAllToStrings(lines);
    std::string text;
    for (const std::string& line : lines) text.append(line).append("\r\n");
    writeFileAtomically(file, text);
}

SigmaBox readSigmaBox(const fs::path& file, int imageWidth, int imageHeight) {
    const TBigIniFile ini(file);
    SigmaBox box;
    box.Type = ini.ReadInteger(BoxSection, "Type", 0) == 1 ? 1 : 0;
    box.Top = ini.ReadInteger(BoxSection, "Top", 0);
    box.Bottom = ini.ReadInteger(BoxSection, "Bottom", imageHeight);
    box.Left = ini.ReadInteger(BoxSection, "Left", 0);
    box.Right = ini.ReadInteger(BoxSection, "Right", imageWidth);
    return box;
}

}  // namespace kestrave
