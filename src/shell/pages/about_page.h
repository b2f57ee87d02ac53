#pragma once
// The "About" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>

namespace kestrave {

class AboutPage : public QWidget {
    Q_OBJECT
public:
    explicit AboutPage(QWidget* parent = nullptr);
};

}  // namespace kestrave
