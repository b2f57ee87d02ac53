#include "shell/pages/kernel_editor.h"

#include <QComboBox>
#include <QPushButton>

#include "enhance/kernel_presets.h"
#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"

namespace kestrave {

namespace {

constexpr int WeightWidth = 64;

// The object names of one editor's controls.
struct KernelEditorNames {
    const char* preset;
    std::array<const char*, 9> weights;
    const char* reset;
    const char* set;
    const char* active;
};

constexpr KernelEditorNames PrefilterNames{
    "Filtertype",
    {"Prefilter11", "Prefilter12", "prefilter13", "prefilter21", "prefilter22", "prefilter23", "prefilter31",
     "prefilter32", "prefilter33"},
    "Resetprefilter",
    "SetPrefilter",
    "Filteralignment"};
constexpr KernelEditorNames StackFilterNames{
    "Stackfiltermethod",
    {"Stackfilter11", "Stackfilter12", "Stackfilter13", "Stackfilter21", "Stackfilter22", "Stackfilter23",
     "Stackfilter31", "Stackfilter32", "Stackfilter33"},
    "Stackfilterresetbutton",
    "Stackfiltersetbutton",
    "Stackfilterset"};

}  // namespace

KernelEditor makeKernelEditor(QWidget* parent, KernelEditorKind kind) {
    const KernelEditorNames& names = kind == KernelEditorKind::Prefilter ? PrefilterNames : StackFilterNames;
    KernelEditor editor;
    editor.preset = named(new QComboBox(parent), names.preset);
    for (const char* preset : KernelPresetNames) editor.preset->addItem(preset);
    for (std::size_t i = 0; i < editor.weights.size(); ++i) {
        editor.weights[i] = integerSpin(parent, names.weights[i], -KernelWeightLimit, KernelWeightLimit, 1);
        editor.weights[i]->setMaximumWidth(WeightWidth);
    }
    editor.reset = pushButton(parent, names.reset, "Reset");
    editor.set = pushButton(parent, names.set, "Set");
    editor.active = optionCheck(parent, names.active, "Active");
    return editor;
}

QLayout* kernelEditorLayout(const KernelEditor& editor, Qt::Orientation orientation) {
    const auto& w = editor.weights;
    auto* grid = new QHBoxLayout;
    compact(grid, 0);
    grid->addLayout(controlGrid({{w[0], w[1], w[2]}, {w[3], w[4], w[5]}, {w[6], w[7], w[8]}}));
    grid->addStretch(1);
    auto* controls = new QVBoxLayout;
    compact(controls, 0);
    controls->addWidget(editor.preset);
    controls->addLayout(controlRow({editor.reset, editor.set, editor.active}));
    controls->addStretch(1);

    auto* layout =
        new QBoxLayout(orientation == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    compact(layout, 0);
    layout->addLayout(grid);
    layout->addLayout(controls);
    layout->addStretch(1);
    return layout;
}

}  // namespace kestrave
