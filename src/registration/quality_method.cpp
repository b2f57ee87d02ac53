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
    QualityMethodFlags& f = choice.flags;
    f = QualityMethodFlags{};
    f.QualityClassic = false;
    switch (itemIndex) {
        case 0:
            f.QualityClassic = true;
            choice.label = "Current Filter: Classic";
            break;
        case 1:
            f.QualityHumanVision = true;
            f.HVSWeighting = 1;
            choice.label = "Current Filter: Human V.";
            break;
        case 2:
            f.QualityFromImage = true;
            choice.label = "Current Filter: Compress";
            break;
        case 3:
            f.QualityFromImage = f.QualityLocalContrast = true;
            choice.label = "Current Filter: Lcontrast";
            break;
        case 4:
            f.QualityFromImage = f.QualityGradient = true;
            choice.label = "Current Filter: Gradient";
            break;
        case 5:
            f.QualityFromImage = f.QualityDeviation = true;
            choice.label = "Current Filter: STD";
            break;
        case 6:
            f.QualityFromImage = f.QualityUserDLL = true;
            choice.label = "Current Filter: User DLL";
            break;
        default:
            break;
    }
    choice.showBandPointer = itemIndex == 0 || itemIndex == 1;
    if (choice.showBandPointer) {
        // 50 bins across the 400-pixel chart: 8 pixels (0.02 x 400) per bin.
        choice.pointerLeft = static_cast<int>(std::nearbyint((QualityFilter - 1.0) * 0.02 * 400.0));
        choice.pointerWidth = static_cast<int>(std::nearbyint(QualFilterDX * 0.02 * 400.0));
    }
    return choice;
}

}  // namespace kestrave
