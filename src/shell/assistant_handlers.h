#pragma once
// The window's use of the assistant: its stored settings, the start-up guide behind the Wizard
// speed item, the hints the guide's topics open, and the point the message balloons aim at.

#include <functional>

class QAbstractButton;
class QWidget;

namespace kestrave {

class TAssistant;

// The assistant of a window (component name "Assistant"), or null when it has none.
TAssistant* windowAssistant(const QWidget& window);

// The window's stored settings of its assistant: speed 200, balloons without a tail that overlap
// their anchor by 50 pixels, at least 250 pixels wide, light yellow, in the earlier button look,
// the message check box disabled until a message offers it.
void applyWindowAssistantSettings(TAssistant& Assistant);

// Fills the guide balloon with the steps after start-up and shows it.
void WizardClick(TAssistant& Assistant);
// Topic 1 and 2 of the guide open their hint balloon; other topics show nothing.
void AssistantGuideTopicClick(TAssistant& Assistant, int Topic);

// Creates the window's assistant, applies its settings, and wires the Wizard item (which acts
// only while `onFirstPage` holds) and the guide's topics. `Screencentre` becomes the 2 x 2 control
// at (320, 240), the middle of the window at its first size.
TAssistant& createWindowAssistant(QWidget& window, QWidget& Screencentre, QAbstractButton& Wizard,
                                  std::function<bool()> onFirstPage);

// The assistant of `target`'s window points its balloons at `target` (nothing without one).
void AttachBalloons(QWidget* target);

}  // namespace kestrave
