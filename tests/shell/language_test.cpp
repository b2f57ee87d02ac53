// The window's languages on the offscreen platform: the template and caption list written from
// the window's components, a language file applied to them, and the character set and font
// height set by hand.

#include <QAction>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QToolButton>
#include <fstream>
#include <iterator>
#include <set>

#include "shell/language_handlers.h"
#include "shell/pages/align_page.h"
#include "shell/pages/language_box.h"
#include "shell/pages/named_control.h"
#include "shell/pages/wavelet_page.h"
#include "shell/speed_bar.h"
#include "shell/startup.h"
#include "shell/tab_strip.h"
#include "shell_test_support.h"
#include "support/text_lines.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {
namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A component's hint: its own Hint where it has one, else its tool tip.
QString hintOf(const QObject& object) {
    const QVariant hint = object.property("Hint");
    return hint.isValid() ? hint.toString() : object.property("toolTip").toString();
}

struct LanguageTest : ShellWindowTest {
    AlignPage& align = *pieces(*form).alignPage;
    const LanguageWindow window = languageWindow(*form);
    const fs::path home = scripted.home.path();

    // The item chosen in Languagebox (added when the list lacks it).
    void chooseItem(const QString& item) {
        if (control<LanguageBox>(align, "Languagebox")->findText(item) < 0)
            control<LanguageBox>(align, "Languagebox")->addItem(item);
        control<LanguageBox>(align, "Languagebox")
            ->setCurrentIndex(control<LanguageBox>(align, "Languagebox")->findText(item));
    }
    void writeTemplate() { SpeedButton1Click(window, *control<LanguageBox>(align, "Languagebox"), messages); }
    void applyChosen() {
        LanguageControls controls{*control<LanguageBox>(align, "Languagebox"),
                                  *control<QLabel>(align, "charset1"),
                                  *control<QComboBox>(align, "QualityMethodCombo"),
                                  *control<TRadioGroup>(align, "CopyAlignmethods")};
        LanguageboxChange(window, controls);
    }
    std::vector<TemplateEntry> texts() const {
        const WindowLanguage language(window);
        return templateEntries(language.components());
    }
};

TEST_F(LanguageTest, StartUpWritesTheTemplateAndTheCaptionListOfTheWindow) {
    writeFile(home / "lang_en.txt", "[Translations]\r\n");
    form->FormCreate({{}, false});
    const std::vector<std::string> written = textLines(readFile(home / "lang_en1.txt"));
    const std::vector<std::string> paths = textLines(readFile(home / "caplist.txt"));
    ASSERT_GT(paths.size(), 200u) << "every named text of the window";

    // Each property line of the template is a path of the caption list, in the same order, its
    // " =" at columns 51 and 52 or right after a longer path.
    std::vector<std::string> templatePaths;
    for (const std::string& line : written) {
        if (line.empty() || line.front() == ' ' || line.front() == ';' || line.front() == '*' ||
            line.front() == '[' || line.starts_with("language =") || line.starts_with("name ="))
            continue;
        const std::size_t equals = line.find(" =", line.size() > 50 && line[50] == ' ' ? 50 : 0);
        ASSERT_NE(equals, std::string::npos) << line;
        templatePaths.push_back(line.substr(0, line.find(' ')));
        EXPECT_TRUE(equals == 50 || (equals > 50 && line[49] != ' ')) << line;
    }
    EXPECT_EQ(templatePaths, paths);
    const auto has = [&](const char* pattern) {
        const QRegularExpression expression(pattern);
        return std::any_of(written.begin(), written.end(), [&](const std::string& line) {
            return expression.match(QString::fromStdString(line)).hasMatch();
        });
    };
    EXPECT_TRUE(has("^TabSheet1\\.caption {33} =Align$"));
    EXPECT_TRUE(has("^TabSheet10\\.caption +=Quality options$"));
    EXPECT_TRUE(has("^Tabpages\\.tabs +=Align,Optimize,Stack,Wavelet,Final,About$"));
    EXPECT_TRUE(has("^Autolanguage\\.caption +=Auto$"));
    EXPECT_TRUE(has("^Showalignpoints\\.caption +=Show Alignment Points$"));
    EXPECT_TRUE(has("^FFTsizeGroup\\.items +=32,64,128,256,512$"));
    EXPECT_TRUE(has("^Selectbutton\\.btncaption +=")) << "the speed bar's items";
    EXPECT_FALSE(has("^Selectbutton\\.caption")) << "an item's button shows the item's caption";
    EXPECT_TRUE(has("^LoadDarkframe1\\.caption +=Load Darkframe$")) << "the menus";
    EXPECT_TRUE(has("^FFTWindow\\.caption +=FFT Spectrum$"));
    EXPECT_FALSE(has("^VersionLabel\\.")) << "the program file's facts are not translated";
    // The groups: the page's banner, then the page's own group and the tool windows' tags.
    const auto at = [&](const std::string& line) {
        return std::find(written.begin(), written.end(), line) - written.begin();
    };
    EXPECT_LT(at("************** tabpage 1 ***************"), at("; componentgroup100"));
    EXPECT_LT(at("; componentgroup100"), at("; componentgroup901"));
    EXPECT_LT(at("************** tabpage 9 ***************"), at("; componentgroup901"));
    EXPECT_EQ(at("; componentgroup0"), static_cast<std::ptrdiff_t>(written.size()));
}

TEST_F(LanguageTest, StartUpAppliesTheStoredLanguageWhenAutolanguageIsTicked) {
    writeFile(home / "lang_de.txt", "[Translations]\r\nTabSheet1.caption=Ausrichten\r\n");
    writeFile(home / "lang_fr.txt", "[Translations]\r\nTabSheet1.caption=Aligner\r\n");
    writeFile(home / "kestrave.ini", "[Form]\r\nAutolanguage_Checked=True\r\nLanguagebox_Text=lang_fr\r\n");
    form->FormCreate({{}, false});
    EXPECT_EQ(pieces(*form).Tabpages->tabText(0), "Aligner");
    EXPECT_TRUE(fs::exists(home / "lang_de1.txt")) << "the template has the texts before the language";
    EXPECT_NE(readFile(home / "lang_de1.txt").find("=Align\r\n"), std::string::npos);
}

TEST_F(LanguageTest, TheTemplateAsALanguageChangesWhatItTranslates) {
    // One entry of each kind the template lists.
    struct Picked {
        std::string path;
        QObject* object;
    };
    std::vector<Picked> picked;
    std::set<const TranslatableProperty*> kinds;
    const WindowLanguage language(window);
    for (const Translatable& component : language.components())
        for (const TranslatableProperty& property : component.kind->properties) {
            const std::string path = (component.name + '.' + property.name).toStdString();
            if (component.name != "Tabpages" && !property.read(*component.object).join("").isEmpty() &&
                kinds.insert(&property).second)
                picked.push_back({path, component.object});
        }
    ASSERT_GE(picked.size(), 14u) << "every kind of the template";

    chooseItem("lang_en");
    control<QComboBox>(*form, "Processarea")->setCurrentIndex(3);
    control<TRadioGroup>(align, "FFTsizeGroup")->setItemIndex(2);
    const std::vector<TemplateEntry> before = texts();
    writeTemplate();
    const std::string first = readFile(home / "lang_en1.txt");
    fs::copy_file(home / "lang_en1.txt", home / "lang_en.txt");
    applyChosen();

    const std::vector<TemplateEntry> after = texts();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(after[i].text, before[i].text) << before[i].path;
    EXPECT_EQ(control<QComboBox>(*form, "Processarea")->currentIndex(), 3)
        << "translated lists keep their choice";
    EXPECT_EQ(control<TRadioGroup>(align, "FFTsizeGroup")->ItemIndex(), 2);
    writeTemplate();
    EXPECT_EQ(readFile(home / "lang_en1.txt"), first);

    // The template with those entries translated (the tab strip's own line left as it was): each
    // follows, hint included, and the template written next shows it.
    const auto pickedLine = [&](const std::string& line) {
        return std::any_of(picked.begin(), picked.end(),
                           [&](const Picked& p) { return line.starts_with(p.path + ' '); });
    };
    std::string translated;
    for (std::string line : textLines(first)) {
        if (pickedLine(line)) {
            const std::size_t equals = line.find(" =") + 2;
            QStringList items = QString::fromStdString(line.substr(equals)).split(',');
            for (QString& item : items) item = "\u00dc" + item.trimmed();
            line = line.substr(0, equals) + items.join(',').toStdString();
        }
        translated += line + "\r\n";
    }
    writeFile(home / "lang_en.txt", translated);
    applyChosen();
    writeTemplate();
    const std::vector<std::string> shown = textLines(readFile(home / "lang_en1.txt"));
    for (const std::string& line : textLines(translated))
        if (pickedLine(line)) {
            EXPECT_NE(std::find(shown.begin(), shown.end(), line), shown.end()) << line;
        }
    for (const Picked& p : picked) EXPECT_TRUE(hintOf(*p.object).startsWith("\u00dc")) << p.path;
    int translatedTabs = 0;
    for (int tab = 0; tab < pieces(*form).Tabpages->count(); ++tab)
        translatedTabs += pieces(*form).Tabpages->tabText(tab).startsWith("\u00dc") ? 1 : 0;
    EXPECT_EQ(translatedTabs, 1) << "a page's caption is its tab";
}

TEST_F(LanguageTest, ALanguageFileSetsCaptionsListsAndHintsAndSkipsWhatItCannotUse) {
    chooseItem("lang_de");
    auto* create = control<QToolButton>(align, "Speedbutton1");
    EXPECT_EQ(create->text(), "Create");
    EXPECT_TRUE(create->toolTip().isEmpty()) << "the template's button carries no hint of its own";
    create->click();
    std::ofstream(home / "caplist.txt", std::ios::app) << "FFTsizeGroup.ItemIndex\r\nLabel22.Nothing\r\n";
    writeFile(home / "lang_de.txt",
              "[Translations]\r\n"
              "TabSheet1.caption=Ausrichten\r\n"
              "Autolanguage.caption=Automatisch*an\r\n"
              "Currentquality.caption=Qualit\xC3\xA4t*der*Bilder\r\n"
              "this line has no equals sign\r\n"
              "\x01\x02\x7F\r\n"
              "=no key\r\n"
              "FFTsizeGroup.caption=Ausrichtbox\r\n"
              "FFTsizeGroup.items= 32 , 64 ,128,256,512\r\n"
              "FFTsizeGroup.ItemIndex=vier\r\n"
              "Tabpages.tabs=Ausrichten,Optimieren\r\n"
              "Selectbutton.btncaption=W\xC3\xA4hlen\r\n"
              "FFTWindow.caption=FFT-Spektrum\r\n"
              "LoadDarkframe1.caption=Dunkelbild laden\r\n"
              "Label22.Nothing=no such property\r\n"
              "Nobody.caption=no such component\r\n"
              "Languagesetlabel.caption=Sprache\r\nShowgraphslabel.caption=Grafiken\r\n"
              "Drizzlinglabel.caption=Drizzeln\r\nGaussianlabel.caption=Breite\r\n"
              "[Other]\r\n"
              "Continuebutton.caption=not a translation\r\n");
    control<TRadioGroup>(align, "FFTsizeGroup")->setItemIndex(1);
    emit control<LanguageBox>(align, "Languagebox")
        ->activated(control<LanguageBox>(align, "Languagebox")->currentIndex());

    EXPECT_EQ(pieces(*form).Tabpages->tabText(0), "Ausrichten");
    EXPECT_EQ(pieces(*form).Tabpages->tabText(2), "Stack") << "a shorter list leaves the other tabs";
    EXPECT_EQ(control<TPCheck>(align, "Autolanguage")->Caption(), "Automatisch\nan");
    EXPECT_EQ(control<TPCheck>(align, "Autolanguage")->Hint(), "Automatisch\nan");
    EXPECT_EQ(control<QLabel>(align, "Currentquality")->text(), "Qualit\u00e4t\nder*Bilder");
    EXPECT_EQ(control<QLabel>(align, "Currentquality")->toolTip(), "Qualit\u00e4t\nder\nBilder");
    EXPECT_EQ(control<TRadioGroup>(align, "FFTsizeGroup")->title(), "Ausrichtbox");
    EXPECT_EQ(control<TRadioGroup>(align, "FFTsizeGroup")->Items(),
              (QStringList{"32", "64", "128", "256", "512"}));
    EXPECT_EQ(control<TRadioGroup>(align, "FFTsizeGroup")->ItemIndex(), 1) << "the bad number is skipped";
    EXPECT_EQ(pieces(*form).Speedbar->Selectbutton->text(), "W\u00e4hlen");
    EXPECT_EQ(pieces(*form).Speedbar->Selectbutton->toolTip(), "W\u00e4hlen");
    EXPECT_EQ(pieces(*form).tools.FFTWindow->windowTitle(), "FFT-Spektrum");
    EXPECT_EQ(form->findChild<QAction*>("LoadDarkframe1")->text(), "Dunkelbild laden");
    EXPECT_EQ(form->findChild<QWidget*>("Continuebutton")->property("text").toString(), "Continue");
    EXPECT_EQ(control<QLabel>(align, "charset1")->text(), "1");
    // The labels that head the option groups are reached by their names: a caption, a group's
    // title and an option tab.
    const std::vector<TemplateEntry> shown = texts();
    for (const auto& [path, text] : {std::pair{"Languagesetlabel.caption", "Sprache"},
                                     {"Showgraphslabel.caption", "Grafiken"},
                                     {"Drizzlinglabel.caption", "Drizzeln"},
                                     {"Gaussianlabel.caption", "Breite"}})
        EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](const TemplateEntry& entry) {
            return entry.path == path && entry.text == text;
        })) << path;

    // A number where the property takes one is set.
    writeFile(home / "lang_de.txt", "[Translations]\r\nFFTsizeGroup.ItemIndex=3\r\n");
    applyChosen();
    EXPECT_EQ(control<TRadioGroup>(align, "FFTsizeGroup")->ItemIndex(), 3);
}

TEST_F(LanguageTest, ACyrillicFileIsDecodedInItsCharacterSet) {
    chooseItem("lang_ru");
    writeTemplate();
    writeFile(home / "lang_ru.txt", "[Translations]\r\nAutolanguage.caption=\xC0\xE2\xF2\xEE\r\n");
    applyChosen();
    EXPECT_EQ(control<TPCheck>(align, "Autolanguage")->Caption(), "\u0410\u0432\u0442\u043e");
    EXPECT_EQ(control<QLabel>(align, "charset1")->text(), "204");
    EXPECT_EQ(windowCharset(*form), 204);

    // A language missing from the table names its own set.
    chooseItem("lang_xx");
    writeFile(home / "lang_xx.txt",
              "[Translations]\r\ncharset1.caption=238\r\nAutolanguage.caption=\xA3\xF3\xB3\r\n");
    applyChosen();
    EXPECT_EQ(control<TPCheck>(align, "Autolanguage")->Caption(), "\u0141\u00f3\u0142");
    EXPECT_EQ(windowCharset(*form), 238);
}

TEST_F(LanguageTest, NothingIsAppliedWithoutACaptionListOrAChosenItemAndTemplatesStayInTheFolder) {
    chooseItem("lang_de");
    writeFile(home / "lang_de.txt", "[Translations]\r\nAutolanguage.caption=Auto de\r\n");
    applyChosen();
    EXPECT_EQ(control<TPCheck>(align, "Autolanguage")->Caption(), "Auto") << "no caption list";
    writeTemplate();
    control<LanguageBox>(align, "Languagebox")->setEditText("../x");
    applyChosen();
    EXPECT_EQ(control<TPCheck>(align, "Autolanguage")->Caption(), "Auto") << "typed text chooses nothing";

    messages.shown.clear();
    fs::remove(home / "caplist.txt");
    writeTemplate();
    EXPECT_FALSE(fs::exists(home.parent_path() / "x1.txt"));
    EXPECT_TRUE(fs::exists(home / "caplist.txt"));
    EXPECT_TRUE(messages.shown.empty()) << "the caption list is written without a word";
}

TEST_F(LanguageTest, TheCharacterSetAndTheFontHeightAreSetByHand) {
    const std::vector<std::pair<int, int>> cases{{0, 0}, {3, 128}, {9, 177}, {16, 204}};
    for (const auto& [item, charset] : cases) {
        control<QComboBox>(align, "ComboBox5")->setCurrentIndex(item);
        ComboBox5Change(*form, *control<QComboBox>(align, "ComboBox5"), *control<QLabel>(align, "charset1"));
        EXPECT_EQ(windowCharset(*form), charset) << item;
        EXPECT_EQ(control<QLabel>(align, "charset1")->text(), QString::number(charset));
    }
    control<QComboBox>(align, "ComboBox5")->setCurrentIndex(-1);
    ComboBox5Change(*form, *control<QComboBox>(align, "ComboBox5"), *control<QLabel>(align, "charset1"));
    EXPECT_EQ(windowCharset(*form), 204) << "no item changes nothing";
    control<QComboBox>(align, "ComboBox5")->setCurrentIndex(11);
    emit control<QComboBox>(align, "ComboBox5")->activated(11);  // chosen by the user
    EXPECT_EQ(control<QLabel>(align, "charset1")->text(), "161");

    control<TRxSpinEdit>(align, "Fontsize")->setText("18");  // as typed: the spin edit tells its change
    EXPECT_EQ(form->font().pixelSize(), 18);
    EXPECT_EQ(QFontInfo(control<LanguageBox>(align, "Languagebox")->font()).pixelSize(), 18)
        << "the window's controls follow";
}

}  // namespace
}  // namespace kestrave::test

namespace kestrave::test {

TEST_F(LanguageTest, ANewFileIsListedWhenTheListOpensAndAnotherLanguageKeepsWhatItDoesNotSet) {
    writeTemplate();
    listLanguages(*control<LanguageBox>(align, "Languagebox"));
    EXPECT_EQ(control<LanguageBox>(align, "Languagebox")->count(), 0) << "no language file yet";

    // A file put into the folder while the program runs shows once the list opens.
    writeFile(home / "lang_de.txt",
              "[Translations]\r\nTabSheet1.caption=Ausrichten\r\nAutolanguage.caption=Auto*de\r\n"
              "Processarea.items=a,b,c,d,e\r\n");
    emit control<LanguageBox>(align, "Languagebox")->listRequested();
    ASSERT_EQ(control<LanguageBox>(align, "Languagebox")->count(), 1);
    chooseItem("lang_de");
    applyChosen();
    ASSERT_EQ(pieces(*form).Tabpages->tabText(0), "Ausrichten");
    ASSERT_EQ(control<TPCheck>(align, "Autolanguage")->Caption(), "Auto\nde");
    ASSERT_EQ(control<QComboBox>(*form, "Processarea")->itemText(0), "a");

    // Another language is applied over the current texts: what its file does not set stays.
    writeFile(home / "lang_fr.txt", "[Translations]\r\nTabSheet1.caption=Aligner\r\n");
    emit control<LanguageBox>(align, "Languagebox")->listRequested();
    chooseItem("lang_fr");
    applyChosen();
    EXPECT_EQ(pieces(*form).Tabpages->tabText(0), "Aligner");
    EXPECT_EQ(control<TPCheck>(align, "Autolanguage")->Caption(), "Auto\nde");
    EXPECT_EQ(control<QComboBox>(*form, "Processarea")->itemText(0), "a");
}

}  // namespace kestrave::test
