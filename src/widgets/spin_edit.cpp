#include "widgets/spin_edit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLocale>
#include <QMenu>
#include <QStyle>
#include <algorithm>
#include <memory>

#include "platform/scope_exit.h"
#include "widgets/published.h"

namespace kestrave {

TRxSpinEdit::TRxSpinEdit(QWidget* parent) : QLineEdit(parent) {
    const QString separator = QLocale().decimalPoint();
    if (separator.size() == 1 && separator.front().unicode() < 128)
        number_.DecimalSeparator = static_cast<char>(separator.front().unicode());
    setText("0");
    connect(this, &QLineEdit::textChanged, this, &TRxSpinEdit::textWasChanged);
    rebuildButton();
    // One character height, four border heights and one pixel.
    setMinimumHeight(fontMetrics().height() + 5);
}

TRxSpinEdit::~TRxSpinEdit() {
    changing_ = true;
}

long double TRxSpinEdit::Value() const {
    return number_.parse(text().toStdString());
}

void TRxSpinEdit::setValue(long double value) {
    const QString newText = QString::fromStdString(number_.text(value));
    if (newText != text()) setText(newText);
}

void TRxSpinEdit::setDecimal(int decimals) {
    decimals = std::clamp(decimals, 0, 255);
    if (decimals == number_.Decimal) return;
    number_.Decimal = decimals;
    setValue(Value());
}

void TRxSpinEdit::setValueType(TValueType type) {
    if (type == number_.ValueType) return;
    number_.changeValueType(type);
    setValue(Value());
}

void TRxSpinEdit::setEditorEnabled(bool enabled) {
    editorEnabled_ = enabled;
    // Dropping text is pasting by mouse.
    setAcceptDrops(enabled);
}

void TRxSpinEdit::setArrowKeys(bool on) {
    arrowKeys_ = on;
    placeButton();
}

void TRxSpinEdit::setButtonKind(TSpinButtonKind kind) {
    if (kind == buttonKind_) return;
    buttonKind_ = kind;
    rebuildButton();
}

void TRxSpinEdit::setAlignment(TAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    const Qt::Alignment horizontal = alignment == taRightJustify ? Qt::AlignRight
                                     : alignment == taCenter     ? Qt::AlignHCenter
                                                                 : Qt::AlignLeft;
    QLineEdit::setAlignment(horizontal | Qt::AlignVCenter);
}

void TRxSpinEdit::setHint(const QString& hint) {
    hint_ = hint;
    setToolTip(toolTipOfHint(hint));
}

bool TRxSpinEdit::IsValidKey(QChar key) const {
    return number_.IsValidKey(text().toStdString(), key.unicode(), editorEnabled_);
}

void TRxSpinEdit::StepUp() {
    step(true);
}
void TRxSpinEdit::StepDown() {
    step(false);
}

void TRxSpinEdit::step(bool up) {
    if (isReadOnly()) {
        QApplication::beep();
        return;
    }
    const QString before = text();
    {
        // The text change raises no OnChange here: the step reports the change itself, once.
        changing_ = true;
        const ScopeExit reset([this] { changing_ = false; });
        setValue(Value() + (up ? Increment() : -Increment()));
    }
    if (text().compare(before, Qt::CaseInsensitive) != 0) {
        setModified(true);
        emit OnChange(this);
    }
    if (up)
        emit OnTopClick(this);
    else
        emit OnBottomClick(this);
}

void TRxSpinEdit::textWasChanged() {
    if (!changing_) emit OnChange(this);
}

void TRxSpinEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (arrowKeys_ && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        step(key == Qt::Key_Up);
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Paste)) {
        if (mayEditText()) QLineEdit::keyPressEvent(event);
        event->accept();
        return;
    }
    // Delete edits like Backspace: refused with the editor disabled, never checked as a character.
    bool refused = key == Qt::Key_Delete && !editorEnabled_;
    if (key != Qt::Key_Delete)
        for (const QChar c : event->text()) refused = refused || !IsValidKey(c);
    if (refused) {
        QApplication::beep();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TRxSpinEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Entering the field by keyboard or code; a mouse click places the cursor itself, and coming
    // back from a menu or another window is no entry.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::MouseFocusReason || reason == Qt::PopupFocusReason ||
        reason == Qt::ActiveWindowFocusReason)
        return;
    if (autoSelect_)
        selectAll();
    else
        deselect();
}

void TRxSpinEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason) return;
    const long double value = Value();
    if (ClampValue(value) != value) setValue(value);
}

void TRxSpinEdit::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu(createStandardContextMenu());
    // The standard menu's actions carry no names; their texts are the line edit's own
    // (translated) texts followed by a tab and the shortcut.
    const QStringList editing{QLineEdit::tr("Cu&t"), QLineEdit::tr("&Paste"), QLineEdit::tr("Delete")};
    if (!editorEnabled_)
        for (QAction* action : menu->actions())
            if (editing.contains(action->text().section('\t', 0, 0))) action->setEnabled(false);
    menu->exec(event->globalPos());
}

void TRxSpinEdit::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button pastes the selection on X11.
    if (event->button() == Qt::MiddleButton && !editorEnabled_) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TRxSpinEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    placeButton();
}

void TRxSpinEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) setMinimumHeight(fontMetrics().height() + 5);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) placeButton();
}

void TRxSpinEdit::rebuildButton() {
    delete spinButton_;
    delete upDown_;
    spinButton_ = nullptr;
    upDown_ = nullptr;
    if (buttonKind_ == bkStandard) {
        upDown_ = new TRxUpDown(this);
        connect(upDown_, &TRxUpDown::OnClick, this, [this](QObject*, TRxUpDown::TUDBtnType button) {
            if ((focusPolicy() & Qt::TabFocus) && isEnabled() && isVisible()) setFocus(Qt::MouseFocusReason);
            if (button == TRxUpDown::btNext)
                StepUp();
            else
                StepDown();
        });
        upDown_->setCursor(Qt::ArrowCursor);
        upDown_->show();
    } else {
        spinButton_ = new TRxSpinButton(this);
        spinButton_->setFocusControl(this);
        connect(spinButton_, &TRxSpinButton::OnTopClick, this, [this] { StepUp(); });
        connect(spinButton_, &TRxSpinButton::OnBottomClick, this, [this] { StepDown(); });
        spinButton_->setCursor(Qt::ArrowCursor);
        spinButton_->show();
    }
    placeButton();
}

int TRxSpinEdit::buttonWidth() const {
    if (spinButton_) return spinButton_->width();
    if (upDown_) return upDown_->width();
    return spinButtonDefaultWidth(*this);
}

void TRxSpinEdit::placeButton() {
    // The button sits square (or, for the up-down pair, at its own width) inside the frame at
    // the right edge; the text stops two pixels before it.
    const int frame = hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) : 0;
    const int inner = std::max(0, height() - 2 * frame);
    if (spinButton_) spinButton_->setGeometry(width() - frame - inner, frame, inner, inner);
    if (upDown_) upDown_->setGeometry(width() - frame - upDown_->width(), frame, upDown_->width(), inner);
    setTextMargins(0, 0, buttonWidth() + 2, 0);
}

}  // namespace kestrave
