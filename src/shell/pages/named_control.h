#pragma once
// A control found the way the form storage and the language files find it: by its object name
// under a window or a page. Exactly one control of that name and type must be there; anything
// else is a fault of the caller and throws.

#include <QObject>
#include <QString>
#include <stdexcept>
#include <string>

namespace kestrave {

template <class Control>
Control* control(const QObject& root, const char* name) {
    const auto found = root.findChildren<Control*>(QString::fromLatin1(name));
    if (found.size() != 1) {
        throw std::logic_error(std::to_string(found.size()) + " controls named " + name + " under " +
                               root.objectName().toStdString());
    }
    return found.front();
}

}  // namespace kestrave
