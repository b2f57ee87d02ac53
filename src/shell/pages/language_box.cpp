#include "shell/pages/language_box.h"

#include <QSignalBlocker>

namespace kestrave {

LanguageBox::LanguageBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // Typed text names a template; it never becomes an item of the list.
    setInsertPolicy(QComboBox::NoInsert);
}

void LanguageBox::list(const std::vector<std::string>& files) {
    const QSignalBlocker quiet(this);
    const QString shown = currentText();
    clear();
    for (const std::string& file : files) addItem(QString::fromStdString(file));
    // A box that showed nothing shows the first item, as a filled list does.
    if (shown.isEmpty()) return;
    setEditText(shown);
    selectShownItem();
}

void LanguageBox::selectShownItem() {
    const QString shown = currentText();
    const int item = findText(shown);
    if (item < 0 || item == currentIndex()) return;
    const QSignalBlocker quiet(this);
    setCurrentIndex(item);
}

void LanguageBox::showPopup() {
    emit listRequested();
    QComboBox::showPopup();
}

}  // namespace kestrave
