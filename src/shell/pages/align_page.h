#pragma once
// The "Align" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>

namespace kestrave {

class AlignPage : public QWidget {
    Q_OBJECT
public:
    explicit AlignPage(QWidget* parent = nullptr);
};

}  // namespace kestrave
