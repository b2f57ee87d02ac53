// The INI-file class behind project, scheme, point, filter, sigma and settings files: any text
// is read; every key is found again as the first line of its section that carries it; a key
// written is read back; and the file the class writes reads back as the same content.

#include <vector>

#include "fuzz_support.h"
#include "persist/big_ini_file.h"
#include "persist/ignore_case.h"

using namespace kestrave;

namespace {

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text.append(line).append("\r\n");
    return text;
}

bool hasSection(const std::vector<std::string>& sections, std::string_view name) {
    for (const std::string& section : sections)
        if (sameTextIgnoringCase(section, name)) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzz::writeInput({data, size}, "input.ini");
    const auto copy = fuzz::scratchFile("copy.ini");
    fuzz::expectMessages([&] {
        std::vector<std::string> sections, written;
        {
            const TBigIniFile ini(path);
            FUZZ_CHECK(!ini.changed());
            ini.ReadSections(sections);
            for (const std::string& section : sections) {
                std::vector<std::string> lines, keys;
                ini.ReadSectionValues(section, lines);
                ini.ReadSection(section, keys);
                FUZZ_CHECK(lines.size() == keys.size());
                for (std::size_t i = 0; i < lines.size(); ++i) {
                    if (lines[i].find('=') == std::string::npos) continue;
                    std::size_t first = 0;
                    while (lines[first].find('=') == std::string::npos ||
                           !sameTextIgnoringCase(keys[first], keys[i]))
                        ++first;
                    FUZZ_CHECK(ini.ReadString(section, keys[i], "\n") ==
                               lines[first].substr(keys[first].size() + 1));
                    ini.ReadInteger(section, keys[i], 0);
                }
            }
            ini.WriteAllToStrings(written);
        }

        fuzz::copyHarnessFile(path, copy);
        {
            TBigIniFile ini(copy);
            // A key written is read back; taken away again, the content is as it was.
            if (!sections.empty()) {
                const std::string& section = sections.front();
                if (ini.ReadString(section, "fuzzkey", "\n") == "\n") {
                    ini.WriteInteger(section, "fuzzkey", -17);
                    FUZZ_CHECK(ini.ReadInteger(section, "fuzzkey", 0) == -17);
                    ini.DeleteKey(section, "fuzzkey");
                }
            }
            // A section added and erased leaves the content as it was but the object changed, so
            // the flush writes the whole file.
            if (!hasSection(sections, "fuzz section")) {
                ini.WriteBool("fuzz section", "key", true);
                ini.EraseSection("fuzz section");
            }
            std::vector<std::string> lines;
            ini.WriteAllToStrings(lines);
            FUZZ_CHECK(lines == written);
            ini.flush();
            FUZZ_CHECK(!ini.changed());
        }
        if (!hasSection(sections, "fuzz section")) FUZZ_CHECK(fuzz::readHarnessFile(copy) == joined(written));
        // The file written reads back as the same content.
        const TBigIniFile again(copy);
        std::vector<std::string> rewritten;
        again.WriteAllToStrings(rewritten);
        FUZZ_CHECK(rewritten == written);
    });
    return 0;
}
