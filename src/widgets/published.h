#pragma once
// Helpers shared by the components' published properties.

#include <QString>

namespace kestrave {

// A hint may hold further lines after a carriage return; the tool tip shows them as lines.
inline QString toolTipOfHint(QString hint) {
    return hint.replace(QChar('\r'), QChar('\n'));
}

}  // namespace kestrave
