#pragma once
// The texts of the frame browser: the frame label under the preview and the title of the
// registration chart. Frame numbers shown are the frame index + 1, positions likewise.

#include <string>

namespace kestrave {

// "Frame (f): p/n".
std::string frameLabelText(int frame, int position, int maxValue);
// While the reference is ready: "Frame (f) :  (stacksize s / n) [Low quality q %]", q with one
// decimal.
std::string referenceFrameLabelText(int frame, int stackSize, int maxValue, double relativeQuality);
// The list handlers' form while the reference is ready: "Frame (f): p/n (stacksize u)".
std::string frameLabelWithStackSize(int frame, int position, int maxValue, int usedframes);
// After "Check none": "Frame : p/n".
std::string noFramesLabelText(int position, int maxValue);
// After "Check all": "Frame : p/n ( selected = u) ".
std::string allFramesLabelText(int position, int maxValue, int usedframes);
// "Frame f Quality =k", k with five decimals.
std::string qualityTitleText(int frame, double key);

}  // namespace kestrave
