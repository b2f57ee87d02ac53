#pragma once
// The open-file dialog with a preview pane. While the user moves from file to file the pane
// shows a picture, a text file, or the file's type name, and plays a sound file; files of the program's own
// formats
// (`CustomPreviewExtensions`) are handed to `OnPreview`, which draws its own preview into the
// pane. The dialog is Qt's own (not the desktop's) file dialog, so that the pane can join it.
//
// The pane: a caption panel (the caption, or the program's preview text, and two toggles: show
// previews; scale pictures to fit or wrap text) above the preview box, 8 pixels in from the
// sides and the bottom and 33 pixels below the top.

#include <QFileDialog>
#include <QImage>
#include <functional>

#include "widgets/localized_texts.h"

class QFrame;
class QLabel;
class QScrollArea;
class QStackedLayout;
class QTextEdit;
class QToolButton;

namespace kestrave {

class SoundSink;

// The size a picture is shown at in a box: with `scale` and a picture larger than the box in
// either direction, the largest size inside the box with the picture's proportions (the other
// side truncated); else the picture's own size.
QSize fittedPictureSize(QSize picture, QSize box, bool scale);

class TPBOpenPreviewDialog : public QFileDialog {
    Q_OBJECT
    Q_PROPERTY(bool ShowPreview READ ShowPreview WRITE setShowPreview)
    Q_PROPERTY(bool WordWrapAndScale READ WordWrapAndScale WRITE setWordWrapAndScale)

public:
    // Draws the preview of a file whose extension (lower case, without the dot) is one of
    // CustomPreviewExtensions: the program's own picture through drawPreviewImage, its facts
    // through setPreviewText. Once it returns the preview counts as made, drawn or not; an
    // exception leaves the pane with the no-preview text.
    using PreviewHandler = std::function<void(TPBOpenPreviewDialog& sender, const QString& ext)>;
    using ShowHandler = std::function<void(TPBOpenPreviewDialog& sender)>;

    explicit TPBOpenPreviewDialog(QWidget* parent = nullptr, const QString& caption = {},
                                  const QString& directory = {});
    ~TPBOpenPreviewDialog() override;

    // Previews are made; the show-preview toggle is down.
    bool ShowPreview() const { return showPreview_; }
    void setShowPreview(bool on);
    // Pictures larger than the box are scaled to fit, text is wrapped; the second toggle is down.
    bool WordWrapAndScale() const { return wordWrapAndScale_; }
    void setWordWrapAndScale(bool on);

    QStringList CustomPreviewExtensions;
    PreviewHandler OnPreview;
    // Runs every time the dialog is shown.
    ShowHandler OnShow;

    TLocalizedTexts Titles{"Default="};
    TLocalizedTexts PreviewCaptions{
        "Default=Preview:", "0009=Preview:", "0406=Prøvevisning:", "0407=Vorschau:",
        "0409=Preview:",    "040C=Épreuve:", "0413=Voorbeeld:"};
    TLocalizedTexts NoPreviewTexts{"Default=No preview",  "0009=No preview", "0406=Ingen visning",
                                   "0407=Keine Vorschau", "0409=No preview", "040C=Pas d'épreuve",
                                   "0413=Geen voorbeeld"};
    TLocalizedTexts ScaleHints{"Default=Scale to fit", "0009=Scale to fit", "0406=Komprimér størrelse",
                               "0407=Größe anpassen",  "0409=Scale to fit", "040C=Compression",
                               "0413=Opschalen"};
    TLocalizedTexts WordWrapHints{"Default=Mosaic", "0009=Mosaic", "0406=Mosaic", "0407=Mosaic",
                                  "0409=Mosaic",    "040C=Mosaic", "0413=Mosaic"};
    TLocalizedTexts ShowPreviewButtonHints{
        "Default=Show Preview", "0009=Show Preview",      "0406=Vis prøve",     "0407=Vorschau",
        "0409=Show Preview",    "040C=Montrer l'epreuve", "0413=Toon Voorbeeld"};
    // The language the lists are read in; taken from the system whenever the dialog is shown.
    QString LanguageId;

    // The file the pane shows: the current one of the dialog's list.
    QString FileName() const { return fileName_; }
    // Shown in the caption panel in place of the caption while it is not empty; a new file clears it.
    QString PreviewText() const { return previewText_; }
    void setPreviewText(const QString& text);
    // The size of the preview image control that OnPreview draws on: the box's inside.
    QSize previewImageSize() const;
    // Stretches `picture` into `target` of the preview image control; the rest of the control
    // keeps the button-face colour.
    void drawPreviewImage(const QImage& picture, const QRect& target);

    // Shows the preview of `file`, as moving to it in the list does.
    void previewFile(const QString& file);

    // Where a previewed sound file is played; without a sink sound files are only named. The
    // sound stops at the next file and when the dialog closes.
    SoundSink* soundSink() const { return sound_; }
    void setSoundSink(SoundSink* sink) { sound_ = sink; }
    void done(int result) override;

    // The pane's parts.
    QLabel* PreviewCaption;
    QToolButton* ShowPreviewButton;
    QToolButton* ScaleButton;
    QFrame* PreviewBox;       // the box under the caption panel: the picture or the text
    QScrollArea* PictureBox;  // holds PreviewImage; a picture shown at its own size scrolls
    QLabel* PreviewImage;
    QTextEdit* PreviewTextBox;  // text files, type names and the no-preview text

protected:
    void showEvent(QShowEvent* event) override;

private:
    enum class Shown { Nothing, Picture, Text };

    QWidget* buildPane();
    void applyLanguage();
    void clearPane();
    bool previewOwnKind(const QString& file, const QString& ext);
    bool showTypeName(const QString& file);
    void showCentred(const QString& text);
    void showPicture();
    void setToggleKind(Shown kind);
    void playSoundFile(const QString& file);
    void stopSound();

    bool showPreview_ = true;
    bool wordWrapAndScale_ = true;
    QString fileName_;
    QString previewText_;
    QImage picture_;  // the picture the pane loaded itself, at its own size
    Shown shown_ = Shown::Nothing;
    QStackedLayout* boxPages_;
    SoundSink* sound_ = nullptr;
    bool soundStarted_ = false;  // a sound of this dialog may still play
};

}  // namespace kestrave
