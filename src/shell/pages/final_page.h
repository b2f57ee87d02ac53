#pragma once
// The "Final" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>

namespace kestrave {

class TPCheck;

class FinalPage : public QWidget {
    Q_OBJECT
public:
    explicit FinalPage(QWidget* parent = nullptr);

    TPCheck* AdvancedHLS;  // the hue, lightness and saturation tool window
};

}  // namespace kestrave
