#include "shell/controllers/frame_texts.h"

#include "registration/chart_text.h"

namespace kestrave {

namespace {

std::string of(int position, int maxValue) {
    return std::to_string(position + 1) + "/" + std::to_string(maxValue + 1);
}

}  // namespace

std::string frameLabelText(int frame, int position, int maxValue) {
    return "Frame (" + std::to_string(frame + 1) + "): " + of(position, maxValue);
}

std::string referenceFrameLabelText(int frame, int stackSize, int maxValue, double relativeQuality) {
    return "Frame (" + std::to_string(frame + 1) + ") : " + " (stacksize " + std::to_string(stackSize) +
           " / " + std::to_string(maxValue + 1) + ") [Low quality " + fixedPointText(relativeQuality, 6, 1) +
           " %]";
}

std::string frameLabelWithStackSize(int frame, int position, int maxValue, int usedframes) {
    return frameLabelText(frame, position, maxValue) + " (stacksize " + std::to_string(usedframes) + ")";
}

std::string noFramesLabelText(int position, int maxValue) {
    return "Frame : " + of(position, maxValue);
}

std::string allFramesLabelText(int position, int maxValue, int usedframes) {
    return noFramesLabelText(position, maxValue) + " ( selected = " + std::to_string(usedframes) + ") ";
}

std::string qualityTitleText(int frame, double key) {
    return "Frame " + std::to_string(frame + 1) + " Quality =" + fixedPointText(key, 7, 5);
}

}  // namespace kestrave
