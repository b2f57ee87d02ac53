#include "shell/speed_bar.h"

#include <QHBoxLayout>

#include "widgets/version_label.h"

namespace kestrave {

SpeedBar::SpeedBar(QWidget* parent) : QWidget(parent) {
    setObjectName("Speedbar");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(3);
    const auto button = [&](const char* name, const char* caption) {
        auto* item = new QToolButton(this);
        item->setObjectName(name);
        item->setText(QString::fromUtf8(caption));
        item->setMinimumWidth(70);
        layout->addWidget(item);
        return item;
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
    for (QToolButton* item : {Projectsave, projectload, ProjectSaveas, helpbutton, hintbutton, Wizard}) {
        item->setEnabled(false);
        item->setToolTip(item->text() + ": not available in this version");
    }
    layout->addStretch(1);

    VersionLabel = new TfshVersionLabel(this);
    VersionLabel->setObjectName("VersionLabel");
    fshVersionLabel2 = new TfshVersionLabel(this);
    fshVersionLabel2->setObjectName("fshVersionLabel2");
    fshVersionLabel2->setVersionResource(TfshVersionLabel::vrDateTime);
    fshVersionLabel2->setShowInfoPrefix(false);
    fshVersionLabel2->setDateTimeFormat("dd-MM-yyyy hh:mm");
    auto* versions = new QVBoxLayout;
    versions->setSpacing(0);
    for (TfshVersionLabel* label : {VersionLabel, fshVersionLabel2}) {
        QFont small = label->font();
        small.setPointSizeF(small.pointSizeF() * 0.8);
        label->setFont(small);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        versions->addWidget(label);
    }
    layout->addLayout(versions);
}

}  // namespace kestrave
