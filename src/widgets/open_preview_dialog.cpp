#include "widgets/open_preview_dialog.h"

#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QMimeDatabase>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QStackedLayout>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <span>

#include "platform/sound_sink.h"

namespace kestrave {

namespace {

// Text files are shown from their beginning; a huge log is not read whole.
constexpr qint64 MaxTextBytes = 1 << 20;
// A sound file is read into memory before it plays; of a long recording (over a minute and a
// half at CD quality) only the beginning is read and played.
constexpr qint64 MaxSoundBytes = 16 << 20;
const QStringList TextExtensions{"txt", "rtf", "ini", "inf", "bat", "log", "pas", "dpr", "dpk"};
const QString SoundExtension = QStringLiteral("wav");

// The picture formats Qt reads on this system, as file extensions.
const QStringList& pictureExtensions() {
    static const QStringList extensions = [] {
        QStringList list;
        for (const QByteArray& format : QImageReader::supportedImageFormats())
            list << QString::fromLatin1(format).toLower();
        return list;
    }();
    return extensions;
}

}  // namespace

QSize fittedPictureSize(QSize picture, QSize box, bool scale) {
    if (!scale || picture.isEmpty() || box.isEmpty() ||
        (picture.width() <= box.width() && picture.height() <= box.height()))
        return picture;
    const qint64 pw = picture.width();
    const qint64 ph = picture.height();
    // The picture is flatter than the box: full width; else full height.
    if (ph * box.width() < pw * box.height()) return {box.width(), static_cast<int>(box.width() * ph / pw)};
    return {static_cast<int>(box.height() * pw / ph), box.height()};
}

TPBOpenPreviewDialog::TPBOpenPreviewDialog(QWidget* parent, const QString& caption, const QString& directory)
    : QFileDialog(parent, caption, directory) {
    // The pane joins Qt's own dialog; the desktop's dialog has no room for it.
    setOption(QFileDialog::DontUseNativeDialog, true);
    auto* grid = qobject_cast<QGridLayout*>(layout());
    QWidget* pane = buildPane();
    if (grid != nullptr)
        grid->addWidget(pane, 0, grid->columnCount(), grid->rowCount(), 1);
    else
        layout()->addWidget(pane);
    connect(this, &QFileDialog::currentChanged, this, &TPBOpenPreviewDialog::previewFile);
    applyLanguage();
    clearPane();
    // Wide enough for the folder, the kinds' names and the pane side by side, within the screen.
    QSize wanted = sizeHint().expandedTo(QSize(1000, 560));
    if (const QScreen* shown = parent ? parent->screen() : QGuiApplication::primaryScreen())
        wanted = wanted.boundedTo(shown->availableGeometry().size() * 0.95);
    resize(wanted);
}

TPBOpenPreviewDialog::~TPBOpenPreviewDialog() {
    stopSound();
}

void TPBOpenPreviewDialog::done(int result) {
    stopSound();
    QFileDialog::done(result);
}

QWidget* TPBOpenPreviewDialog::buildPane() {
    auto* pane = new QWidget(this);
    pane->setObjectName("PreviewPane");
    auto* column = new QVBoxLayout(pane);
    column->setContentsMargins(8, 0, 8, 8);
    column->setSpacing(0);

    auto* captionPanel = new QWidget(pane);
    captionPanel->setFixedHeight(33);
    auto* row = new QHBoxLayout(captionPanel);
    row->setContentsMargins(0, 0, 0, 0);
    PreviewCaption = new QLabel(captionPanel);
    PreviewCaption->setObjectName("PreviewCaption");
    PreviewCaption->setMinimumWidth(1);
    ShowPreviewButton = new QToolButton(captionPanel);
    ShowPreviewButton->setObjectName("ShowPreviewButton");
    ShowPreviewButton->setFixedSize(22, 22);
    ShowPreviewButton->setCheckable(true);
    ShowPreviewButton->setChecked(showPreview_);
    ShowPreviewButton->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    ScaleButton = new QToolButton(captionPanel);
    ScaleButton->setObjectName("ScaleButton");
    ScaleButton->setFixedSize(60, 22);
    ScaleButton->setCheckable(true);
    ScaleButton->setChecked(wordWrapAndScale_);
    ScaleButton->setToolTip("Process mosaic");
    row->addWidget(PreviewCaption, 1);
    row->addWidget(ShowPreviewButton, 0, Qt::AlignVCenter);
    row->addWidget(ScaleButton, 0, Qt::AlignVCenter);

    PreviewBox = new QFrame(pane);
    QFrame* box = PreviewBox;
    box->setObjectName("PreviewBox");
    box->setFrameShape(QFrame::Box);
    box->setLineWidth(1);
    box->setMinimumSize(200, 200);
    boxPages_ = new QStackedLayout(box);
    boxPages_->setContentsMargins(0, 0, 0, 0);
    PictureBox = new QScrollArea(box);
    PictureBox->setObjectName("PictureBox");
    PictureBox->setFrameShape(QFrame::NoFrame);
    PictureBox->setAlignment(Qt::AlignCenter);
    PictureBox->setBackgroundRole(QPalette::Button);
    PreviewImage = new QLabel;
    PreviewImage->setObjectName("PreviewImage");
    PreviewImage->setAlignment(Qt::AlignCenter);
    PreviewImage->setBackgroundRole(QPalette::Button);
    PreviewImage->setAutoFillBackground(true);
    PictureBox->setWidget(PreviewImage);
    PreviewTextBox = new QTextEdit(box);
    PreviewTextBox->setObjectName("PreviewTextBox");
    PreviewTextBox->setReadOnly(true);
    PreviewTextBox->setFrameShape(QFrame::NoFrame);
    PreviewTextBox->setBackgroundRole(QPalette::Base);
    PreviewTextBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    PreviewTextBox->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    boxPages_->addWidget(PictureBox);
    boxPages_->addWidget(PreviewTextBox);

    column->addWidget(captionPanel);
    column->addWidget(box, 1);

    connect(ShowPreviewButton, &QToolButton::clicked, this, [this](bool down) {
        showPreview_ = down;
        previewFile(fileName_);
    });
    connect(ScaleButton, &QToolButton::clicked, this, [this](bool down) {
        wordWrapAndScale_ = down;
        if (shown_ == Shown::Picture && !picture_.isNull()) showPicture();
        if (shown_ == Shown::Text)
            PreviewTextBox->setLineWrapMode(down ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    });
    return pane;
}

void TPBOpenPreviewDialog::setShowPreview(bool on) {
    showPreview_ = on;
    ShowPreviewButton->setChecked(on);
}

void TPBOpenPreviewDialog::setWordWrapAndScale(bool on) {
    wordWrapAndScale_ = on;
    ScaleButton->setChecked(on);
}

void TPBOpenPreviewDialog::setPreviewText(const QString& text) {
    previewText_ = text;
    PreviewCaption->setText(text.isEmpty() ? localizedText(PreviewCaptions, LanguageId) : text);
    PreviewCaption->setToolTip(text);
}

QSize TPBOpenPreviewDialog::previewImageSize() const {
    // The box's pages share its area, but only the page shown last has been given its size.
    return PreviewBox->contentsRect().size();
}

void TPBOpenPreviewDialog::drawPreviewImage(const QImage& picture, const QRect& target) {
    QPixmap canvas(previewImageSize());
    canvas.fill(palette().color(QPalette::Button));
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, picture);
    }
    PreviewImage->setPixmap(canvas);
    PreviewImage->resize(canvas.size());
    boxPages_->setCurrentWidget(PictureBox);
}

void TPBOpenPreviewDialog::showEvent(QShowEvent* event) {
    applyLanguage();
    QFileDialog::showEvent(event);
    if (OnShow) OnShow(*this);
}

void TPBOpenPreviewDialog::applyLanguage() {
    LanguageId = languageIdOf(QLocale());
    const QString title = localizedText(Titles, LanguageId);
    if (!title.isEmpty()) setWindowTitle(title);
    setPreviewText(previewText_);
    ShowPreviewButton->setToolTip(localizedText(ShowPreviewButtonHints, LanguageId));
    setToggleKind(shown_);
}

void TPBOpenPreviewDialog::clearPane() {
    picture_ = QImage();
    shown_ = Shown::Nothing;
    PreviewImage->clear();
    PreviewImage->resize(previewImageSize());
    PreviewTextBox->clear();
    setPreviewText({});
}

void TPBOpenPreviewDialog::previewFile(const QString& file) {
    stopSound();
    clearPane();
    fileName_ = file;
    const QFileInfo info(file);
    const QString ext = info.suffix().toLower();
    bool made = false;
    if (info.isFile() && showPreview_) {
        if (CustomPreviewExtensions.contains(ext) && OnPreview)
            made = previewOwnKind(file, ext);
        else if (!pictureExtensions().contains(ext) && !TextExtensions.contains(ext) && ext != SoundExtension)
            made = showTypeName(file);
        else if (pictureExtensions().contains(ext)) {
            picture_ = QImageReader(file).read();
            made = !picture_.isNull();
            if (made) showPicture();
        } else if (TextExtensions.contains(ext)) {
            QFile text(file);
            made = text.open(QIODevice::ReadOnly);
            if (made) {
                PreviewTextBox->setLineWrapMode(wordWrapAndScale_ ? QTextEdit::WidgetWidth
                                                                  : QTextEdit::NoWrap);
                PreviewTextBox->setPlainText(QString::fromLocal8Bit(text.read(MaxTextBytes)));
                boxPages_->setCurrentWidget(PreviewTextBox);
                setToggleKind(Shown::Text);
            }
        } else {
            made = showTypeName(file);
            playSoundFile(file);
        }
    }
    if (!made) showCentred(localizedText(NoPreviewTexts, LanguageId));
}

bool TPBOpenPreviewDialog::previewOwnKind(const QString& file, const QString& ext) {
    // The program draws on the (cleared) picture control; whatever it leaves there is its preview.
    boxPages_->setCurrentWidget(PictureBox);
    try {
        OnPreview(*this, ext);
    } catch (...) {
        // The program's preview failed: the pane shows that there is none, and the dialog goes on;
        // what the program said about the file before it failed stays in the caption panel.
        const QString said = previewText_;
        clearPane();
        setPreviewText(said);
        fileName_ = file;
        return false;
    }
    return true;
}

bool TPBOpenPreviewDialog::showTypeName(const QString& file) {
    const QString name = QMimeDatabase().mimeTypeForFile(file).comment();
    if (name.isEmpty()) return false;
    showCentred(name);
    return true;
}

void TPBOpenPreviewDialog::playSoundFile(const QString& file) {
    if (!sound_) return;
    QFile wave(file);
    if (!wave.open(QIODevice::ReadOnly)) return;
    const QByteArray bytes = wave.read(MaxSoundBytes);
    sound_->play(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                           static_cast<std::size_t>(bytes.size())));
    soundStarted_ = true;
}

void TPBOpenPreviewDialog::stopSound() {
    if (!soundStarted_) return;
    soundStarted_ = false;
    if (sound_) sound_->stop();
}

void TPBOpenPreviewDialog::showCentred(const QString& text) {
    // As many empty lines above the text as fill half of the box.
    const int height = previewImageSize().height();
    const int lineHeight = std::max(1, PreviewTextBox->fontMetrics().lineSpacing());
    const int above = (height - 4) / lineHeight / 2;
    PreviewTextBox->setLineWrapMode(QTextEdit::WidgetWidth);
    PreviewTextBox->setPlainText(QString(std::max(above, 0), '\n') + text);
    QTextCursor all(PreviewTextBox->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);
    boxPages_->setCurrentWidget(PreviewTextBox);
}

void TPBOpenPreviewDialog::showPicture() {
    const QSize size = fittedPictureSize(picture_.size(), previewImageSize(), wordWrapAndScale_);
    PreviewImage->setPixmap(QPixmap::fromImage(
        size == picture_.size() ? picture_
                                : picture_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    PreviewImage->resize(size);
    boxPages_->setCurrentWidget(PictureBox);
    setToggleKind(Shown::Picture);
}

void TPBOpenPreviewDialog::setToggleKind(Shown kind) {
    shown_ = kind;
    if (kind == Shown::Picture) {
        ScaleButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarMaxButton));
        ScaleButton->setToolTip(localizedText(ScaleHints, LanguageId));
    } else if (kind == Shown::Text) {
        ScaleButton->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
        ScaleButton->setToolTip(localizedText(WordWrapHints, LanguageId));
    }
}

}  // namespace kestrave
