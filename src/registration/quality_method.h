#pragma once
// The quality methods, one row each: the item of QualityMethodCombo, the label the window shows
// and the flags the alignment reads (which tell how a frame is graded). A new method is a row
// here and its grading in the alignment; the window's lists and the start-up choice follow.

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

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

// One quality method: an item of QualityMethodCombo (its index is the row's place in
// QualityMethods) and what choosing it sets. How a frame is graded follows from the flags
// (qualityKind).
struct QualityMethod {
    std::string_view caption;  // the item's text
    std::string_view label;    // caption of Currentquality
    QualityMethodFlags flags;
    // Offered in QualityMethodCombo outside the developer mode. The offered rows come first.
    bool offered = true;
    // The figure depends on a setting of the "Quality options" sheet (the band, or the
    // compression factor), so that sheet is brought up when a feature is picked.
    bool tunedOnOptionsSheet = false;
};

// Every quality method, in the order of QualityMethodCombo's items.
inline constexpr std::array<QualityMethod, 7> QualityMethods{{
    {.caption = "Classic",
     .label = "Current Filter: Classic",
     .flags = {.QualityClassic = true},
     .tunedOnOptionsSheet = true},
    {.caption = "Human",
     .label = "Current Filter: Human V.",
     .flags = {.QualityClassic = false, .QualityHumanVision = true, .HVSWeighting = 1},
     .tunedOnOptionsSheet = true},
    {.caption = "Compress",
     .label = "Current Filter: Compress",
     .flags = {.QualityClassic = false, .QualityFromImage = true},
     .tunedOnOptionsSheet = true},
    {.caption = "Local contrast",
     .label = "Current Filter: Lcontrast",
     .flags = {.QualityClassic = false, .QualityFromImage = true, .QualityLocalContrast = true}},
    {.caption = "Gradient",
     .label = "Current Filter: Gradient",
     .flags = {.QualityClassic = false, .QualityFromImage = true, .QualityGradient = true}},
    {.caption = "Deviation",
     .label = "Current Filter: STD",
     .flags = {.QualityClassic = false, .QualityFromImage = true, .QualityDeviation = true},
     .offered = false},
    {.caption = "DLL",
     .label = "Current Filter: User DLL",
     .flags = {.QualityClassic = false, .QualityFromImage = true, .QualityUserDLL = true},
     .offered = false},
}};

// The method of item `index`, none outside the table.
constexpr const QualityMethod* qualityMethodAt(int index) {
    return index >= 0 && index < static_cast<int>(QualityMethods.size())
               ? &QualityMethods[static_cast<std::size_t>(index)]
               : nullptr;
}

// The index of the method of this caption, -1 for none.
constexpr int qualityMethodIndex(std::string_view caption) {
    for (std::size_t i = 0; i < QualityMethods.size(); ++i)
        if (QualityMethods[i].caption == caption) return static_cast<int>(i);
    return -1;
}

// How many methods QualityMethodCombo offers outside the developer mode: the leading offered rows.
constexpr int offeredQualityMethodCount() {
    int count = 0;
    while (count < static_cast<int>(QualityMethods.size()) &&
           QualityMethods[static_cast<std::size_t>(count)].offered)
        ++count;
    return count;
}
inline constexpr int QualityMethodListCount = offeredQualityMethodCount();
static_assert(std::none_of(QualityMethods.begin() + QualityMethodListCount, QualityMethods.end(),
                           [](const QualityMethod& method) { return method.offered; }),
              "the offered quality methods come before the developer's");

// The quality method chosen at start-up before the stored choice is known.
inline constexpr int DefaultQualityMethod = qualityMethodIndex("Gradient");
static_assert(DefaultQualityMethod >= 0 && DefaultQualityMethod < QualityMethodListCount);

// What QualityMethodComboChange sets for an item of QualityMethodCombo.
struct QualityMethodChoice {
    QualityMethodFlags flags;
    std::string label;  // caption of Currentquality
    // The band pointer Showgraph1pointer and the labels FFTLABELs (spectral methods only).
    bool showBandPointer = false;
    int pointerLeft = 0;
    int pointerWidth = 0;
};

// The row of `itemIndex` in QualityMethods; an item outside the table clears every flag. The
// pointer is placed for the band QualityFilter .. + QualFilterDX on the 400-pixel chart of 50 bins.
QualityMethodChoice QualityMethodComboChange(int itemIndex, double QualityFilter, double QualFilterDX);

}  // namespace kestrave
