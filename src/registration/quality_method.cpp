#include "registration/quality_method.h"

#include <cmath>

namespace kestrave {

QualityKind qualityKind(const QualityMethodFlags& flags) {
    if (flags.QualityGradient) return QualityKind::Gradient;
    if (flags.QualityUserDLL) return QualityKind::Plugin;
    if (flags.QualityFromImage && !flags.QualityLocalContrast && !flags.QualityDeviation)
        return QualityKind::Compress;
    if (flags.QualityLocalContrast) return QualityKind::LocalContrast;
    if (flags.QualityDeviation) return QualityKind::Deviation;
    return QualityKind::Spectral;
}

QualityMethodChoice QualityMethodComboChange(int itemIndex, double QualityFilter, double QualFilterDX) {
    QualityMethodChoice choice;
    const QualityMethod* method = qualityMethodAt(itemIndex);
    if (!method) {
        choice.flags.QualityClassic = false;
        return choice;
    }
    choice.flags = method->flags;
    choice.label = method->label;
    choice.showBandPointer = qualityKind(method->flags) == QualityKind::Spectral;
    if (choice.showBandPointer) {
        // 50 bins across the 400-pixel chart: 8 pixels (0.02 x 400) per bin.
        choice.pointerLeft = static_cast<int>(std::nearbyint((QualityFilter - 1.0) * 0.02 * 400.0));
        choice.pointerWidth = static_cast<int>(std::nearbyint(QualFilterDX * 0.02 * 400.0));
    }
    return choice;
}

}  // namespace kestrave
