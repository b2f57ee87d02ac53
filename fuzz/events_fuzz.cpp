// Sigma event logs ("Sigmaini.ini") and saved event lists (".kel"): the list of the log's
// frames, and for each line of it the frame it names, that frame's lines and the events shown
// (never more than its section holds).

#include "fuzz_support.h"
#include "stacking/sigma_events.h"

using namespace kestrave;

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
                    sections[i].find_first_not_of("0123456789", 5) == std::string::npos && sections[i].size() < 15)
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
    });
    return 0;
}
