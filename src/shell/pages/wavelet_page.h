#pragma once
// The "Wavelet" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>

namespace kestrave {

class WaveletPage : public QWidget {
    Q_OBJECT
public:
    explicit WaveletPage(QWidget* parent = nullptr);
};

}  // namespace kestrave
