#pragma once
// A plane curve through (or near) a list of control points, evaluated as a uniform cubic
// B-spline. The curve editors keep their gamma, tone, hue, saturation and lightness curves in it,
// move, insert and delete its points, and sample it into lookup tables; the window draws it from
// `polyline()`.
//
// The control points P1..Pn (a knuckle, a sharp corner, counted three times) become the de Boor
// vertices V1..Vn, with the phantom ends V0 = 2·V1 − V2 and Vn+1 = 2·Vn − Vn−1. An approximating
// curve uses the points themselves as vertices; an interpolated one (3 ≤ n ≤ 249) solves
// (V[i−1] + 4·V[i] + V[i+1]) / 6 = P[i] for the vertices, so that the curve passes through every
// point. At parameter t in [0, 1], u = (n − 1)·t + 1 and the point is Σ V[i]·B(|i − u|) over the
// four vertices around u, with B(d) = 2/3 − d² + d³/2 (d < 1), (2 − d)³/6 (1 ≤ d < 2), else 0.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors.h"

namespace kestrave {

// A bad index, a full curve, or too many crossings in KnownX/KnownY.
class SplineError : public KestraveError {
public:
    using KestraveError::KestraveError;
};

struct SplinePoint {
    float x = 0.0f;
    float y = 0.0f;
    bool operator==(const SplinePoint&) const = default;
};

// The crossings found by KnownX/KnownY: for hit k (0-based) its curve parameter and point.
struct SplineResults {
    int Count = 0;
    std::vector<float> Params;
    std::vector<SplinePoint> Points;
};

class TBSpline {
public:
    // The point array's size is held in 16 bits of bytes: at most 8191 points of 8 bytes.
    static constexpr int MaxPoints = 8191;
    static constexpr int CapacityStep = 25;
    static constexpr int MaxInterpolation = 600;
    // Above this many vertices the system is not solved: the curve approximates its points.
    static constexpr int MaxSolvedVertices = 249;
    static constexpr int MaxResults = 610;

    TBSpline() { Clear(); }

    // No points, black, points not shown, approximating, 100 drawing segments.
    void Clear();

    // Throws SplineError when the curve already holds MaxPoints points.
    void AddPoint(SplinePoint point);
    // Point `Index` (1..NumberOfPoints) and the later ones move up one; throws SplineError
    // "Index out of range" for any other index or when the curve is full.
    void InsertPoint(int Index, SplinePoint point);
    // Removes point `Index` (1..NumberOfPoints, else SplineError "Index out of range"); the last
    // point removed clears the curve.
    void DeletePoint(int Index);

    int NumberOfPoints() const { return static_cast<int>(points_.size()); }
    int capacity() const { return capacity_; }
    // Points and knuckle flags 1..NumberOfPoints; the first and last point are never knuckles.
    SplinePoint Point(int Index) const;
    void setPoint(int Index, SplinePoint point);
    bool Knuckle(int Index) const;
    void setKnuckle(int Index, bool knuckle);
    // Vertices 0..n+1 (the curve is built first); (0, 0) with fewer than 2 points.
    SplinePoint Vertex(int Index) const;
    void setVertex(int Index, SplinePoint vertex);
    int vertexCount() const;

    bool Interpolated() const { return interpolated_; }
    void setInterpolated(bool interpolated);
    int Interpolation() const { return interpolation_; }
    // Kept within 1..600: 0 segments would leave nothing to draw.
    void setInterpolation(int segments);
    bool ShowPoints = false;
    std::uint32_t Color = 0;  // 0x00BBGGRR, as the curve's pen

    // Widens `min` and `max` (which the caller initialises) to every control point.
    void GetBounds(SplinePoint& min, SplinePoint& max) const;
    // The vertices' bounds; (0, 0) and (1, 1) while not built.
    SplinePoint minBound() const { return minBound_; }
    SplinePoint maxBound() const { return maxBound_; }

    // The curve point and its first and second derivatives (with respect to u) at t in [0, 1];
    // (0, 0) with fewer than 2 points.
    SplinePoint SplineXY(double t) const;
    SplinePoint FirstDerivative(double t) const;
    SplinePoint SecondDerivative(double t) const;

    // Every point of the curve with the given x (KnownX) or y (KnownY); false when there is none.
    // Throws SplineError after MaxResults hits.
    bool KnownX(SplineResults& Results, float X) const;
    bool KnownY(SplineResults& Results, float Y) const;

    // The points Draw joins with lines: the curve at t = i / Interpolation, i = 0..Interpolation,
    // each coordinate rounded to the nearest integer.
    std::vector<std::pair<int, int>> polyline() const;

    // Builds the vertex list now (evaluations build it when needed).
    void Interpolate() const;

private:
    enum class Basis { Value, First, Second };
    void checkPoint(int Index, const char* operation) const;
    void makeRoom();
    SplinePoint evaluate(double t, Basis basis) const;
    bool known(SplineResults& Results, float value, bool byX) const;
    void invalidate() { built_ = false; }

    std::vector<SplinePoint> points_;
    std::vector<char> knuckles_;
    int capacity_ = 0;
    bool interpolated_ = false;
    int interpolation_ = 100;
    // The vertex list is a cache of the points, built on the first evaluation after a change.
    mutable std::vector<SplinePoint> vertices_;
    mutable bool built_ = false;
    mutable SplinePoint minBound_{0.0f, 0.0f};
    mutable SplinePoint maxBound_{1.0f, 1.0f};
};

}  // namespace kestrave
