#include "shell/pages/avi_controls.h"

#include <QPushButton>

#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "widgets/radio_group.h"
#include "widgets/spin_edit.h"

namespace kestrave {

AviControls::AviControls(QWidget* parent) : QWidget(parent) {
    setObjectName("AviControls");
    RegisterAVI = pushButton(this, "RegisterAVI", "Registered AVI");
    Registeravichoice =
        radioGroup(this, "Registeravichoice", "Image size", {"Alignment area", "Maximum area"}, 0);
    Integrated = pushButton(this, "Integrated", "Integrated AVI");
    Integratestep = integerSpin(this, "Integratestep", 3, 50, 5);
    Integratestep->setMaximumWidth(80);
    MethodIntegratedAVI =
        radioGroup(this, "MethodIntegratedAVI", "Method", {"Moving average", "Compressed "}, 0);
    auto* layout = new QHBoxLayout(this);
    compact(layout, 4);
    layout->addWidget(Registeravichoice);
    layout->addWidget(RegisterAVI, 0, Qt::AlignBottom);
    layout->addSpacing(16);
    layout->addWidget(caption(this, "Frames", Integratestep));
    layout->addWidget(Integratestep);
    layout->addWidget(MethodIntegratedAVI);
    layout->addWidget(Integrated, 0, Qt::AlignBottom);
    layout->addStretch(1);
}

}  // namespace kestrave
