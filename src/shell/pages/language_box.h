#pragma once
// The list of languages (Languagebox): one item per language file. The list is read again each
// time it opens, so a language file put into the program's folder shows at once.

#include <QComboBox>
#include <string>
#include <vector>

namespace kestrave {

class LanguageBox : public QComboBox {
    Q_OBJECT
public:
    explicit LanguageBox(QWidget* parent = nullptr);

    // The items: the files' items ("lang_de"); the text shown stays (an empty box shows the first
    // item).
    void list(const std::vector<std::string>& files);
    // Shows the item of the text shown, when there is one, so that the list opens on it.
    void selectShownItem();

    void showPopup() override;

signals:
    // The list is about to open.
    void listRequested();
};

}  // namespace kestrave
