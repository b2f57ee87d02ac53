#include "shell/speed_bar.h"

#include "widgets/version_label.h"

namespace kestrave {

SpeedBar::SpeedBar(QWidget* parent) : TSpeedBar(parent) {
    setObjectName("Speedbar");
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(232, 232, 232));
    setPalette(colours);
    setFixedHeight(30);
    resize(1016, 30);
    const int section = AddSection("Kestrave Main");
    const auto button = [&](const char* name, const char* caption) {
        return AddItem(section, QString::fromUtf8(name), QString::fromUtf8(caption))->button();
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
    ClipboardFront = button("ClipboardFront", "Clipboard");
    PauseButton = button("PauseButton", "Pause");
    Wizard = button("Wizard", "Wizard");
    ClipboardFront->setVisible(false);
    // Items whose work the program does not do yet: greyed, and their hint says so.
    for (TSpeedItem* item : items()) {
        TRxSpeedButton* b = item->button();
        if (b != helpbutton && b != hintbutton)
            continue;
        b->setEnabled(false);
        item->setHint(b->text() + ": not available in this version");
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
