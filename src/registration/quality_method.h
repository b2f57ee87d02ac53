#pragma once
// The quality methods, one row each: the item of QualityMethodCombo, the label the window shows
// and the grading the alignment runs. A new method is a row here and, when it grades in a way of
// its own, its kind (with what QualityGrading tells of it) and that kind's figure in
// methodQuality (align_frame.cpp); the window's lists and the start-up choice follow.

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace kestrave {

// The method that grades a frame. Spectral reads the band of the frame's radial spectrum; every
// other kind grades the aligned picture itself.
enum class QualityKind { Gradient, Plugin, Compress, LocalContrast, Deviation, Spectral };

// How a quality method grades a frame: its kind and, for the spectral kind, the weighting of the
// radial profile.
struct QualityGrading {
    QualityKind kind = QualityKind::Spectral;
    // 1 for "Human Visual": the radial profile is weighted by the contrast sensitivity.
    int HVSWeighting = 0;

    // The figure is the picture's own, not the spectrum's band.
    constexpr bool fromImage() const { return kind != QualityKind::Spectral; }
    constexpr bool humanVision() const { return HVSWeighting == 1; }
    // The figure is made from a copy of the box's 24-bit picture rather than from its levels.
    constexpr bool gradesBoxPicture() const {
        return kind == QualityKind::Compress || kind == QualityKind::Plugin;
    }
};

// One quality method: an item of QualityMethodCombo (its index is the row's place in
// QualityMethods) and how it grades a frame.
struct QualityMethod {
    std::string_view caption;  // the item's text
    std::string_view label;    // caption of Currentquality
    QualityGrading grading;
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
     .grading = {QualityKind::Spectral},
     .tunedOnOptionsSheet = true},
    {.caption = "Human",
     .label = "Current Filter: Human V.",
     .grading = {QualityKind::Spectral, 1},
     .tunedOnOptionsSheet = true},
    {.caption = "Compress",
     .label = "Current Filter: Compress",
     .grading = {QualityKind::Compress},
     .tunedOnOptionsSheet = true},
    {.caption = "Local contrast",
     .label = "Current Filter: Lcontrast",
     .grading = {QualityKind::LocalContrast}},
    {.caption = "Gradient", .label = "Current Filter: Gradient", .grading = {QualityKind::Gradient}},
    {.caption = "Deviation",
     .label = "Current Filter: STD",
     .grading = {QualityKind::Deviation},
     .offered = false},
    {.caption = "DLL",
     .label = "Current Filter: User DLL",
     .grading = {QualityKind::Plugin},
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
    QualityGrading grading;
    std::string label;  // caption of Currentquality
    // The band pointer Showgraph1pointer and the labels FFTLABELs (spectral methods only).
    bool showBandPointer = false;
    int pointerLeft = 0;
    int pointerWidth = 0;
};

// The row of `itemIndex` in QualityMethods; an item outside the table has no label and the
// unweighted spectral grading. The pointer is placed for the band QualityFilter .. + QualFilterDX
// on the 400-pixel chart of 50 bins.
QualityMethodChoice QualityMethodComboChange(int itemIndex, double QualityFilter, double QualFilterDX);

}  // namespace kestrave
