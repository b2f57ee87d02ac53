#pragma once
// The "About" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>

namespace kestrave {

class TPCheck;

class AboutPage : public QWidget {
    Q_OBJECT
public:
    explicit AboutPage(QWidget* parent = nullptr);

    TPCheck* Formmessage;  // bring the window to the front with every message
};

}  // namespace kestrave
