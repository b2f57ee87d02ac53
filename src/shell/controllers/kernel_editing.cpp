#include "shell/controllers/kernel_editing.h"

#include <QComboBox>

#include "enhance/kernel_presets.h"
#include "shell/pages/kernel_editor.h"
#include "widgets/spin_edit.h"

namespace kestrave {

void takeKernel(const KernelEditor& editor, TKernel3x3& store) {
    std::array<double, 9> values{};
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<double>(editor.weights[i]->Value());
    store = kernelFromWeights(values);
}

void resetKernel(const KernelEditor& editor, TKernel3x3& store) {
    for (TRxSpinEdit* weight : editor.weights) weight->setValue(1);
    takeKernel(editor, store);
}

void choosePresetKernel(const KernelEditor& editor, TKernel3x3& store) {
    const int item = editor.preset->currentIndex();
    if (item < 0 || item >= static_cast<int>(KernelPresetCount)) return;
    store = KernelPresets[static_cast<std::size_t>(item)];
    for (std::size_t i = 0; i < editor.weights.size(); ++i) editor.weights[i]->setValue(store[i + 1]);
    takeKernel(editor, store);
}

}  // namespace kestrave
