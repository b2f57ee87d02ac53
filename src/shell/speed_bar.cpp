#include "shell/speed_bar.h"

#include <QPainter>

#include "widgets/version_label.h"

namespace kestrave {
namespace {

// The small pictures under the captions of the bar's action items, 16 x 4 pixels on a
// transparent key colour (the bottom-left pixel).
enum class BarPicture { Open, Stop, Pause, Guide };

QImage barGlyph(BarPicture picture) {
    QImage image(16, 4, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    QPainter painter(&image);
    switch (picture) {
        case BarPicture::Open:  // a green arrow to the right
            painter.fillRect(4, 1, 6, 2, QColor(0, 128, 0));
            painter.fillRect(10, 0, 2, 4, QColor(0, 128, 0));
            painter.fillRect(12, 1, 1, 2, QColor(0, 128, 0));
            break;
        case BarPicture::Stop:  // a red bar
            painter.fillRect(4, 0, 8, 4, QColor(192, 0, 0));
            painter.fillRect(5, 1, 6, 2, QColor(255, 64, 64));
            break;
        case BarPicture::Pause:  // two blue bars
            painter.fillRect(5, 0, 2, 4, QColor(0, 0, 160));
            painter.fillRect(9, 0, 2, 4, QColor(0, 0, 160));
            break;
        case BarPicture::Guide:  // a yellow spark
            painter.fillRect(5, 1, 7, 2, QColor(200, 150, 0));
            painter.fillRect(7, 0, 3, 4, QColor(255, 210, 0));
            break;
    }
    return image;
}

}  // namespace

SpeedBar::SpeedBar(QWidget* parent) : TSpeedBar(parent) {
    setObjectName("Speedbar");
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(232, 232, 232));
    setPalette(colours);
    setFixedHeight(30);
    resize(1016, 30);
    // Every button at its item's stored place.
    setPosition(bpCustom);
    BtnWidth = 70;
    BtnHeight = 20;
    const int section = AddSection("Kestrave Main");
    // Each caption ends in a line break and a blank, which lifts it above the picture under it.
    const auto button = [&](const char* name, const char* caption) {
        TSpeedItem& item = *AddItem(section, QString::fromUtf8(name), QString::fromUtf8(caption));
        item.button()->setText(QString::fromUtf8(caption) + "\r\n ");
        return item.button();
    };
    Selectbutton = button("Selectbutton", "Select");
    Flatdarkbutton = button("Flatdarkbutton", "Flat/Dark");
    Projectsave = button("Projectsave", "Save");
    projectload = button("projectload", "Load");
    ProjectSaveas = button("ProjectSaveas", "Save as");
    helpbutton = button("helpbutton", "Help");
    Cancelbutton = button("Cancelbutton", "Cancel");
    hintbutton = button("hintbutton", "Hints");
    ImageInfobutton = button("ImageInfobutton", "ImageInfo");
    ClipboardFront = button("ClipboardFront", "From Clipboard");
    PauseButton = button("PauseButton", "Pause");
    Wizard = button("Wizard", "Wizard");
    ClipboardFront->setVisible(false);
    // Grey until hovered, and transparent over the bar's colour.
    setOptions(sbGrayedBtns | sbTransparentBtns);
    for (TSpeedItem* item : items()) {
        item->button()->setSpacing(1);
        item->button()->WordWrap = true;
    }
    for (auto [button, picture] :
         {std::pair{Selectbutton, BarPicture::Open}, std::pair{Cancelbutton, BarPicture::Stop},
          std::pair{PauseButton, BarPicture::Pause}, std::pair{Wizard, BarPicture::Guide}}) {
        button->setGlyph(barGlyph(picture));
        button->setLayout(ButtonLayout::GlyphBottom);
    }

    VersionLabel = new TfshVersionLabel(this);
    VersionLabel->setObjectName("VersionLabel");
    fshVersionLabel2 = new TfshVersionLabel(this);
    fshVersionLabel2->setObjectName("fshVersionLabel2");
    fshVersionLabel2->setVersionResource(TfshVersionLabel::vrDateTime);
    fshVersionLabel2->setShowInfoPrefix(false);
    fshVersionLabel2->setDateTimeFormat("dd-MM-yyyy hh:mm");
    for (TfshVersionLabel* label : {VersionLabel, fshVersionLabel2}) {
        QFont small = label->font();
        small.setPointSizeF(small.pointSizeF() * 0.8);
        label->setFont(small);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
}

void SpeedBar::resizeEvent(QResizeEvent* event) {
    TSpeedBar::resizeEvent(event);
    // The version labels stay at the right end, one above the other, right of the last button.
    const int buttonsEnd = items().back()->Left() + BtnWidth;
    const int width = std::max(0, std::min(200, this->width() - buttonsEnd - 4));
    VersionLabel->setGeometry(this->width() - width - 3, 1, width, 14);
    fshVersionLabel2->setGeometry(this->width() - width - 3, 15, width, 14);
}

}  // namespace kestrave
