#pragma once
// The quality method chosen in QualityMethodCombo: the flags the alignment reads, the label and
// the band pointer the window shows.

#include <string>

namespace kestrave {

// The flags of the quality method. At most one of the methods that grade the picture itself
// (QualityFromImage) is named by a further flag; "Compress" is the one with none.
struct QualityMethodFlags {
    bool QualityClassic = true;
    bool QualityHumanVision = false;
    bool QualityFromImage = false;
    bool QualityLocalContrast = false;
    bool QualityGradient = false;
    bool QualityDeviation = false;
    bool QualityUserDLL = false;
    // 1 for "Human Visual": the radial profile is weighted by the contrast sensitivity.
    int HVSWeighting = 0;
};

// The method that grades a frame, in the order the flags are tested.
enum class QualityKind { Gradient, Plugin, Compress, LocalContrast, Deviation, Spectral };
QualityKind qualityKind(const QualityMethodFlags& flags);

// What QualityMethodComboChange sets for an item of QualityMethodCombo.
struct QualityMethodChoice {
    QualityMethodFlags flags;
    std::string label;  // caption of Currentquality
    // The band pointer Showgraph1pointer and the labels FFTLABELs (spectral methods only).
    bool showBandPointer = false;
    int pointerLeft = 0;
    int pointerWidth = 0;
};

// Items 0 "Classic", 1 "Human Visual", 2 "Compress", 3 "Local contrast", 4 "Gradient",
// 5 "Deviation", 6 "DLL"; any other item clears every flag. The pointer is placed for the band
// QualityFilter .. + QualFilterDX on the 400-pixel chart of 50 bins.
QualityMethodChoice QualityMethodComboChange(int itemIndex, double QualityFilter, double QualFilterDX);

}  // namespace kestrave
