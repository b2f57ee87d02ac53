#pragma once
// Language files and the translators' templates.
//
// A language file ("lang_de.txt") is INI text: section "Translations", each key a path
// "Component.property" of the main window, each value the new text. Section and key names
// compare without case, blanks around keys and values are dropped and a value keeps at most
// 1023 characters. A file that is valid UTF-8 is read as UTF-8; any other is read in the code
// page of the character set the language needs (the key "charset1.caption" in the file names
// it, else the caller's default).
//
// The template lists every translatable path of the window with its current text, grouped by
// the components' tags (page × 100 + control group); the caption list ("caplist.txt") holds
// the same paths, one per line, and is the list of paths a language file is applied to.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrave {

// The character set of Western languages, the one a language has when nothing says otherwise.
inline constexpr int DefaultCharset = 1;

class LanguageTarget;

// The language component: the texts of one language file, and the paths Apply gives them to.
class TLanguage {
public:
    TLanguage() = default;
    // The texts of the file's bytes; `charset` decodes them unless they are UTF-8 or the file
    // names its own character set.
    static TLanguage parse(std::string_view bytes, int charset);
    // The texts of the file at `path`; a missing or unreadable file has none (and `charset`).
    static TLanguage read(const std::filesystem::path& path, int charset);

    // The value of `key` in section "Translations" (UTF-8), nullopt when the file has no such key.
    std::optional<std::string> value(std::string_view key) const;
    // The character set the texts were decoded in (DefaultCharset for UTF-8 files too, unless
    // the file names one).
    int charset() const { return charset_; }
    // The character set the file names itself ("charset1.caption"), when it names one.
    std::optional<int> namedCharset() const { return namedCharset_; }

    // The translatable paths ("Component.property"), in the order Apply sets them.
    std::vector<std::string> Properties;
    // The separator of a list value's items; a blank one stands for ",".
    std::string Separator = ",";

    // Sets every path of Properties that the texts hold a non-empty value for: the property takes
    // the value, then the component's "Hint" takes it too. Before each of the two settings the
    // first "*" left in the value becomes a line break, so a value "a*b*c" gives the property
    // "a", line break, "b*c" and the hint three lines. A list property takes the value split at
    // Separator, each piece trimmed, empty pieces between separators kept and an empty last
    // piece dropped. Paths of unknown components or properties are skipped, and so is an entry
    // whose integer property is given text that is no decimal integer (the rest of the file
    // still applies). Returns the number of paths set.
    int Apply(LanguageTarget& target) const;

private:
    std::map<std::string, std::string> values_;  // keys folded to lower case
    int charset_ = DefaultCharset;
    std::optional<int> namedCharset_;
};

// The iconv name of the code page that a character set's texts are written in; Western
// (CP1252) for sets without one of their own.
const char* codePageOfCharset(int charset);

// The character set that the language of a Languagebox item ("lang_ru") needs: the sets of
// the Korean, Greek, Chinese, Japanese, Turkish, Cyrillic, Baltic and Eastern European
// languages, DefaultCharset for every other.
int languageCharset(std::string_view item);

// The character set chosen by item `index` of ComboBox5, nullopt for an index outside the list.
std::optional<int> charsetOfComboItem(int index);
// The items of ComboBox5, in order.
const std::vector<std::string>& charsetComboItems();

// What applying a language sets: the window's components, found by their name. Each call names
// one component and one of its properties, as a path gives them.
class LanguageTarget {
public:
    enum class Kind { Missing, Text, Integer, List };
    virtual ~LanguageTarget() = default;
    // The kind of the property; Missing when the component or the property does not exist.
    virtual Kind kind(const std::string& component, const std::string& property) const = 0;
    virtual void setText(const std::string& component, const std::string& property,
                         const std::string& value) = 0;
    virtual void setInteger(const std::string& component, const std::string& property, int value) = 0;
    virtual void setList(const std::string& component, const std::string& property,
                         const std::vector<std::string>& items) = 0;
};

// The line break that a "*" in a value stands for.
inline constexpr char LanguageLineBreak = '\n';

// The caption list in the order a file is applied in: first the paths whose value the file keeps
// as the template wrote the window's own text (`builtIn`: path in lower case → that text, a list's
// items joined with ","), then the others, each part in its own order. A line a translator left
// as it was then never undoes what another line translates the same text to (a page's caption
// and its tab on the tab strip are one text).
std::vector<std::string> untranslatedFirst(const std::vector<std::string>& properties, const TLanguage& texts,
                                           const std::map<std::string, std::string>& builtIn);

// The pieces of a list value, as TLanguage::Apply gives them to a list property.
std::vector<std::string> splitLanguageList(std::string_view value, std::string_view separator);

// One translatable property of the window as the template shows it.
struct TemplateEntry {
    int tag = 0;
    std::string path;  // "Component.property"
    std::string text;  // the current text; list items joined with ","
};

struct TranslationTemplate {
    std::string templateText;  // the translators' template
    std::string captionList;   // "caplist.txt": the template's paths, one per line
};

// The template and the caption list of the entries, which come in the window's component
// order. Tags 0 and 1000 and more are not translatable. A path is padded with blanks to 50
// characters, then " =" and the text follow; the first line break of a text is written as "*"
// and any further one as a blank, so that every entry keeps to its line.
TranslationTemplate buildTranslationTemplate(const std::vector<TemplateEntry>& entries);

// The paths of a caption list; a missing or unreadable file gives none.
std::vector<std::string> readCaptionList(const std::filesystem::path& path);

// A template is named after the text typed into Languagebox: only letters, digits and "_" make
// a name that cannot point outside the program's folder.
bool isTemplateName(std::string_view name);

}  // namespace kestrave
