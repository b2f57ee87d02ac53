#pragma once
// TFormStorage: a form placement that also keeps chosen control properties, listed as
// "Component.Property" entries (`StoredProps`). Each is written under the key
// "<component's current name>_<property name>" in the placement's section, after the placement
// keys and in list order: "Filter22.Value" gives Filter22_Value, "SelectFrameswindow.Left"
// SelectFrameswindow_Left. Values are written as form_value_text.h describes; a value that cannot
// be read back leaves its control as it is.

#include <QPointer>
#include <QStringList>
#include <vector>

#include "widgets/form_placement.h"

namespace kestrave {

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
};

}  // namespace kestrave
