#pragma once
// Control properties as the form storage sees them: found on a control by name, read and written
// as the text of one INI key.
//
// The names are the program's own (`Value`, `Checked`, `MinValue`, `ItemIndex`, `Text`,
// `Caption`, `Left`, `Top`, `Width`, `Height`), compared without case. A control that declares a
// Qt property of that name (the components of this folder do) is used as it is; plain Qt
// controls are reached through the one table of equivalents in form_props.cpp (`ItemIndex` is a
// combo box's `currentIndex`, `Text` its `currentText`, …), and the four position names act on
// the widget's geometry.

#include <QObject>
#include <QString>
#include <optional>
#include <string>

#include "widgets/form_value_text.h"

namespace kestrave {

class TBigIniFile;

class StoredProperty {
public:
    // The property of that name on the object; nullopt when it has none that is both readable
    // and writable.
    static std::optional<StoredProperty> find(QObject& object, QStringView name);

    // The name as the program declares it ("ItemIndex" also for a combo box's currentIndex).
    const QString& name() const { return name_; }
    const StoredValueType& type() const { return type_; }
    QVariant read() const;
    // False when the object refused the value.
    bool write(const QVariant& value) const;

private:
    enum class Geometry { None, Left, Top, Width, Height };

    QObject* object_ = nullptr;
    QString name_;
    StoredValueType type_;
    int propertyIndex_ = -1;
    Geometry geometry_ = Geometry::None;
};

// Stores the properties of one control under one INI section, each under the key prefix +
// property name (the form storage's prefix is the control's name and "_").
class TPropsStorage {
public:
    TPropsStorage(TBigIniFile& ini, std::string section, QString prefix)
        : ini_(ini), section_(std::move(section)), prefix_(std::move(prefix)) {}

    QString GetItemName(const QString& propName) const { return prefix_ + propName; }

    // Writes the property's text, trimmed; an empty text only for strings and characters, and
    // no text over several lines. Unknown properties and kinds without a text (object-valued
    // ones among them) are skipped.
    void StoreProperty(QObject& object, QStringView propName);
    // Reads the key (the current text is the default), trims it and sets the property when the
    // text differs; a text that is no value of the property's kind leaves it as it is.
    void LoadProperty(QObject& object, QStringView propName);

private:
    TBigIniFile& ini_;
    std::string section_;
    QString prefix_;
};

}  // namespace kestrave
