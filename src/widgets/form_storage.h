#pragma once
// TFormStorage: a form placement that also keeps chosen control properties, listed as
// "Component.Property" entries (`StoredProps`). Each is written under the key
// "<component's current name>_<property name>" in the placement's section, after the placement
// keys and in list order: "Filter22.Value" gives Filter22_Value, "SelectFrameswindow.Left"
// SelectFrameswindow_Left. Values are written as form_value_text.h describes; a value that cannot
// be read back leaves its control as it is.

#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "widgets/form_placement.h"

namespace kestrave {

class TStoredValues;

// A stored value's name is already taken in its collection.
class StoredValueNameError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A named value kept in the storage's section under its name, after the stored properties. With
// a KeyString the text in the file is scrambled (XorEncode) under that key.
class TStoredValue {
public:
    using Event = std::function<void(TStoredValue& sender, QVariant& value)>;

    QString Name() const { return name_; }
    // Throws StoredValueNameError when another item of the collection has the name (compared
    // without case); the name then stays as it was.
    void setName(const QString& name) { SetDisplayName(name); }
    QVariant Value;
    QString KeyString;
    // May change the value before it is written, and after it was read.
    Event OnSave;
    Event OnRestore;

    // Copies the value, the name and the key string.
    void Assign(const TStoredValue& other);
    // The name, or the item's class and index when it has none.
    QString GetDisplayName() const;
    void SetDisplayName(const QString& name);
    void Save(TBigIniFile& ini, const std::string& section);
    void Restore(TBigIniFile& ini, const std::string& section);

private:
    friend class TStoredValues;
    explicit TStoredValue(TStoredValues& collection) : collection_(collection) {}
    // The value's text as the file holds it.
    std::string fileText(const QVariant& value) const;

    TStoredValues& collection_;
    QString name_;
};

class TStoredValues {
public:
    TStoredValue& Add();
    // A new item named `name`; throws StoredValueNameError when the name is taken.
    TStoredValue& Add(const QString& name, const QVariant& value = {});
    int Count() const { return static_cast<int>(items_.size()); }
    TStoredValue& Items(int index) { return *items_.at(static_cast<std::size_t>(index)); }
    int IndexOf(const QString& name) const;
    TStoredValue* ValueByName(const QString& name);
    void Delete(int index) { items_.erase(items_.begin() + index); }
    // Every item in index order.
    void SaveValues(TBigIniFile& ini, const std::string& section);
    void RestoreValues(TBigIniFile& ini, const std::string& section);

private:
    friend class TStoredValue;
    std::vector<std::unique_ptr<TStoredValue>> items_;
};

class TFormStorage : public TFormPlacement {
    Q_OBJECT
public:
    explicit TFormStorage(QWidget* form);

    // Resolves every entry against the window: the component is found by its objectName among
    // the window's descendants (or is the window itself). Entries that do not split at a "." into
    // two non-empty names, or whose component is not found, are dropped.
    void setStoredProps(const QStringList& entries);
    // The entries, rebuilt from the components' current names; an entry whose component has been
    // destroyed is gone.
    QStringList StoredProps() const;

    TStoredValues& StoredValues() { return storedValues_; }

    void SaveProperties(TBigIniFile& ini);
    void RestoreProperties(TBigIniFile& ini);

protected:
    void SavePlacement(TBigIniFile& ini) override;
    void RestorePlacement(TBigIniFile& ini) override;

private:
    struct Entry {
        QPointer<QObject> component;
        QString property;
    };
    template <class Action>
    void forEachEntry(TBigIniFile& ini, Action&& action);

    std::vector<Entry> entries_;
    TStoredValues storedValues_;
};

}  // namespace kestrave
