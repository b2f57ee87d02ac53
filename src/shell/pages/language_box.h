#pragma once
// The list of languages (Languagebox): one item per language file, then the program's own texts. The list is
// read again each time it opens, so a language file put into the program's folder shows at once.

#include <QComboBox>
#include <string>
#include <vector>

namespace kestrave {

class LanguageBox : public QComboBox {
    Q_OBJECT
public:
    explicit LanguageBox(QWidget* parent = nullptr);

    // The items: the files' items ("lang_de"), then the built-in texts; the text shown stays (an
    // empty box shows the first item).
    void list(const std::vector<std::string>& files);
    // Whether the text shown is the built-in texts' item.
    bool builtInChosen() const;
    // Shows the item of the text shown, when there is one, so that the list opens on it.
    void selectShownItem();

    void showPopup() override;

signals:
    // The list is about to open.
    void listRequested();
};

}  // namespace kestrave
