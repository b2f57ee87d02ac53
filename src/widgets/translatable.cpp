#include "widgets/translatable.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMetaProperty>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>

#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/shadow_label.h"
#include "widgets/speed_bar.h"
#include "widgets/speed_button.h"
#include "widgets/version_label.h"

namespace kestrave {

namespace {

// A one-text property read and set through the object's class.
template <class T>
TranslatableProperty textProperty(const char* name, QString (T::*get)() const,
                                  void (T::*set)(const QString&)) {
    return {
        name, false,
        [get](const QObject& object) { return QStringList{(static_cast<const T&>(object).*get)()}; },
        [set](QObject& object, const QStringList& items) { (static_cast<T&>(object).*set)(items.value(0)); }};
}

template <class T>
TranslatableProperty caption(QString (T::*get)() const, void (T::*set)(const QString&)) {
    return textProperty<T>("caption", get, set);
}

// The page of a tab control, as a tab sheet with the tab's text as its caption.
QTabWidget* tabControlOf(const QObject& object) {
    const auto* stack = qobject_cast<const QStackedWidget*>(object.parent());
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parent()) : nullptr;
    return tabs && object.isWidgetType() && tabs->indexOf(static_cast<const QWidget*>(&object)) >= 0
               ? tabs
               : nullptr;
}

// New items for a combo box: the item chosen stays chosen (and an edited text stays), and no
// handler hears of the change, which is one of words and not of choice.
void setComboItems(QComboBox& combo, const QStringList& items) {
    const QSignalBlocker quiet(combo);
    const int index = combo.currentIndex();
    const QString edited = combo.currentText();
    combo.clear();
    combo.addItems(items);
    combo.setCurrentIndex(index < combo.count() ? index : -1);
    if (combo.isEditable()) combo.setEditText(edited);
}

void setRadioItems(TRadioGroup& group, const QStringList& items) {
    const QSignalBlocker quiet(group);
    const int index = group.ItemIndex();
    group.setItems(items);
    group.setItemIndex(index);
}

QStringList tabTexts(const QTabBar& bar) {
    QStringList tabs;
    for (int i = 0; i < bar.count(); ++i) tabs << bar.tabText(i);
    return tabs;
}

// As many tabs as there are both tabs and texts get the texts.
void setTabTexts(QTabBar& bar, const QStringList& texts) {
    for (int i = 0; i < bar.count() && i < texts.size(); ++i) bar.setTabText(i, texts[i]);
}

// A text as a language file can carry it: no blanks around it, every line break one "\n".
QString asFileCarriesIt(QString text) {
    return text.replace("\r\n", "\n").replace('\r', '\n').trimmed();
}

bool sameButForBlanks(const QStringList& a, const QStringList& b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (asFileCarriesIt(a[i]) != asFileCarriesIt(b[i])) return false;
    return true;
}

QStringList qtList(const std::vector<std::string>& items) {
    QStringList list;
    for (const std::string& item : items) list << QString::fromStdString(item);
    return list;
}

std::string joined(const QStringList& items) {
    return items.join(',').toStdString();
}

}  // namespace

TranslatableClasses TranslatableClasses::componentSet() {
    TranslatableClasses classes;
    classes.addType<QLabel>({"TLabel", {caption(&QLabel::text, &QLabel::setText)}});
    classes.addType<TRxLabel>({"TRxLabel", {caption(&QLabel::text, &QLabel::setText)}});
    // The version labels show the program file's facts, which are no words to translate.
    classes.addType<TfshVersionLabel>({"TfshVersionLabel", {}});
    classes.addType<TRadioGroup>(
        {"TRadioGroup",
         {caption(&TRadioGroup::Caption, &TRadioGroup::setCaption),
          {"items", true, [](const QObject& o) { return static_cast<const TRadioGroup&>(o).Items(); },
           [](QObject& o, const QStringList& items) {
               setRadioItems(static_cast<TRadioGroup&>(o), items);
           }}}});
    classes.addType<TPCheck>({"TPCheck", {caption(&TPCheck::Caption, &TPCheck::setCaption)}});
    classes.addType<QAction>({"TMenuItem", {caption(&QAction::text, &QAction::setText)}});
    classes.addType<QGroupBox>({"TGroupBox", {caption(&QGroupBox::title, &QGroupBox::setTitle)}});
    classes.addType<QCheckBox>({"TCheckBox", {caption(&QCheckBox::text, &QCheckBox::setText)}});
    classes.addPlace([](const QObject& o) { return tabControlOf(o) != nullptr; },
                     {"TTabSheet",
                      {{"caption", false,
                        [](const QObject& o) {
                            const QTabWidget* tabs = tabControlOf(o);
                            return QStringList{tabs->tabText(tabs->indexOf(static_cast<const QWidget*>(&o)))};
                        },
                        [](QObject& o, const QStringList& items) {
                            QTabWidget* tabs = tabControlOf(o);
                            tabs->setTabText(tabs->indexOf(static_cast<QWidget*>(&o)), items.value(0));
                        }}}});
    classes.addType<TSpeedItem>(
        {"TSpeedItem",
         {{"btncaption", false,
           [](const QObject& o) { return QStringList{static_cast<const TSpeedItem&>(o).button()->text()}; },
           [](QObject& o, const QStringList& items) {
               static_cast<TSpeedItem&>(o).button()->setText(items.value(0));
           }}}});
    classes.addType<QPushButton>({"TButton", {caption(&QPushButton::text, &QPushButton::setText)}});
    classes.addType<TRxSpeedButton>(
        {"TRxSpeedButton", {caption(&TRxSpeedButton::Caption, &TRxSpeedButton::setCaption)}});
    // A speed-bar button shows its item's caption, which the item lists.
    classes.addType<TSpeedbarButton>({"TSpeedbarButton", {}});
    classes.addType<QComboBox>(
        {"TComboBox",
         {{"items", true,
           [](const QObject& o) {
               const auto& combo = static_cast<const QComboBox&>(o);
               QStringList items;
               for (int i = 0; i < combo.count(); ++i) items << combo.itemText(i);
               return items;
           },
           [](QObject& o, const QStringList& items) { setComboItems(static_cast<QComboBox&>(o), items); }}}});
    classes.addType<QTabBar>(
        {"TglTabControl",
         {{"tabs", true, [](const QObject& o) { return tabTexts(static_cast<const QTabBar&>(o)); },
           [](QObject& o, const QStringList& texts) { setTabTexts(static_cast<QTabBar&>(o), texts); }}}});
    return classes;
}

void TranslatableClasses::addPlace(std::function<bool(const QObject&)> holds, TranslatableClass kind) {
    places_.push_back({std::move(holds), std::move(kind)});
}

std::vector<const TranslatableClass*> TranslatableClasses::classesOf(const QObject& object) const {
    std::vector<const TranslatableClass*> classes;
    for (const QMetaObject* meta = object.metaObject(); meta && classes.empty(); meta = meta->superClass())
        for (auto it = types_.rbegin(); it != types_.rend(); ++it)
            if (it->meta == meta) {
                classes.push_back(&it->kind);
                break;
            }
    for (const Place& place : places_)
        if (place.holds(object)) classes.push_back(&place.kind);
    return classes;
}

std::vector<TemplateEntry> templateEntries(const std::vector<Translatable>& components) {
    std::vector<TemplateEntry> entries;
    for (const Translatable& component : components)
        for (const TranslatableProperty& property : component.kind->properties)
            entries.push_back({component.tag, (component.name + '.' + property.name).toStdString(),
                               joined(property.read(*component.object))});
    return entries;
}

TranslatableTarget::TranslatableTarget(const std::vector<Translatable>& components) {
    for (const Translatable& component : components) byName_.emplace(component.name.toLower(), &component);
}

TranslatableTarget::Found TranslatableTarget::find(const std::string& component,
                                                   const std::string& property) const {
    const QString name = QString::fromStdString(component).toLower();
    const QString wanted = QString::fromStdString(property);
    const auto [first, last] = byName_.equal_range(name);
    if (first == last) return {};
    for (auto it = first; it != last; ++it)
        for (const TranslatableProperty& listed : it->second->kind->properties)
            if (listed.name.compare(wanted, Qt::CaseInsensitive) == 0)
                return {it->second->object, &listed, -1, false, listed.list ? Kind::List : Kind::Text};
    QObject* object = first->second->object;
    const QMetaObject& meta = *object->metaObject();
    for (int i = 0; i < meta.propertyCount(); ++i) {
        const QMetaProperty qt = meta.property(i);
        if (!qt.isWritable() || QString::fromLatin1(qt.name()).compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        switch (qt.metaType().id()) {
            case QMetaType::QString:
                return {object, nullptr, i, false, Kind::Text};
            case QMetaType::Int:
                return {object, nullptr, i, false, Kind::Integer};
            case QMetaType::QStringList:
                return {object, nullptr, i, false, Kind::List};
            default:
                return {};
        }
    }
    if (wanted.compare("Hint", Qt::CaseInsensitive) == 0 &&
        (object->isWidgetType() || qobject_cast<QAction*>(object)))
        return {object, nullptr, -1, true, Kind::Text};
    return {};
}

LanguageTarget::Kind TranslatableTarget::kind(const std::string& component,
                                              const std::string& property) const {
    return find(component, property).kind;
}

void TranslatableTarget::write(const Found& found, const QStringList& items) {
    if (found.listed) {
        if (!sameButForBlanks(found.listed->read(*found.object), items))
            found.listed->write(*found.object, items);
    } else if (found.toolTip) {
        found.object->setProperty("toolTip", items.value(0));
    } else if (found.metaIndex >= 0) {
        const QMetaProperty qt = found.object->metaObject()->property(found.metaIndex);
        qt.write(found.object, found.kind == Kind::List ? QVariant(items) : QVariant(items.value(0)));
    }
}

void TranslatableTarget::setText(const std::string& component, const std::string& property,
                                 const std::string& value) {
    const Found found = find(component, property);
    if (found.kind == Kind::Text) write(found, {QString::fromStdString(value)});
}

void TranslatableTarget::setInteger(const std::string& component, const std::string& property, int value) {
    const Found found = find(component, property);
    if (found.kind == Kind::Integer)
        found.object->metaObject()->property(found.metaIndex).write(found.object, value);
}

void TranslatableTarget::setList(const std::string& component, const std::string& property,
                                 const std::vector<std::string>& items) {
    const Found found = find(component, property);
    if (found.kind == Kind::List) write(found, qtList(items));
}

}  // namespace kestrave
