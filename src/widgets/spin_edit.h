#pragma once
// The number entry field: an edit box with step buttons on its right edge. Its text is the only
// store of the number; `Value` parses and formats it (see SpinValue).

#include <QLineEdit>

#include "widgets/spin_button.h"
#include "widgets/spin_value.h"

namespace kestrave {

class TRxSpinEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(double Value READ valueProperty WRITE setValueProperty)
    Q_PROPERTY(double MinValue READ minValueProperty WRITE setMinValueProperty)
    Q_PROPERTY(double MaxValue READ maxValueProperty WRITE setMaxValueProperty)
    Q_PROPERTY(double Increment READ incrementProperty WRITE setIncrementProperty)
    Q_PROPERTY(int Decimal READ Decimal WRITE setDecimal)
    Q_PROPERTY(kestrave::SpinValue::TValueType ValueType READ ValueType WRITE setValueType)
    Q_PROPERTY(bool EditorEnabled READ EditorEnabled WRITE setEditorEnabled)
    Q_PROPERTY(bool ArrowKeys READ ArrowKeys WRITE setArrowKeys)
    Q_PROPERTY(TSpinButtonKind ButtonKind READ ButtonKind WRITE setButtonKind)
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE setAlignment)
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE setAutoSelect)
    Q_PROPERTY(QString Hint READ Hint WRITE setHint)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)

public:
    using TValueType = SpinValue::TValueType;
    enum TSpinButtonKind { bkStandard, bkDiagonal };
    Q_ENUM(TSpinButtonKind)
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlignment)

    explicit TRxSpinEdit(QWidget* parent = nullptr);
    ~TRxSpinEdit() override;

    // Reading parses the text; writing clamps, formats and fires OnChange when the text changed.
    long double Value() const;
    void setValue(long double value);
    long double MinValue() const { return number_.MinValue; }
    void setMinValue(long double value) { number_.MinValue = value; }
    long double MaxValue() const { return number_.MaxValue; }
    void setMaxValue(long double value) { number_.MaxValue = value; }
    long double Increment() const { return number_.Increment; }
    void setIncrement(long double value) { number_.Increment = value; }
    int Decimal() const { return number_.Decimal; }
    void setDecimal(int decimals);
    TValueType ValueType() const { return number_.ValueType; }
    void setValueType(TValueType type);
    long double ClampValue(long double value) const { return number_.ClampValue(value); }

    bool EditorEnabled() const { return editorEnabled_; }
    void setEditorEnabled(bool enabled);
    bool ArrowKeys() const { return arrowKeys_; }
    void setArrowKeys(bool on);
    TSpinButtonKind ButtonKind() const { return buttonKind_; }
    void setButtonKind(TSpinButtonKind kind);
    TAlignment Alignment() const { return alignment_; }
    void setAlignment(TAlignment alignment);
    bool AutoSelect() const { return autoSelect_; }
    void setAutoSelect(bool on) { autoSelect_ = on; }
    QString Hint() const { return hint_; }
    void setHint(const QString& hint);
    int Tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    virtual bool IsValidKey(QChar key) const;
    virtual void StepUp();
    virtual void StepDown();

    // The step button of the current kind (the other is null).
    TRxSpinButton* spinButton() const { return spinButton_; }
    TRxUpDown* upDown() const { return upDown_; }

signals:
    void OnChange(QObject* Sender);
    void OnTopClick(QObject* Sender);
    void OnBottomClick(QObject* Sender);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double valueProperty() const { return static_cast<double>(Value()); }
    void setValueProperty(double value) { setValue(value); }
    double minValueProperty() const { return static_cast<double>(MinValue()); }
    void setMinValueProperty(double value) { setMinValue(value); }
    double maxValueProperty() const { return static_cast<double>(MaxValue()); }
    void setMaxValueProperty(double value) { setMaxValue(value); }
    double incrementProperty() const { return static_cast<double>(Increment()); }
    void setIncrementProperty(double value) { setIncrement(value); }

    void step(bool up);
    void textWasChanged();
    void rebuildButton();
    void placeButton();
    int buttonWidth() const;
    bool mayEditText() const { return editorEnabled_ && !isReadOnly(); }

    SpinValue number_;
    bool editorEnabled_ = true;
    bool arrowKeys_ = true;
    bool autoSelect_ = true;
    bool changing_ = false;
    TSpinButtonKind buttonKind_ = bkDiagonal;
    TAlignment alignment_ = taLeftJustify;
    QString hint_;
    int tag_ = 0;
    TRxSpinButton* spinButton_ = nullptr;
    TRxUpDown* upDown_ = nullptr;
};

}  // namespace kestrave
