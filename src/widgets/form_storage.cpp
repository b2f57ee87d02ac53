#include "widgets/form_storage.h"

#include <QWidget>
#include <exception>

#include "widgets/form_props.h"

namespace kestrave {

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
}

void TFormStorage::RestorePlacement(TBigIniFile& ini) {
    TFormPlacement::RestorePlacement(ini);
    setRestored();
    RestoreProperties(ini);
}

}  // namespace kestrave
