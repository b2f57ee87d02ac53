#pragma once
// A non-visual component for the window's curves: it keeps a list of curve objects, empty until
// someone fills it. The curves themselves are the editors' own.

#include <QList>
#include <QObject>

namespace kestrave {

class TSplines : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    const QList<QObject*>& Items() const { return items_; }

private:
    QList<QObject*> items_;
};

}  // namespace kestrave
