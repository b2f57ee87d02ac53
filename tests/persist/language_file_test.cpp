// Language files read as the platform's INI reading reads them, decoded in their character set;
// a language applied to a recording target; the translators' template and caption list.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "persist/language_file.h"
#include "support/text_lines.h"

using namespace kestrave;

namespace {

// Components with named properties of a kind; what was set, in order.
class RecordingTarget : public LanguageTarget {
public:
    std::map<std::string, Kind> kinds;  // "Component.property" (as the paths write them)
    std::vector<std::string> log;

    Kind kind(const std::string& component, const std::string& property) const override {
        const auto found = kinds.find(component + "." + property);
        return found == kinds.end() ? Kind::Missing : found->second;
    }
    void setText(const std::string& component, const std::string& property,
                 const std::string& value) override {
        log.push_back(component + "." + property + "=" + value);
    }
    void setInteger(const std::string& component, const std::string& property, int value) override {
        log.push_back(component + "." + property + "=#" + std::to_string(value));
    }
    void setList(const std::string& component, const std::string& property,
                 const std::vector<std::string>& items) override {
        std::string joined;
        for (const std::string& item : items) joined += "[" + item + "]";
        log.push_back(component + "." + property + "=" + joined);
    }
};

TLanguage translations(const std::string& body, int charset = DefaultCharset) {
    return TLanguage::parse("[Translations]\r\n" + body, charset);
}

}  // namespace

TEST(LanguageFile, KeysAndSectionsIgnoreCaseBlanksAreDroppedAndMalformedLinesAreSkipped) {
    const TLanguage texts = TLanguage::parse(
        "\xEF\xBB\xBF[Other]\r\nLabel1.caption=elsewhere\r\n"
        "  [ translations ]  \n"
        "no equals sign here\n"
        "[unterminated\n"
        "Label1.caption=outside\n"
        "[TRANSLATIONS]\r"
        "  Label2.Caption   =   two words   \r\n"
        "=no key\r\n"
        "label2.caption=second of the same key\r\n"
        "\x01\xff\x7f junk without equals\r\n"
        "Empty.caption=\r\n"
        "Long.caption=" +
            std::string(1500, 'x') + "\r\n",
        DefaultCharset);
    EXPECT_EQ(texts.value("LABEL2.CAPTION"), "two words");
    EXPECT_EQ(texts.value(" label2.caption "), "two words") << "the first of a repeated key counts";
    EXPECT_EQ(texts.value("Label1.caption"), std::nullopt) << "a broken section header ends the section";
    EXPECT_EQ(texts.value("Empty.caption"), "");
    EXPECT_EQ(texts.value("Long.caption")->size(), 1023u);
    EXPECT_EQ(texts.value(""), std::nullopt);
    const TLanguage missing = TLanguage::read("/nonexistent/lang_ru.txt", 204);
    EXPECT_EQ(missing.value("Label2.caption"), std::nullopt);
    EXPECT_EQ(missing.charset(), 204) << "the language's set without its file";

    // Each language's set; the Western languages and any other item keep the default.
    const std::map<std::string, int> sets{
        {"lang_kr", 129}, {"lang_gr", 161}, {"lang_cn", 136}, {"lang_sg", 134}, {"lang_hk", 134},
        {"lang_jp", 128}, {"lang_tr", 162}, {"lang_sr", 204}, {"lang_ru", 204}, {"lang_bg", 204},
        {"lang_ee", 186}, {"lang_lt", 186}, {"lang_pl", 238}, {"lang_hu", 238}, {"lang_ro", 238},
        {"lang_sk", 238}, {"lang_de", 1},   {"lang_en", 1},   {"lang_fi", 1},   {"lang_xx", 1}};
    for (const auto& [item, charset] : sets) EXPECT_EQ(languageCharset(item), charset) << item;
}

TEST(LanguageFile, TextIsDecodedInTheLanguagesCharacterSetUnlessItIsUtf8) {
    const std::string cp1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";  // "Привет" in the Cyrillic code page
    const std::string utf8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
    struct Case {
        const char* what;
        std::string body;
        int charset;
        std::string expected;
        int decodedIn;
    };
    const std::vector<Case> cases{
        {"Cyrillic set of the language", "A.caption=" + cp1251, 204, utf8, 204},
        {"the file names its set", "charset1.caption=204\r\nA.caption=" + cp1251, DefaultCharset, utf8, 204},
        {"the file's set wins over the language's", "charset1.caption = 1\r\nA.caption=\xE9t\xE9", 204,
         "\xC3\xA9t\xC3\xA9", 1},
        {"valid UTF-8 wins", "A.caption=" + utf8, 238, utf8, 238},
        {"Western by default", "A.caption=caf\xE9", DefaultCharset, "caf\xC3\xA9", 1},
        {"Shift-JIS", "A.caption=\x93\xFA\x96\x7B", 128, "\xE6\x97\xA5\xE6\x9C\xAC", 128},
        {"a byte that is no character", "A.caption=a\x82", 128, "a\xEF\xBF\xBD", 128},
        {"a set without a code page of its own", "A.caption=caf\xE9", 255, "caf\xC3\xA9", 255},
    };
    for (const Case& c : cases) {
        const TLanguage texts = translations(c.body, c.charset);
        EXPECT_EQ(texts.value("A.caption"), c.expected) << c.what;
        EXPECT_EQ(texts.charset(), c.decodedIn) << c.what;
    }
}

TEST(LanguageApply, StarsBecomeLineBreaksInThePropertyAndThenInTheHint) {
    using Kind = LanguageTarget::Kind;
    RecordingTarget target;
    target.kinds = {{"Label1.caption", Kind::Text},     {"Label1.Hint", Kind::Text},
                    {"Label2.caption", Kind::Text},     {"Label2.Hint", Kind::Text},
                    {"Box.items", Kind::List},          {"Box.Hint", Kind::Text},
                    {"Group.ItemIndex", Kind::Integer}, {"Tabs.tabs", Kind::List},
                    {"NoHint.caption", Kind::Text},     {"Deep.Font.Name", Kind::Text}};
    TLanguage texts = translations(
        "Label1.caption=a*b\r\n"
        "Label2.caption=one*two*three\r\n"
        "Box.items= x , y ,z\r\n"
        "Group.ItemIndex=abc\r\n"
        "Tabs.tabs=p,,q,\r\n"
        "Unknown.caption=nobody\r\n"
        "Label1.missing=no such property\r\n"
        "NoHint.caption=plain\r\n"
        "Deep.Font.Name=a component's component\r\n");
    texts.Properties = {"Label1.caption",  "  ",
                        "Label2.caption",  "Box.items",
                        "Group.ItemIndex", "Tabs.tabs",
                        "Unknown.caption", "Label1.missing",
                        "Absent.caption",  "Deep.Font.Name",
                        "NoHint.caption"};
    texts.Separator = " ";
    const int set = texts.Apply(target);
    EXPECT_EQ(target.log, (std::vector<std::string>{
                              "Label1.caption=a\nb", "Label1.Hint=a\nb", "Label2.caption=one\ntwo*three",
                              "Label2.Hint=one\ntwo\nthree", "Box.items=[x][y][z]", "Box.Hint=x , y ,z",
                              "Tabs.tabs=[p][][q]", "NoHint.caption=plain"}));
    EXPECT_EQ(set, 5);

    // A number where one is wanted is set; the entries after a bad one still apply.
    target.log.clear();
    TLanguage numbers = translations("Group.ItemIndex= -3 \r\nLabel1.caption=z");
    numbers.Properties = {"Group.ItemIndex", "Label1.caption"};
    numbers.Apply(target);
    EXPECT_EQ(target.log,
              (std::vector<std::string>{"Group.ItemIndex=#-3", "Label1.caption=z", "Label1.Hint=z"}));
}

TEST(LanguageApply, ListsSplitAtTheSeparator) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases{
        {"a,b,c", {"a", "b", "c"}},
        {" a , b ", {"a", "b"}},
        {"a,,b", {"a", "", "b"}},
        {"a,b,", {"a", "b"}},
        {",a", {"", "a"}},
        {"single", {"single"}},
        {",", {""}},
    };
    for (const auto& [value, items] : cases) EXPECT_EQ(splitLanguageList(value, ","), items) << value;
    EXPECT_EQ(splitLanguageList("a;b,c", ";"), (std::vector<std::string>{"a", "b,c"}));
    EXPECT_EQ(splitLanguageList("a,b", "  "), (std::vector<std::string>{"a", "b"})) << "blank separator";
}

TEST(TranslationTemplate, LinesAreGroupedByTagWithBannersAndPaddedPaths) {
    const std::string longPath = std::string(50, 'p') + ".caption";
    const TranslationTemplate written =
        buildTranslationTemplate({{101, "Label1.caption", "two\r\nlines\nthree"},
                                  {100, "TabSheet1.caption", "Align"},
                                  {0, "Hidden.caption", "never"},
                                  {1000, "Form.caption", "never"},
                                  {101, longPath, "x"},
                                  {999, "Box.items", "a,b"}});
    const std::vector<std::string> text = test::textLines(written.templateText);
    ASSERT_GE(text.size(), 12u);
    EXPECT_EQ(
        std::vector<std::string>(text.begin(), text.begin() + 11),
        (std::vector<std::string>{"[Translator]", "language =", "name =", " ", "[translations]", "",
                                  "************** tabpage 1 ***************", "", " ", "; componentgroup100",
                                  std::string("TabSheet1.caption").append(33, ' ') + " =Align"}));
    EXPECT_EQ(text[11], " ");
    EXPECT_EQ(text[12], "; componentgroup101");
    EXPECT_EQ(text[13].substr(50), " =two*lines three");
    EXPECT_EQ(text[14], longPath + " =x");
    EXPECT_EQ(text.back(), std::string("Box.items").append(41, ' ') + " =a,b");
    int banners = 0;
    for (const std::string& line : text) banners += line.starts_with("************** tabpage ");
    EXPECT_EQ(banners, 9) << "every hundred has its banner";
    EXPECT_EQ(written.templateText.find("never"), std::string::npos);
    EXPECT_EQ(test::textLines(written.captionList),
              (std::vector<std::string>{"TabSheet1.caption", "Label1.caption", longPath, "Box.items"}));

    // Read back as a language file, the template gives every text it shows.
    const TLanguage back = TLanguage::parse(written.templateText, DefaultCharset);
    EXPECT_EQ(back.value("TabSheet1.caption"), "Align");
    EXPECT_EQ(back.value("Box.items"), "a,b");
    EXPECT_EQ(back.value(longPath), "x");
    EXPECT_EQ(back.value("language"), std::nullopt) << "the translator's section is another";
}

TEST(TranslationTemplate, TemplateNamesAreLettersDigitsAndUnderscores) {
    for (const char* good : {"lang_en", "X9", "_"}) EXPECT_TRUE(isTemplateName(good)) << good;
    for (const char* bad : {"", "../x", "lang en", "a/b", "lang.en", "\xC3\xA9"})
        EXPECT_FALSE(isTemplateName(bad)) << bad;
}
