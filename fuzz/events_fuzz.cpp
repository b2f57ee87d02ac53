// Sigma event logs ("Sigmaini.ini") and saved event lists (".kel"): the list of the log's
// frames, and for each line of it the frame it names, that frame's lines and the events shown
// (never more than its section holds). The log is kept as the saved list byte for byte, once, and the
// events read, logged again by the recording run's writer, read back at the same places.

#include <algorithm>
#include <climits>
#include <set>

#include "fuzz_support.h"
#include "stacking/sigma_events.h"

using namespace kestrave;

namespace {

// Every event of a frame, whatever its "Sigma".
constexpr double AllEvents = INT_MIN - 1.0;

// The events of frame `frame` as the viewer reads them: "Events" of them, never beyond the section.
std::vector<SigmaEvent> readEvents(const TBigIniFile& log, int frame) {
    std::vector<SigmaEvent> events;
    const std::string section = eventSection(frame - 1);
    for (const EventMark& mark : shownEvents(log, frame, AllEvents)) {
        const std::size_t k = events.size() + 1;
        events.push_back({mark.X, mark.Y,
                          static_cast<float>(log.ReadInteger(section, "Pixval" + std::to_string(k), 0)),
                          static_cast<float>(log.ReadInteger(section, "Hival" + std::to_string(k), 0))});
    }
    return events;
}

// The events logged again, once or as both fields of an interlaced frame: each frame's section
// holds them in the order logged, up to SigmaEventsPerFrame (the brightest of the field that
// reaches the cap, in row order, fill it), and its list line counts them.
void checkLoggedAgain(const TBigIniFile& log, const std::vector<std::string>& lines, SigmaEventScale scale,
                      bool bothFields) {
    TBigIniFile again{std::filesystem::path()};
    SigmaEventLog writer(again, scale);
    std::set<int> written;
    std::size_t logged = 0;
    int capped = 0;
    const auto byRow = [](const SigmaEvent& a, const SigmaEvent& b) {
        return a.Y != b.Y ? a.Y < b.Y : a.X < b.X;
    };
    for (const std::string& line : lines) {
        const std::optional<int> frame = listLineFrame(line);
        if (!frame || !written.insert(*frame).second) continue;
        const std::vector<SigmaEvent> events = readEvents(log, *frame);
        if (events.empty()) continue;
        writer.frameEvents(*frame - 1, events, events.size());
        if (bothFields) writer.frameEvents(*frame - 1, events, events.size());
        ++logged;
        const std::size_t count = events.size() * (bothFields ? 2 : 1);
        capped += count > SigmaEventsPerFrame;

        const std::vector<SigmaEvent> reread = readEvents(again, *frame);
        FUZZ_CHECK(reread.size() == std::min(count, SigmaEventsPerFrame));
        FUZZ_CHECK(writer.listLines().back() ==
                   eventSection(*frame - 1) + " Events " + std::to_string(reread.size()));
        FUZZ_CHECK(again.ReadInteger(eventSection(*frame - 1), "HiSigma", 0) >= 1);
        const std::size_t first = std::min(events.size(), SigmaEventsPerFrame);
        if (events.size() > SigmaEventsPerFrame)
            FUZZ_CHECK(std::is_sorted(reread.begin(), reread.end(), byRow));
        else
            for (std::size_t k = 0; k < first; ++k)
                FUZZ_CHECK(reread[k].X == events[k].X && reread[k].Y == events[k].Y);
        if (bothFields && count > SigmaEventsPerFrame && first < SigmaEventsPerFrame)
            FUZZ_CHECK(
                std::is_sorted(reread.begin() + static_cast<std::ptrdiff_t>(first), reread.end(), byRow));
    }
    FUZZ_CHECK(writer.listLines().size() == logged && writer.cappedFrames() == capped);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzz::writeInput({data, size}, "input.kel");
    fuzz::expectMessages([&] {
        const TBigIniFile log(path);
        std::vector<std::string> sections;
        log.ReadSections(sections);
        for (const double threshold : {0.0, 300.0}) {
            const std::vector<std::string> lines = eventListLines(log, threshold);
            FUZZ_CHECK(lines.size() == sections.size());
            for (std::size_t i = 0; i < lines.size(); ++i) {
                const std::optional<int> frame = listLineFrame(lines[i]);
                // A section the log writer names is found again from its line.
                if (sections[i].starts_with("Frame") && sections[i] != "Frame" && sections[i][5] != '0' &&
                    sections[i].find_first_not_of("0123456789", 5) == std::string::npos &&
                    sections[i].size() < 15)
                    FUZZ_CHECK(frame && eventSection(*frame - 1) == sections[i]);
                if (!frame) continue;
                FUZZ_CHECK(*frame >= 1);
                const std::vector<std::string> values = frameEventLines(log, *frame);
                FUZZ_CHECK(shownEvents(log, *frame, threshold).size() <= values.size() / 5);
            }
        }
        // The list lines of a log that holds other text.
        std::string text(reinterpret_cast<const char*>(data), size);
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            if (const auto frame = listLineFrame(std::string_view(text).substr(start, end - start)))
                FUZZ_CHECK(*frame >= 1);
            start = end + 1;
        }

        const auto saved = fuzz::scratchFile("saved.kel");
        fuzz::removeHarnessFile(saved);
        FUZZ_CHECK(keepEventList(path, saved) && fuzz::readHarnessFile(saved) == text);
        // The list kept from the first recording run stays: a later run's log never replaces it.
        FUZZ_CHECK(!keepEventList(path, saved) && fuzz::readHarnessFile(saved) == text);

        // The scale of the run that logs them again: a floor of 0..255, a sigma factor up to 10.
        const SigmaEventScale scale{size > 0 ? data[0] : 100, size > 1 ? 100 + data[1] * 4 : 200};
        checkLoggedAgain(log, eventListLines(log, 0.0), scale, (size & 1) == 0);
    });
    return 0;
}
