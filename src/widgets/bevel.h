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

    // Each setter repaints the panel when the value changes.
    TBevelKind BevelInner() const { return bevelInner_; }
    void setBevelInner(TBevelKind kind);
    TBevelKind BevelOuter() const { return bevelOuter_; }
    void setBevelOuter(TBevelKind kind);
    TglSides BevelSides() const { return bevelSides_; }
    void setBevelSides(TglSides sides);
    bool BevelBold() const { return bevelBold_; }
    void setBevelBold(bool bold);
    Qt::PenStyle BevelPenStyle() const { return bevelPenStyle_; }
    void setBevelPenStyle(Qt::PenStyle style);
    int BevelPenWidth() const { return bevelPenWidth_; }
    void setBevelPenWidth(int width);
    int InteriorOffset() const { return interiorOffset_; }
    void setInteriorOffset(int offset);
    TGradient* Gradient;
    TglBevelLines* VertLines;
    TglBevelLines* HorLines;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TBevelKind bevelInner_ = TBevelKind::bvLowered;
    TBevelKind bevelOuter_ = TBevelKind::bvNone;
    TglSides bevelSides_ = AllSides;
    bool bevelBold_ = false;
    Qt::PenStyle bevelPenStyle_ = Qt::SolidLine;
    int bevelPenWidth_ = 1;
    int interiorOffset_ = 0;
};

}  // namespace kestrave
