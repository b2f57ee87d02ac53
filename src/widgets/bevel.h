#pragma once
// The bevel panel: a gradient, a bevel frame and evenly spaced bevel lines.

#include <QWidget>
#include <vector>

#include "widgets/draw_utils.h"
#include "widgets/gradient.h"

namespace kestrave {

// Evenly spaced lines across the panel; every change repaints the owner.
class TglBevelLines : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    enum class TglOrigin { forLeftTop, forRightBottom };
    int Count = 0;
    // Stored with the lines; the spacing is even whatever they say.
    int Step = 0;
    TglOrigin Origin = TglOrigin::forLeftTop;
    // Each line is this many pixels thick (one more when bold).
    int Thickness = 1;
    bool Bold = false;
    bool IgnoreBorder = false;
    TBevelKind Style = TBevelKind::bvLowered;

    void setCount(int count);
    void setStep(int step);
    void setOrigin(TglOrigin origin);
    void setThickness(int thickness);
    void setBold(bool bold);
    void setIgnoreBorder(bool ignore);
    void setStyle(TBevelKind style);

signals:
    void changed();
};

// Where line k = 1..count lies across `size` pixels: size·k ÷ (count + 1), rounded.
std::vector<int> bevelLinePositions(int count, int size);

class TglBevel : public QWidget {
    Q_OBJECT
public:
    explicit TglBevel(QWidget* parent = nullptr);

    TBevelKind BevelInner = TBevelKind::bvLowered;
    TBevelKind BevelOuter = TBevelKind::bvNone;
    TglSides BevelSides = AllSides;
    bool BevelBold = false;
    Qt::PenStyle BevelPenStyle = Qt::SolidLine;
    int BevelPenWidth = 1;
    int InteriorOffset = 0;
    TGradient* Gradient;
    TglBevelLines* VertLines;
    TglBevelLines* HorLines;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kestrave
