#include "shell/language_handlers.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <map>

#include "platform/errors.h"
#include "platform/message_port.h"
#include "platform/program_dir.h"
#include "platform/safe_file.h"
#include "shell/application_context.h"
#include "shell/main_form.h"
#include "shell/pages/align_page.h"
#include "shell/pages/language_box.h"
#include "shell/pages/named_control.h"
#include "shell/startup_rules.h"
#include "shell/tab_strip.h"
#include "shell/tool_windows.h"
#include "widgets/radio_group.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

constexpr int FormTag = 910;  // components on the window itself
constexpr int MaxGroup = 99;
constexpr char CharsetProperty[] = "charset";
constexpr char CaptionList[] = "caplist.txt";

// The fixed tags of the tool windows (page × 100 + group: 901..905 for those of pages 1..5,
// 910 for those of the window); their controls share them.
const std::map<QString, int>& toolWindowTags() {
    static const std::map<QString, int> tags{{"Registrationgraphwindow", 901},
                                             {"AngleDist", 901},
                                             {"Registerhaltwindow", 901},
                                             {"Zoomwindow", 109},
                                             {"SelectFrameswindow", 901},
                                             {"FFTWindow", 901},
                                             {"Multialignwindow", 901},
                                             {"RegiStration2", 902},
                                             {"movements", 902},
                                             {"StackFrameswindow", 903},
                                             {"Stackgraphpanel", 903},
                                             {"gbRollup1", 303},
                                             {"Sigmaevents", 903},
                                             {"Alignmentpointswindow", 903},
                                             {"Filterwindow", 904},
                                             {"WaveZoom", 904},
                                             {"HistoRGBWindow", 904},
                                             {"HistoWindow", 904},
                                             {"Tonemapwindow", 904},
                                             {"Gammawindow", 904},
                                             {"HLSwindow", 905},
                                             {"MultiAlignprogresswindow", 910},
                                             {"Imageinfowindow", 910},
                                             {"Shrinkview", 910}};
    return tags;
}

// A captioned group of a page's controls: a group box or a page of an options tab control.
bool isGroup(const QObject& object) {
    if (qobject_cast<const QGroupBox*>(&object) && !qobject_cast<const TRadioGroup*>(&object)) return true;
    const auto* stack = qobject_cast<const QStackedWidget*>(object.parent());
    return stack && qobject_cast<const QTabWidget*>(stack->parent());
}

// The page's groups that lie in no other group, in window order.
std::vector<const QObject*> outermostGroups(const QWidget& page) {
    std::vector<const QObject*> groups;
    for (const QObject* object : page.findChildren<QObject*>()) {
        if (!isGroup(*object)) continue;
        bool nested = false;
        for (const QObject* up = object->parent(); up && up != &page; up = up->parent())
            nested = nested || isGroup(*up);
        if (!nested) groups.push_back(object);
    }
    return groups;
}

bool insideStatusBar(const QObject& object) {
    for (const QObject* up = &object; up; up = up->parent())
        if (qobject_cast<const QStatusBar*>(up)) return true;
    return false;
}

int pageIndex(const QStackedWidget& pages, const QObject& object) {
    return object.parent() == &pages ? pages.indexOf(static_cast<const QWidget*>(&object)) : -1;
}

void setWindowCharset(QWidget& window, QLabel& charset1, int charset) {
    window.setProperty(CharsetProperty, charset);
    charset1.setText(QString::number(charset));
}

// Before a language file sets its paths, the window's own text of every path not kept yet.
// Returns the kept texts as the template writes them (a list's items joined with ","), by path.
std::map<std::string, std::string> keepBuiltInTexts(const std::vector<Translatable>& components,
                                                    BuiltInTexts& builtIn) {
    for (const Translatable& component : components)
        for (const TranslatableProperty& listed : component.kind->properties) {
            const QString key = (component.name + '.' + listed.name).toLower();
            if (!builtIn.byPath.contains(key)) builtIn.byPath.emplace(key, listed.read(*component.object));
        }
    std::map<std::string, std::string> own;
    for (const auto& [path, value] : builtIn.byPath) own[path.toStdString()] = value.join(',').toStdString();
    return own;
}

}  // namespace

LanguageWindow languageWindow(TMainForm& form) {
    return {form, *form.PageControl1, *form.Tabpages, form.builtInTexts};
}

WindowLanguage::WindowLanguage(const LanguageWindow& window)
    : window_(window), classes_(TranslatableClasses::componentSet()) {
    classes_.addType<ToolWindow>(
        {"TgbRollup",
         {{"caption", false,
           [](const QObject& o) { return QStringList{static_cast<const QWidget&>(o).windowTitle()}; },
           [](QObject& o, const QStringList& items) {
               static_cast<QWidget&>(o).setWindowTitle(items.value(0));
           }}}});
    QStackedWidget* pages = &window.pages;
    QTabBar* tabs = &window.tabs;
    page_ = {"TTabSheet",
             {{"caption", false,
               [pages, tabs](const QObject& o) { return QStringList{tabs->tabText(pageIndex(*pages, o))}; },
               [pages, tabs](QObject& o, const QStringList& items) {
                   tabs->setTabText(pageIndex(*pages, o), items.value(0));
               }}}};
}

std::vector<Translatable> WindowLanguage::components() const {
    std::vector<Translatable> result;
    std::vector<const QObject*> pageGroups;
    for (QObject* object : window_.window.findChildren<QObject*>()) {
        const int page = pageIndex(window_.pages, *object);
        if (page >= 0) {
            pageGroups = outermostGroups(static_cast<QWidget&>(*object));
            result.push_back({object, "TabSheet" + QString::number(page + 1), (page + 1) * 100, &page_});
            continue;
        }
        const QString name = object->objectName();
        if (name.isEmpty() || name.startsWith("qt_") || insideStatusBar(*object)) continue;
        const int tag = tagOf(*object, pageGroups);
        for (const TranslatableClass* kind : classes_.classesOf(*object))
            result.push_back({object, name, tag, kind});
    }
    return result;
}

// The tag of a component: that of the nearest tool window with a fixed one, else page ×
// 100 + the number of its outermost group on a work page, else the window's.
int WindowLanguage::tagOf(const QObject& object, const std::vector<const QObject*>& pageGroups) const {
    const QObject* group = nullptr;
    for (const QObject* up = &object; up && up != &window_.window; up = up->parent()) {
        const auto tool = toolWindowTags().find(up->objectName());
        if (tool != toolWindowTags().end()) return tool->second;
        if (qobject_cast<const ToolWindow*>(up)) return FormTag;
        const int page = pageIndex(window_.pages, *up);
        if (page >= 0) {
            const auto at = std::find(pageGroups.begin(), pageGroups.end(), group);
            const int number = at == pageGroups.end() ? 0 : static_cast<int>(at - pageGroups.begin()) + 1;
            return (page + 1) * 100 + std::min(number, MaxGroup);
        }
        if (isGroup(*up)) group = up;
    }
    return FormTag;
}

int windowCharset(const QWidget& window) {
    const QVariant charset = window.property(CharsetProperty);
    return charset.isValid() ? charset.toInt() : DefaultCharset;
}

void SpeedButton1Click(const LanguageWindow& window, const LanguageBox& Languagebox, MessagePort& messages) {
    const WindowLanguage language(window);
    const TranslationTemplate written = buildTranslationTemplate(templateEntries(language.components()));
    const std::string name = Languagebox.currentText().toStdString();
    try {
        // Only a name of letters, digits and "_" names a template: typed text never reaches
        // another folder.
        if (!name.empty() && isTemplateName(name))
            writeFileAtomically(ProgramDir() / (name + "1.txt"), written.templateText);
        writeFileAtomically(ProgramDir() / CaptionList, written.captionList);
    } catch (const FileError& error) {
        messages.error("Language", error.what());
    }
}

void LanguageboxChange(const LanguageWindow& window, LanguageControls& controls) {
    const std::filesystem::path captionList = ProgramDir() / CaptionList;
    LanguageBox& box = controls.Languagebox;
    const int chosen = box.currentIndex();
    // Text typed into the box chooses no language.
    if (!std::filesystem::exists(captionList) || chosen < 0 || box.itemText(chosen) != box.currentText())
        return;
    const std::string item = box.itemText(chosen).toStdString();
    const int methods = controls.QualityMethodCombo.count();

    const WindowLanguage language(window);
    const std::vector<Translatable> components = language.components();
    TranslatableTarget target(components);
    // The file is decoded in its character set before it is applied, so one application
    // gives the texts and the set the language needs.
    TLanguage Language1 = TLanguage::read(findResource(item + ".txt"), languageCharset(item));
    const std::vector<std::string> paths = readCaptionList(captionList);
    Language1.Properties = untranslatedFirst(paths, Language1, keepBuiltInTexts(components, window.builtIn));
    Language1.Apply(target);
    setWindowCharset(window.window, controls.charset1, Language1.charset());

    if (controls.QualityMethodCombo.count() < methods) {
        const QStringList all = controls.CopyAlignmethods.Items();
        const QSignalBlocker quiet(controls.QualityMethodCombo);
        controls.QualityMethodCombo.clear();
        controls.QualityMethodCombo.addItems(all.mid(0, methods));
        controls.QualityMethodCombo.setCurrentIndex(controls.CopyAlignmethods.ItemIndex());
    }
}

void listLanguages(LanguageBox& Languagebox) {
    Languagebox.list(languageFileItems(resourceDirs()));
}

void ComboBox5Change(QWidget& window, const QComboBox& ComboBox5, QLabel& charset1) {
    if (const std::optional<int> charset = charsetOfComboItem(ComboBox5.currentIndex()))
        setWindowCharset(window, charset1, *charset);
}

void FontsizeChange(QWidget& window, const TRxSpinEdit& Fontsize) {
    const int height =
        static_cast<int>(std::lrint(std::clamp(static_cast<double>(Fontsize.Value()), 1.0, 1000.0)));
    // Controls under a style sheet keep the font they were polished with instead of following
    // the window's, so each control is given the height itself.
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    for (QWidget* widget : widgets) {
        QFont font = widget->font();
        font.setPixelSize(height);
        widget->setFont(font);
    }
}

void connectLanguageControls(TMainForm& form) {
    AlignPage& align = *form.alignPage;
    MessagePort& messages = form.app.messages();
    const LanguageWindow window = languageWindow(form);
    QObject::connect(control<QToolButton>(align, "Speedbutton1"), &QToolButton::clicked, &form,
                     [window, &align, &messages] {
                         SpeedButton1Click(window, *control<LanguageBox>(align, "Languagebox"), messages);
                     });
    QObject::connect(control<LanguageBox>(align, "Languagebox"), &LanguageBox::listRequested, &form,
                     [&align] { listLanguages(*control<LanguageBox>(align, "Languagebox")); });
    QObject::connect(control<LanguageBox>(align, "Languagebox"), &QComboBox::activated, &form,
                     [window, &align] {
                         LanguageControls controls{*control<LanguageBox>(align, "Languagebox"),
                                                   *control<QLabel>(align, "charset1"),
                                                   *control<QComboBox>(align, "QualityMethodCombo"),
                                                   *control<TRadioGroup>(align, "CopyAlignmethods")};
                         LanguageboxChange(window, controls);
                     });
    QObject::connect(control<QComboBox>(align, "ComboBox5"), &QComboBox::activated, &form, [&form, &align] {
        ComboBox5Change(form, *control<QComboBox>(align, "ComboBox5"), *control<QLabel>(align, "charset1"));
    });
    QObject::connect(control<TRxSpinEdit>(align, "Fontsize"), &TRxSpinEdit::OnChange, &form,
                     [&form, &align] { FontsizeChange(form, *control<TRxSpinEdit>(align, "Fontsize")); });
}

}  // namespace kestrave
