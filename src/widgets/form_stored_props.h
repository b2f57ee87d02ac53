#pragma once
// The main window's stored control values: the properties that its form storage keeps in the
// section "Form" of "kestrave.ini" from one run to the next and carries in project files.

#include <QStringList>

namespace kestrave {

// "Component.Property" entries in the order they are written. Entries whose control the window
// does not have are dropped when the storage resolves them.
const QStringList& mainFormStoredProps();

}  // namespace kestrave
