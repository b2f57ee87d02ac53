#pragma once
// The curve editors' rules and the tables they build. A curve lies in a 255 × 255 graph in pixel
// coordinates: x is the input level 0..255, y runs from 0 (top, full output) to 255 (bottom, no
// output). Right click inserts a point between its x-neighbours, Ctrl + left click deletes an
// interior point near the mouse, a left drag moves the nearest point while keeping 15 pixels to
// its neighbours (the end points only move vertically), and the mouse's release samples the curve
// into a lookup table.

#include <span>

#include "enhance/bspline.h"
#include "enhance/curve_types.h"

namespace kestrave {

// The default curve: (0, 255), (128, 128), (255, 0), approximating, the component's defaults.
void setDefaultCurve(TBSpline& spline);

// The curves as the program starts: the gamma curve the default one in the edited look (`linear`
// as the "Linear" box says), the tone curve the default one with the component's defaults, and
// each hue-dependent curve flat through (45·k, 50), k = 0..8, interpolated, points shown, 50
// segments.
void createCurveObjects(CurveObjects& curves, bool linear);
// A hue-dependent curve as it starts and as "Reset HSL" leaves it: flat through (45·k, 50),
// k = 0..8, in the edited look.
void resetHueCurve(TBSpline& spline);
// The look of a curve being edited: interpolated, points shown, 50 segments, or with `linear`
// one segment per gap between points (straight lines where the points lie 1 apart in t).
void setEditedCurveStyle(TBSpline& spline, bool linear);

// Right click at (X, Y): inserted after point i when x(i) < X < x(i + 1). False when X lies on a
// point's x or outside the curve.
bool insertCurvePoint(TBSpline& spline, float X, float Y);
// Ctrl + left click: the last interior point within the pick distance of (Round(X), Round(Y))
// is deleted. False when there is none.
bool deleteCurvePoint(TBSpline& spline, float X, float Y);
// A left drag to (X, Y), clamped into the graph: the last point within the pick distance moves
// there if it keeps the gap to both neighbours; point 1 stays on x = 0 and the last point on
// x = 255. False when nothing moved.
bool dragCurvePoint(TBSpline& spline, float X, float Y);

// The delete and drag rules above with the graph's own distances and size.
bool deleteCurvePoint(TBSpline& spline, float X, float Y, const CurveGraphRules& graph);
bool dragCurvePoint(TBSpline& spline, float X, float Y, const CurveGraphRules& graph);

// Fills `table` from the curve: entry Round(px × M / 255) = (255 − py) / 255 for each sample (the
// last one wins), entry M + 1 (when the table has one) repeats entry M, entries no sample reached
// repeat the one before (0 before the first value above 0), and the whole table is divided by its
// largest entry. A curve lying wholly on the bottom edge has no largest entry to divide by: the
// table keeps its previous contents and the result is false.
bool buildCurveTable(const TBSpline& spline, const CurveTableShape& shape, std::span<double> table);

// Fills a hue-dependent curve's table (HueCurveTableSize entries; a shorter span throws
// std::invalid_argument): entry k holds 50 − y of the curve where it crosses hue k / 10, so 0
// means no change and a point raised above the middle line gives a positive offset. The curve is
// sampled densely and each sample lands on entry Round(10 x) (the last one wins); an entry no
// sample reached repeats the one before. Indexing by the curve's x rather than by its parameter
// keeps the table on the hues the graph shows even when the points are not evenly spaced.
void buildHueCurveTable(const TBSpline& spline, std::span<float> table);

}  // namespace kestrave
