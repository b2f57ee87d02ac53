#include "stacking/stack_style.h"

namespace kestrave {

bool resamplingRefused(const FrameModel& model, FrameSamples aviSamples) {
    const bool highBitAvi = model.InputType == TInputType::itAVI && aviSamples == FrameSamples::HighBit;
    return model.InputIsFIT || model.InputIsTIF || model.InputPNG16 || model.InputIsSER || highBitAvi;
}

StackStyleChoice chooseStackStyle(StackStyle wanted, bool refused, MessagePort& messages) {
    StackStyleChoice choice;
    if (wanted == StackStyle::Resampling && refused) {
        Message warning;
        warning.caption = "Resampling warning";
        warning.text =
            " Resampling cannot be used with the following 16bit file formats (FIT/TIFF/PNG/SER and 16bit "
            "AVI)";
        warning.dlgType = mtWarning;
        warning.buttons = mbOK;
        messages.show(warning);
        return choice;
    }
    choice.Resampled = wanted == StackStyle::Resampling;
    choice.Drizzling = wanted == StackStyle::Drizzling;
    choice.FastStack = !choice.Resampled && !choice.Drizzling;
    if (!choice.FastStack) choice.style = wanted;
    return choice;
}

}  // namespace kestrave
