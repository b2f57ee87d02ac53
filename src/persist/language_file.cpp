#include "persist/language_file.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <iterator>
#include <utility>

namespace kestrave {

namespace {

constexpr std::string_view Blanks = " \t";
constexpr std::size_t MaxValueCharacters = 1023;
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::size_t PathColumn = 50;

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

std::string lowerAscii(std::string_view text) {
    std::string folded(text);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

// A decimal integer with an optional sign and nothing else; nullopt for anything else.
std::optional<int> decimalInteger(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Checks the whole text as UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t code = 0;
        if (byte < 0x80) {
            ++i;
            continue;
        }
        if (byte >= 0xC2 && byte <= 0xDF) {
            length = 2;
            code = byte & 0x1Fu;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            length = 3;
            code = byte & 0x0Fu;
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            length = 4;
            code = byte & 0x07u;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0u) != 0x80u) return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        const char32_t smallest = length == 3 ? 0x800 : length == 4 ? 0x10000 : 0x80;
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

// The text in UTF-8, decoded from `codePage`; a byte that is no character there becomes U+FFFD.
std::string decoded(std::string_view bytes, const char* codePage) {
    iconv_t converter = iconv_open("UTF-8", codePage);
    if (converter == reinterpret_cast<iconv_t>(-1)) converter = iconv_open("UTF-8", "CP1252");
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(bytes);
    std::string result;
    std::array<char, 256> buffer{};
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* out = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
        result.append(buffer.data(), static_cast<std::size_t>(out - buffer.data()));
        if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        // An invalid or unfinished sequence: one byte is replaced and the decoding goes on.
        result.append("\xEF\xBF\xBD");
        ++in;
        --inLeft;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(converter);
    return result;
}

// At most `count` characters of a UTF-8 text.
std::string firstCharacters(std::string text, std::size_t count) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0u) == 0x80u) continue;
        if (characters++ == count) {
            text.resize(i);
            break;
        }
    }
    return text;
}

// The lines of a text; "\r\n", "\n" and "\r" each end one.
std::vector<std::string_view> textLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

// The raw keys and values of section "Translations", the first of each key kept.
std::vector<std::pair<std::string_view, std::string_view>> translationEntries(std::string_view text) {
    std::vector<std::pair<std::string_view, std::string_view>> entries;
    std::vector<std::string> seen;
    bool inSection = false;
    for (const std::string_view line : textLines(text)) {
        const std::string_view content = trimmed(line);
        if (content.starts_with('[')) {
            const std::size_t close = content.find(']');
            inSection = close != std::string_view::npos &&
                        lowerAscii(trimmed(content.substr(1, close - 1))) == "translations";
            continue;
        }
        const std::size_t equals = content.find('=');
        if (!inSection || equals == std::string_view::npos) continue;
        const std::string_view key = trimmed(content.substr(0, equals));
        std::string folded = lowerAscii(key);
        if (key.empty() || std::find(seen.begin(), seen.end(), folded) != seen.end()) continue;
        seen.push_back(std::move(folded));
        entries.emplace_back(key, trimmed(content.substr(equals + 1)));
    }
    return entries;
}

void trimInPlace(std::string& text) {
    text = std::string(trimmed(text));
}

// The first "*" of the value becomes a line break.
void breakFirstStar(std::string& value) {
    const std::size_t star = value.find('*');
    if (star != std::string::npos) value[star] = LanguageLineBreak;
}

// The text as one template line: the first line break as "*", any further one as a blank.
std::string oneLine(std::string_view text) {
    std::string line;
    bool broken = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        line += broken ? ' ' : '*';
        broken = true;
    }
    return line;
}

struct CharsetCodePage {
    int charset;
    const char* codePage;
};

constexpr std::array<CharsetCodePage, 11> CodePages{{{128, "SHIFT_JIS"},
                                                     {129, "CP949"},
                                                     {134, "GBK"},
                                                     {136, "BIG5"},
                                                     {161, "CP1253"},
                                                     {162, "CP1254"},
                                                     {177, "CP1255"},
                                                     {178, "CP1256"},
                                                     {186, "CP1257"},
                                                     {204, "CP1251"},
                                                     {238, "CP1250"}}};

struct LanguageCharset {
    std::string_view item;
    int charset;
};

constexpr std::array<LanguageCharset, 16> LanguageCharsets{{{"lang_kr", 129},
                                                            {"lang_gr", 161},
                                                            {"lang_cn", 136},
                                                            {"lang_sg", 134},
                                                            {"lang_hk", 134},
                                                            {"lang_jp", 128},
                                                            {"lang_tr", 162},
                                                            {"lang_sr", 204},
                                                            {"lang_ru", 204},
                                                            {"lang_bg", 204},
                                                            {"lang_ee", 186},
                                                            {"lang_lt", 186},
                                                            {"lang_pl", 238},
                                                            {"lang_hu", 238},
                                                            {"lang_ro", 238},
                                                            {"lang_sk", 238}}};

constexpr std::array<int, 17> ComboCharsets{0,   1,   2,   128, 129, 134, 136, 255, 130,
                                            177, 178, 161, 162, 163, 222, 238, 204};

}  // namespace

TLanguage TLanguage::parse(std::string_view bytes, int charset) {
    if (bytes.starts_with(Utf8Bom)) bytes.remove_prefix(Utf8Bom.size());
    TLanguage texts;
    const auto entries = translationEntries(bytes);
    for (const auto& [key, value] : entries)
        if (lowerAscii(key) == "charset1.caption") texts.namedCharset_ = decimalInteger(value);
    texts.charset_ = texts.namedCharset_.value_or(charset);
    const bool utf8 = isValidUtf8(bytes);
    const char* codePage = codePageOfCharset(texts.charset_);
    for (const auto& [key, value] : entries) {
        std::string text = utf8 ? std::string(value) : decoded(value, codePage);
        // Paths are ASCII: the key is compared as it stands.
        // Cut to its length, a value is trimmed again: no blanks end up around it.
        texts.values_.emplace(lowerAscii(key), trimmed(firstCharacters(std::move(text), MaxValueCharacters)));
    }
    return texts;
}

TLanguage TLanguage::read(const std::filesystem::path& path, int charset) {
    std::ifstream file(path, std::ios::binary);
    std::string bytes;
    if (file) bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    // A missing or unreadable file has no texts; the language still needs its character set.
    return parse(file.bad() ? std::string() : bytes, charset);
}

std::optional<std::string> TLanguage::value(std::string_view key) const {
    const auto found = values_.find(lowerAscii(trimmed(key)));
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

const char* codePageOfCharset(int charset) {
    for (const CharsetCodePage& entry : CodePages)
        if (entry.charset == charset) return entry.codePage;
    return "CP1252";
}

int languageCharset(std::string_view item) {
    for (const LanguageCharset& entry : LanguageCharsets)
        if (entry.item == item) return entry.charset;
    return DefaultCharset;
}

std::optional<int> charsetOfComboItem(int index) {
    if (index < 0 || index >= static_cast<int>(ComboCharsets.size())) return std::nullopt;
    return ComboCharsets[static_cast<std::size_t>(index)];
}

const std::vector<std::string>& charsetComboItems() {
    static const std::vector<std::string> items{
        "  ANSI_CHARSET",    "  DEFAULT_CHARSET",    "  SYMBOL_CHARSET",      "  SHIFTJIS_CHARSET",
        "  HANGEUL_CHARSET", "  GB2312_CHARSET",     "  CHINESEBIG5_CHARSET", "  OEM_CHARSET",
        "  JOHAB_CHARSET",   "  HEBREW_CHARSET",     "  ARABIC_CHARSET",      "  GREEK_CHARSET",
        "  TURKISH_CHARSET", "  VIETNAMESE_CHARSET", "  THAI_CHARSET",        "  EASTEUROPE_CHARSET",
        "  RUSSIAN_CHARSET "};
    return items;
}

std::vector<std::string> splitLanguageList(std::string_view value, std::string_view separator) {
    if (trimmed(separator).empty()) separator = ",";
    std::vector<std::string> items;
    std::size_t start = 0;
    for (std::size_t at = value.find(separator); at != std::string_view::npos;
         at = value.find(separator, start)) {
        items.emplace_back(trimmed(value.substr(start, at - start)));
        start = at + separator.size();
    }
    const std::string_view last = trimmed(value.substr(start));
    if (!last.empty()) items.emplace_back(last);
    return items;
}

int TLanguage::Apply(LanguageTarget& target) const {
    using Kind = LanguageTarget::Kind;
    int set = 0;
    for (const std::string& entry : Properties) {
        const std::string_view path = trimmed(entry);
        if (path.empty()) continue;
        std::string value = this->value(path).value_or(std::string());
        // Every component belongs to the window itself: a path is one name and one property.
        const std::size_t dot = path.find('.');
        if (value.empty() || dot == std::string_view::npos) continue;
        std::string component(path.substr(0, dot));
        std::string property(path.substr(dot + 1));
        trimInPlace(component);
        trimInPlace(property);
        if (property.find('.') != std::string::npos) continue;
        const Kind kind = target.kind(component, property);
        breakFirstStar(value);
        if (kind == Kind::Missing) continue;  // an unknown component or property sets nothing
        if (kind == Kind::Integer) {
            // Text that is no number skips this entry alone, not the rest of the file.
            const std::optional<int> number = decimalInteger(value);
            if (!number) continue;
            target.setInteger(component, property, *number);
        } else if (kind == Kind::List) {
            target.setList(component, property, splitLanguageList(value, Separator));
        } else {
            target.setText(component, property, value);
        }
        breakFirstStar(value);
        if (target.kind(component, "Hint") == Kind::Text) target.setText(component, "Hint", value);
        ++set;
    }
    return set;
}

std::vector<std::string> untranslatedFirst(const std::vector<std::string>& properties, const TLanguage& texts,
                                           const std::map<std::string, std::string>& builtIn) {
    std::vector<std::string> ordered = properties;
    std::stable_partition(ordered.begin(), ordered.end(), [&](const std::string& entry) {
        const std::string_view path = trimmed(entry);
        const std::optional<std::string> value = texts.value(path);
        const auto own = builtIn.find(lowerAscii(path));
        return value && own != builtIn.end() && *value == trimmed(oneLine(own->second));
    });
    return ordered;
}

TranslationTemplate buildTranslationTemplate(const std::vector<TemplateEntry>& entries) {
    constexpr std::string_view Eol = "\r\n";
    TranslationTemplate result;
    std::string& text = result.templateText;
    for (const char* line : {"[Translator]", "language =", "name =", " ", "[translations]"})
        text.append(line).append(Eol);
    for (int tag = 1; tag <= 999; ++tag) {
        if (tag % 100 == 0)
            text.append(Eol)
                .append("************** tabpage " + std::to_string(tag / 100) + " ***************")
                .append(Eol)
                .append(Eol);
        bool first = true;
        for (const TemplateEntry& entry : entries) {
            if (entry.tag != tag) continue;
            if (first)
                text.append(" ").append(Eol).append("; componentgroup" + std::to_string(tag)).append(Eol);
            first = false;
            std::string path = oneLine(entry.path);
            result.captionList.append(path).append(Eol);
            if (path.size() < PathColumn) path.resize(PathColumn, ' ');
            text.append(path).append(" =").append(oneLine(entry.text)).append(Eol);
        }
    }
    return result;
}

std::vector<std::string> readCaptionList(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<std::string> paths;
    for (const std::string_view line : textLines(bytes)) paths.emplace_back(line);
    return paths;
}

bool isTemplateName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
}

}  // namespace kestrave
