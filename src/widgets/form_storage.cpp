#include "widgets/form_storage.h"

#include <QWidget>
#include <algorithm>
#include <exception>

#include "persist/big_ini_file.h"
#include "widgets/component_text.h"
#include "widgets/form_props.h"

namespace kestrave {

// ---- TStoredValue ----

namespace {

StoredValueNameError duplicateName(const QString& name) {
    return StoredValueNameError(QStringLiteral("Duplicate stored value name \"%1\"").arg(name).toStdString());
}

}  // namespace

void TStoredValue::Assign(const TStoredValue& other) {
    // A taken name leaves the item as it was.
    SetDisplayName(other.name_);
    Value = other.Value;
    KeyString = other.KeyString;
}

QString TStoredValue::GetDisplayName() const {
    if (!name_.isEmpty()) return name_;
    const auto& items = collection_.items_;
    const auto self =
        std::find_if(items.begin(), items.end(), [this](const auto& item) { return item.get() == this; });
    return QStringLiteral("TStoredValue%1").arg(self - items.begin());
}

void TStoredValue::SetDisplayName(const QString& name) {
    for (const auto& item : collection_.items_) {
        if (item.get() != this && !name.isEmpty() && item->name_.compare(name, Qt::CaseInsensitive) == 0)
            throw duplicateName(name);
    }
    name_ = name;
}

std::string TStoredValue::fileText(const QVariant& value) const {
    const std::string text = value.toString().toStdString();
    return KeyString.isEmpty() ? text : XorEncode(KeyString.toStdString(), text);
}

void TStoredValue::Save(TBigIniFile& ini, const std::string& section) {
    QVariant value = Value;
    if (OnSave) OnSave(*this, value);
    ini.WriteString(section, name_.toStdString(), fileText(value));
}

void TStoredValue::Restore(TBigIniFile& ini, const std::string& section) {
    std::string text = ini.ReadString(section, name_.toStdString(), fileText(Value));
    if (!KeyString.isEmpty()) text = XorDecode(KeyString.toStdString(), text);
    Value = QString::fromStdString(text);
    if (OnRestore) OnRestore(*this, Value);
}

// ---- TStoredValues ----

TStoredValue& TStoredValues::Add() {
    items_.push_back(std::unique_ptr<TStoredValue>(new TStoredValue(*this)));
    return *items_.back();
}

TStoredValue& TStoredValues::Add(const QString& name, const QVariant& value) {
    if (IndexOf(name) >= 0) throw duplicateName(name);
    TStoredValue& item = Add();
    item.setName(name);
    item.Value = value;
    return item;
}

int TStoredValues::IndexOf(const QString& name) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i]->name_.compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    }
    return -1;
}

TStoredValue* TStoredValues::ValueByName(const QString& name) {
    const int index = IndexOf(name);
    return index < 0 ? nullptr : items_[static_cast<std::size_t>(index)].get();
}

void TStoredValues::SaveValues(TBigIniFile& ini, const std::string& section) {
    for (const auto& item : items_) item->Save(ini, section);
}

void TStoredValues::RestoreValues(TBigIniFile& ini, const std::string& section) {
    for (const auto& item : items_) item->Restore(ini, section);
}

// ---- TFormStorage ----

TFormStorage::TFormStorage(QWidget* form) : TFormPlacement(form) {}

void TFormStorage::setStoredProps(const QStringList& entries) {
    entries_.clear();
    for (const QString& entry : entries) {
        const qsizetype point = entry.indexOf(QLatin1Char('.'));
        if (point < 0) continue;
        const QString name = entry.left(point).trimmed();
        const QString property = entry.mid(point + 1).trimmed();
        if (name.isEmpty() || property.isEmpty()) continue;
        QObject* component = form()->objectName() == name ? form() : form()->findChild<QObject*>(name);
        if (component) entries_.push_back({component, property});
    }
}

QStringList TFormStorage::StoredProps() const {
    QStringList list;
    for (const Entry& entry : entries_) {
        if (entry.component) list << entry.component->objectName() + "." + entry.property;
    }
    return list;
}

template <class Action>
void TFormStorage::forEachEntry(TBigIniFile& ini, Action&& action) {
    std::erase_if(entries_, [](const Entry& entry) { return entry.component.isNull(); });
    for (const Entry& entry : entries_) {
        // A handler run by an earlier property may have destroyed this component.
        if (!entry.component) continue;
        TPropsStorage storage(ini, iniSection(), entry.component->objectName() + "_");
        action(storage, *entry.component, entry.property);
    }
}

void TFormStorage::SaveProperties(TBigIniFile& ini) {
    forEachEntry(ini, [](TPropsStorage& storage, QObject& component, const QString& property) {
        storage.StoreProperty(component, property);
    });
}

void TFormStorage::RestoreProperties(TBigIniFile& ini) {
    forEachEntry(ini, [](TPropsStorage& storage, QObject& component, const QString& property) {
        // A value the control refuses leaves that control as it is; the others are restored.
        try {
            storage.LoadProperty(component, property);
        } catch (const std::exception&) {
        }
    });
}

void TFormStorage::SavePlacement(TBigIniFile& ini) {
    TFormPlacement::SavePlacement(ini);
    SaveProperties(ini);
    storedValues_.SaveValues(ini, iniSection());
}

void TFormStorage::RestorePlacement(TBigIniFile& ini) {
    TFormPlacement::RestorePlacement(ini);
    setRestored();
    RestoreProperties(ini);
    storedValues_.RestoreValues(ini, iniSection());
}

}  // namespace kestrave
