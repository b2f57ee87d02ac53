#pragma once
// The steps of the 3 x 3 kernel editors. The prefilter (Optimize page) and the stack filter
// (Stack page) write one kernel store, so the editor used last decides the kernel of both.

#include "frames/kernel3x3_values.h"

namespace kestrave {

struct KernelEditor;

// "Set" and "Active": the nine weights of the editor become the kernel, its divisor their sum
// (1 when the sum is 0).
void takeKernel(const KernelEditor& editor, TKernel3x3& store);
// "Reset": every weight 1, then the kernel taken from them.
void resetKernel(const KernelEditor& editor, TKernel3x3& store);
// A preset chosen: its weights shown in the editor, then the kernel taken from them (so the
// divisor is their sum, not the one stored with the preset).
void choosePresetKernel(const KernelEditor& editor, TKernel3x3& store);

}  // namespace kestrave
