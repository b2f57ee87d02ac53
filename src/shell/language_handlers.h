#pragma once
// The window's languages: the translators' template and caption list written from the window's
// components ("Create", and every start), a language file applied to them (Languagebox), and
// the window's character set and font height set by hand.
//
// Every named component of the window takes part, with the tag that groups it in the template:
// page × 100 + control group on the work pages (the page itself, "TabSheet" + page number, and
// what lies outside any group carry page × 100), the fixed tags of the tool windows, and
// 910 for what lies on the window itself (the speed bar, the tab strip, the menus).

#include <QString>
#include <QStringList>
#include <map>
#include <set>
#include <vector>

#include "widgets/translatable.h"

class QComboBox;
class QLabel;
class QStackedWidget;
class QTabBar;
class QWidget;

namespace kestrave {

class LanguageBox;
class MessagePort;
class TMainForm;
class TRadioGroup;
class TRxSpinEdit;

// The window's own texts, as they were before the first language file set them: a line a file
// leaves as the template wrote it is applied before the others.
struct BuiltInTexts {
    std::map<QString, QStringList>
        byPath;  // "component.property", in lower case; a text is a list of one item
};

// What a language acts on.
struct LanguageWindow {
    QWidget& window;        // the main window: every named component under it
    QStackedWidget& pages;  // PageControl1: its page n is "TabSheet" + n
    QTabBar& tabs;          // Tabpages: tab n - 1 shows page n's caption
    BuiltInTexts& builtIn;
};

LanguageWindow languageWindow(TMainForm& form);

// The window's translatable components in window order, with their classes.
class WindowLanguage {
public:
    explicit WindowLanguage(const LanguageWindow& window);

    // The window's translatable components in window order; their classes live as long as this.
    std::vector<Translatable> components() const;

private:
    int tagOf(const QObject& object, const std::vector<const QObject*>& pageGroups) const;

    LanguageWindow window_;
    TranslatableClasses classes_;
    TranslatableClass page_;  // the work pages as tab sheets of the tab strip
};

// The controls of the Align page's language options.
struct LanguageControls {
    LanguageBox& Languagebox;
    QLabel& charset1;  // hidden: the window's character set
    QComboBox& QualityMethodCombo;
    TRadioGroup& CopyAlignmethods;
};

// The window's character set (its font character set where fonts have one).
int windowCharset(const QWidget& window);

// Writes the template (named after the text of Languagebox + "1.txt", when that text makes a
// name) and "caplist.txt" into the program directory. A
// file that cannot be written is reported and costs nothing else.
void SpeedButton1Click(const LanguageWindow& window, const LanguageBox& Languagebox, MessagePort& messages);

// Applies the language chosen in Languagebox, when "caplist.txt" is in the program directory and
// an item of the list is chosen: the file's texts decoded in the language's character set (or
// the one the file names), the window's character set shown in charset1, and the quality
// methods refilled from CopyAlignmethods if the file left fewer of them. Paths the file does not
// set keep the texts they have.
void LanguageboxChange(const LanguageWindow& window, LanguageControls& controls);

// Languagebox lists the language files found now in the program's folders.
void listLanguages(LanguageBox& Languagebox);

// The character set chosen in ComboBox5 becomes the window's; charset1 shows it.
void ComboBox5Change(QWidget& window, const QComboBox& ComboBox5, QLabel& charset1);

// The window's font height in pixels becomes the value of Fontsize, rounded.
void FontsizeChange(QWidget& window, const TRxSpinEdit& Fontsize);

// Connects the Align page's language controls to the handlers above.
void connectLanguageControls(TMainForm& form);

}  // namespace kestrave
