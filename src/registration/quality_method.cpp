#include "registration/quality_method.h"

#include <cmath>

namespace kestrave {

QualityMethodChoice QualityMethodComboChange(int itemIndex, double QualityFilter, double QualFilterDX) {
    QualityMethodChoice choice;
    const QualityMethod* method = qualityMethodAt(itemIndex);
    if (!method) return choice;
    choice.grading = method->grading;
    choice.label = method->label;
    choice.showBandPointer = !method->grading.fromImage();
    if (choice.showBandPointer) {
        // 50 bins across the 400-pixel chart: 8 pixels (0.02 x 400) per bin.
        choice.pointerLeft = static_cast<int>(std::nearbyint((QualityFilter - 1.0) * 0.02 * 400.0));
        choice.pointerWidth = static_cast<int>(std::nearbyint(QualFilterDX * 0.02 * 400.0));
    }
    return choice;
}

}  // namespace kestrave
