#pragma once
// The controls of a 3 x 3 kernel editor, as the Optimize page (the prefilter) and the Stack page
// (the stack filter) each build one: a preset chooser, nine weight spin edits, "Reset", "Set"
// and the "Active" check box. The pages keep the controls under their own names.

#include <QLayout>
#include <array>

class QComboBox;
class QPushButton;
class QWidget;

namespace kestrave {

class TPCheck;
class TRxSpinEdit;

struct KernelEditor {
    QComboBox* preset = nullptr;
    std::array<TRxSpinEdit*, 9> weights{};  // row by row: the first digit of a name is the row
    QPushButton* reset = nullptr;
    QPushButton* set = nullptr;
    TPCheck* active = nullptr;
};

// The prefilter's editor, or the stack filter's: they differ in their controls' names.
enum class KernelEditorKind { Prefilter, StackFilter };

// The controls, children of `parent`, with their names and design values: every weight 1,
// "Active" off.
KernelEditor makeKernelEditor(QWidget* parent, KernelEditorKind kind);
// The weights in their 3 x 3 grid with the chooser and the buttons beside it (Qt::Horizontal, for
// a wide page) or under it (Qt::Vertical, for a page's narrow column of options).
QLayout* kernelEditorLayout(const KernelEditor& editor, Qt::Orientation orientation);

}  // namespace kestrave
