// Language files ("lang_xx.txt") and caption lists: any bytes, read in the character set the
// first byte picks, give texts that are UTF-8 of at most 1023 characters; applying them sets only
// paths of the caption list, each once with its hint after it, and a list never has an item with
// blanks around it. A template built from the paths and texts the file set reads back as those
// texts.

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "persist/language_file.h"

using namespace kestrave;

namespace {

constexpr std::array<int, 14> Charsets{0, 1, 2, 128, 129, 134, 136, 161, 162, 177, 178, 186, 204, 238};

std::size_t utf8Characters(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = byte < 0x80    ? 1
                                   : byte >= 0xF0 ? 4
                                   : byte >= 0xE0 ? 3
                                   : byte >= 0xC2 ? 2
                                                  : 0;
        FUZZ_CHECK(length > 0 && i + length <= text.size());
        for (std::size_t k = 1; k < length; ++k)
            FUZZ_CHECK((static_cast<unsigned char>(text[i + k]) & 0xC0u) == 0x80u);
        i += length;
        ++count;
    }
    return count;
}

bool plainPath(const std::string& path) {
    return !path.empty() && path.size() < 200 && std::all_of(path.begin(), path.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
               c == '.';
    });
}

// Every component has every property: a text, except "items" (a list) and "Tag" (a number).
class Recorder : public LanguageTarget {
public:
    struct Set {
        std::string path;
        std::string value;
    };
    std::vector<Set> sets;

    Kind kind(const std::string&, const std::string& property) const override {
        if (property == "items") return Kind::List;
        if (property == "Tag") return Kind::Integer;
        return Kind::Text;
    }
    void setText(const std::string& component, const std::string& property,
                 const std::string& value) override {
        FUZZ_CHECK(!value.empty());
        sets.push_back({component + "." + property, value});
    }
    void setInteger(const std::string& component, const std::string& property, int value) override {
        sets.push_back({component + "." + property, std::to_string(value)});
    }
    void setList(const std::string& component, const std::string& property,
                 const std::vector<std::string>& items) override {
        for (const std::string& item : items)
            FUZZ_CHECK(item.empty() || (item.front() != ' ' && item.back() != ' '));
        sets.push_back({component + "." + property, "<list>"});
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int charset = Charsets[data[0] % Charsets.size()];
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto path = fuzz::writeInput({data + 1, size - 1}, "lang_xx.txt");
    fuzz::expectMessages([&] {
        TLanguage texts = TLanguage::read(path, charset);
        // The file's own lines are its caption list too.
        const std::vector<std::string> paths = readCaptionList(path);
        texts.Properties = paths;
        Recorder target;
        const int set = texts.Apply(target);
        FUZZ_CHECK(set >= 0 && static_cast<std::size_t>(set) <= paths.size());

        std::vector<TemplateEntry> entries;
        for (const std::string& entry : paths) {
            const std::optional<std::string> value = texts.value(entry);
            if (!value) continue;
            FUZZ_CHECK(utf8Characters(*value) <= 1023);
            FUZZ_CHECK(value->find_first_of("\r\n") == std::string::npos);
            if (plainPath(entry))
                entries.push_back({static_cast<int>(entries.size() % 999) + 1, entry, *value});
        }
        for (const Recorder::Set& done : target.sets) FUZZ_CHECK(utf8Characters(done.value) <= 1023);

        const TranslationTemplate written = buildTranslationTemplate(entries);
        const TLanguage back = TLanguage::parse(written.templateText, DefaultCharset);
        for (const TemplateEntry& entry : entries) {
            const std::optional<std::string> read = back.value(entry.path);
            FUZZ_CHECK(read.has_value());
            // A key seen twice keeps its first text, in the file as in the template.
            FUZZ_CHECK(*read == *texts.value(entry.path));
        }
    });
    return 0;
}
