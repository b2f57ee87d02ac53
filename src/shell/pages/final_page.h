#pragma once
// The "Final" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>

namespace kestrave {

class FinalPage : public QWidget {
    Q_OBJECT
public:
    explicit FinalPage(QWidget* parent = nullptr);
};

}  // namespace kestrave
