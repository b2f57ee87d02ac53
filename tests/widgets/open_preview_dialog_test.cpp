// The open dialog's preview pane: texts in the system's language, pictures scaled to the box,
// the program's own previews, and a dialog that goes on when the program's preview fails.

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMimeDatabase>
#include <QScrollArea>
#include <QTextEdit>
#include <QToolButton>
#include <stdexcept>

#include "platform/wave_sound.h"
#include "support/recording_sound_sink.h"
#include "support/temp_dir.h"
#include "widget_test_support.h"
#include "widgets/open_preview_dialog.h"

namespace kestrave {
namespace {

TEST(LocalizedTexts, LanguageEntryThenDefaultThenFirst) {
    const TLocalizedTexts texts{"0407=Keine Vorschau", "Default=No preview", "0413=Geen voorbeeld"};
    struct Case {
        TLocalizedTexts list;
        const char* language;
        const char* text;
    };
    const Case cases[] = {
        {texts, "0407", "Keine Vorschau"},
        {texts, "0413", "Geen voorbeeld"},
        {texts, "0410", "No preview"},  // Italian has no entry
        {texts, "Default", "No preview"},
        {{"0406=Ingen visning", "0407=Keine Vorschau"}, "0410", "Ingen visning"},
        {{"Default="}, "0409", ""},
        {{}, "0409", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(localizedText(c.list, c.language), c.text) << c.language;

    const std::pair<QLocale, const char*> languages[] = {
        {QLocale(QLocale::Danish, QLocale::Denmark), "0406"},
        {QLocale(QLocale::German, QLocale::Austria), "0C07"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "0409"},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), "0809"},
        {QLocale(QLocale::French, QLocale::Canada), "0C0C"},
        {QLocale(QLocale::German, QLocale::Germany), "0407"},
        {QLocale(QLocale::English, QLocale::India), "Default"},
        {QLocale(QLocale::Dutch, QLocale::Netherlands), "0413"},
        {QLocale(QLocale::Italian, QLocale::Italy), "Default"},
    };
    for (const auto& [locale, id] : languages)
        EXPECT_EQ(languageIdOf(locale), id) << locale.name().toStdString();
}

TEST(OpenPreviewDialog, PicturesLargerThanTheBoxShrinkToItKeepingTheirProportions) {
    struct Case {
        QSize picture, box;
        bool scale;
        QSize shown;
    };
    const Case cases[] = {
        {{2000, 1000}, {200, 200}, true, {200, 100}},    {{1000, 2000}, {200, 200}, true, {100, 200}},
        {{300, 200}, {200, 200}, true, {200, 133}},  // 133.3 truncated
        {{201, 300}, {200, 200}, true, {134, 200}},  // 134.0
        {{150, 100}, {200, 200}, true, {150, 100}},  // fits: its own size
        {{2000, 1000}, {200, 200}, false, {2000, 1000}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fittedPictureSize(c.picture, c.box, c.scale), c.shown) << c.picture.width();
}

struct PreviewDialogTest : test::WidgetTest {
    PreviewDialogTest() {
        dialog.CustomPreviewExtensions = {"avi", "fit", "tif", "png", "fits", "fts", "ser"};
        dialog.OnPreview = [this](TPBOpenPreviewDialog& sender, const QString& ext) {
            handled << ext;
            if (throwing) throw std::runtime_error("damaged file");
            sender.setPreviewText("Image :" + ext);
            if (!drawing) return;
            QImage frame(64, 48, QImage::Format_RGB32);
            frame.fill(Qt::white);
            sender.drawPreviewImage(frame, QRect(0, 0, 50, 30));
        };
        dialog.PreviewBox->setFixedSize(202, 202);  // inside a border of one pixel
        dialog.show();
    }
    QString write(const QString& name, const QByteArray& bytes = "x") {
        const QString path = QString::fromStdString((dir / name.toStdString()).string());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    bool showsNoPreview() const {
        return dialog.PreviewTextBox->isVisible() &&
               dialog.PreviewTextBox->toPlainText().trimmed() ==
                   localizedText(dialog.NoPreviewTexts, dialog.LanguageId);
    }

    test::TempDir dir;
    TPBOpenPreviewDialog dialog;
    QStringList handled;
    bool throwing = false;
    bool drawing = true;
};

TEST_F(PreviewDialogTest, OwnFormatsGoToTheProgramWhichDrawsIntoThePane) {
    emit dialog.currentChanged(write("CAPTURE.FTS"));
    EXPECT_EQ(handled, QStringList{"fts"});
    EXPECT_EQ(dialog.PreviewCaption->text(), "Image :fts");
    EXPECT_TRUE(dialog.PictureBox->isVisible());
    EXPECT_EQ(dialog.PreviewImage->size(), QSize(200, 200));
    const QImage drawn = dialog.PreviewImage->pixmap().toImage();
    EXPECT_EQ(drawn.pixelColor(49, 29), QColor(Qt::white));
    EXPECT_EQ(drawn.pixelColor(49, 30), dialog.palette().color(QPalette::Button));
    EXPECT_EQ(dialog.ScaleButton->toolTip(), "Process mosaic") << "no picture of the pane's own";

    // The show-preview toggle up: nothing is read, the pane says there is no preview.
    dialog.ShowPreviewButton->click();
    EXPECT_FALSE(dialog.ShowPreview());
    EXPECT_EQ(handled.size(), 1);
    EXPECT_TRUE(showsNoPreview());
    EXPECT_EQ(dialog.PreviewCaption->text(), localizedText(dialog.PreviewCaptions, dialog.LanguageId));
    dialog.ShowPreviewButton->click();
    EXPECT_EQ(handled.size(), 2);
    EXPECT_TRUE(dialog.PictureBox->isVisible());

    // A directory or a missing file is not handed on.
    emit dialog.currentChanged(QString::fromStdString(dir.path().string()));
    emit dialog.currentChanged(QString::fromStdString((dir / "gone.avi").string()));
    EXPECT_EQ(handled.size(), 2);
    EXPECT_TRUE(showsNoPreview());
    drawing = false;  // a preview the program returns from without drawing still counts as made
    emit dialog.currentChanged(write("dark.ser"));
    EXPECT_FALSE(showsNoPreview());
}

TEST_F(PreviewDialogTest, AFailingPreviewShowsNoPreviewAndTheDialogGoesOn) {
    throwing = true;
    emit dialog.currentChanged(write("broken.avi"));
    EXPECT_TRUE(showsNoPreview());
    EXPECT_TRUE(dialog.PreviewText().isEmpty());
    EXPECT_TRUE(dialog.isVisible());
    throwing = false;
    emit dialog.currentChanged(write("good.ser"));
    EXPECT_EQ(handled, (QStringList{"avi", "ser"}));
    EXPECT_EQ(dialog.PreviewCaption->text(), "Image :ser");
    EXPECT_TRUE(dialog.PictureBox->isVisible());
}

TEST_F(PreviewDialogTest, ThePaneShowsPicturesTextAndTypeNamesItself) {
    QImage wide(2000, 1000, QImage::Format_RGB32);
    wide.fill(Qt::darkGreen);
    const QString picture = QString::fromStdString((dir / "wide.bmp").string());
    ASSERT_TRUE(wide.save(picture, "BMP"));
    emit dialog.currentChanged(picture);
    EXPECT_TRUE(handled.isEmpty());
    EXPECT_EQ(dialog.PreviewImage->size(), QSize(200, 100));
    dialog.ScaleButton->click();  // toggle up: full size, scrolled
    EXPECT_FALSE(dialog.WordWrapAndScale());
    EXPECT_EQ(dialog.PreviewImage->size(), QSize(2000, 1000));
    dialog.setWordWrapAndScale(true);
    EXPECT_TRUE(dialog.ScaleButton->isChecked());

    emit dialog.currentChanged(write("notes.txt", "first line\nsecond line"));
    EXPECT_EQ(dialog.PreviewTextBox->toPlainText(), "first line\nsecond line");
    EXPECT_EQ(dialog.ScaleButton->toolTip(), localizedText(dialog.WordWrapHints, dialog.LanguageId));

    const QString points = write("points.kap", "[Points]\nCount=1\n");
    emit dialog.currentChanged(points);
    const QString typeName = QMimeDatabase().mimeTypeForFile(points).comment();
    ASSERT_FALSE(typeName.isEmpty());
    EXPECT_EQ(dialog.PreviewTextBox->toPlainText().trimmed(), typeName);
    EXPECT_TRUE(dialog.PreviewTextBox->toPlainText().startsWith('\n')) << "centred";
}

TEST_F(PreviewDialogTest, ASoundFilePlaysUntilTheNextFileOrTheDialogCloses) {
    test::RecordingSoundSink sink;
    dialog.setSoundSink(&sink);
    const std::int16_t samples[] = {0, 1000, -1000, 0};
    const std::vector<std::uint8_t> wave = makeWave(samples, 8000);
    const QString chime =
        write("chime.WAV", QByteArray(reinterpret_cast<const char*>(wave.data()), wave.size()));

    emit dialog.currentChanged(chime);
    EXPECT_EQ(sink.sounds.values(), std::vector<std::vector<std::uint8_t>>{wave})
        << "the file as it is, from memory";
    const QString typeName = QMimeDatabase().mimeTypeForFile(chime).comment();
    EXPECT_EQ(dialog.PreviewTextBox->toPlainText().trimmed(), typeName.isEmpty() ? "No preview" : typeName);
    emit dialog.currentChanged(write("notes.txt"));
    EXPECT_EQ(sink.events.values(), (std::vector<std::string>{"play 52", "stop"}))
        << "stopped by the next file";
    emit dialog.currentChanged(write("more.txt"));
    EXPECT_EQ(sink.events.values().size(), 2u) << "nothing more to stop";

    // With the show-preview toggle up a sound file is not played.
    dialog.setShowPreview(false);
    emit dialog.currentChanged(chime);
    dialog.setShowPreview(true);
    EXPECT_EQ(sink.events.values().size(), 2u);

    emit dialog.currentChanged(chime);
    dialog.reject();
    EXPECT_EQ(sink.events.values(), (std::vector<std::string>{"play 52", "stop", "play 52", "stop"}))
        << "closing the dialog stops the sound";
    dialog.setSoundSink(nullptr);
}

}  // namespace
}  // namespace kestrave
