#pragma once
// The translatable texts of the window's components: which properties of which component
// classes the translators' template lists and a language file sets ("caption", "items", "tabs",
// "btncaption"), and how each is read and set. The class table is open: each component class
// is added with its properties (TranslatableClasses::componentSet holds this folder's
// classes, the window adds its own), and a class added later takes over its objects from a
// class it derives from.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <vector>

#include "persist/language_file.h"

namespace kestrave {

struct TranslatableProperty {
    QString name;       // as the paths write it: "caption", "items", "tabs", "btncaption"
    bool list = false;  // a list of items, joined with "," in the template
    // The current text (a text is a list of one item) and the setter.
    std::function<QStringList(const QObject&)> read;
    std::function<void(QObject&, const QStringList&)> write;
};

struct TranslatableClass {
    QString name;  // the class as translators know it: "TLabel", "TComboBox", …
    std::vector<TranslatableProperty> properties;
};

class TranslatableClasses {
public:
    // The component set's classes, in the order in which their properties are listed.
    static TranslatableClasses componentSet();

    // Objects of class T, and of classes derived from it that are not added themselves.
    template <class T>
    void addType(TranslatableClass kind) {
        types_.push_back({&T::staticMetaObject, std::move(kind)});
    }
    // Objects that `holds` accepts whatever their class (the pages of a tab control); such an
    // object also keeps the class of its type.
    void addPlace(std::function<bool(const QObject&)> holds, TranslatableClass kind);

    // The classes of the object: the nearest type added, then each place that holds it.
    std::vector<const TranslatableClass*> classesOf(const QObject& object) const;

private:
    struct Type {
        const QMetaObject* meta;
        TranslatableClass kind;
    };
    struct Place {
        std::function<bool(const QObject&)> holds;
        TranslatableClass kind;
    };
    std::vector<Type> types_;
    std::vector<Place> places_;
};

// One component of the window as a language sees it.
struct Translatable {
    QObject* object = nullptr;
    QString name;  // its name in the paths: the object's name unless the window gives another
    int tag = 0;   // page × 100 + control group; 0 and 1000 and more are not translated
    const TranslatableClass* kind = nullptr;
};

// The template entries of the components, in their order: one per translatable property.
std::vector<TemplateEntry> templateEntries(const std::vector<Translatable>& components);

// The components as the target of a language file. Names compare without case. A property the
// component's class does not list is looked up among the object's own Qt properties (a text,
// an integer or a list); "Hint" is the component's own Hint where it has one, else its tool
// tip. A text equal to the current one but for blanks around it is left as it is (the file
// cannot carry those blanks), and a list keeps the item chosen in it without telling anyone.
class TranslatableTarget : public LanguageTarget {
public:
    explicit TranslatableTarget(const std::vector<Translatable>& components);

    Kind kind(const std::string& component, const std::string& property) const override;
    void setText(const std::string& component, const std::string& property,
                 const std::string& value) override;
    void setInteger(const std::string& component, const std::string& property, int value) override;
    void setList(const std::string& component, const std::string& property,
                 const std::vector<std::string>& items) override;

private:
    struct Found {
        QObject* object = nullptr;
        const TranslatableProperty* listed = nullptr;  // the class's own property, else null
        int metaIndex = -1;                            // the object's Qt property, else -1
        bool toolTip = false;                          // "Hint" as the tool tip
        Kind kind = Kind::Missing;
    };
    Found find(const std::string& component, const std::string& property) const;
    void write(const Found& found, const QStringList& items);

    std::multimap<QString, const Translatable*> byName_;  // names in lower case, window order
};

}  // namespace kestrave
