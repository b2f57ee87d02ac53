#include "enhance/bspline.h"

#include <algorithm>
#include <cmath>

#include "enhance/clamped_round.h"

namespace kestrave {

namespace {

constexpr int ScanSteps = 150;
constexpr int RefinePasses = 81;
constexpr double RefineError = 1e-5;
// Two values closer than this count as equal.
constexpr double Coincident = 1e-6;
constexpr float SameVertex = 1e-5f;

bool sameVertex(SplinePoint a, SplinePoint b) {
    return std::fabs(a.x - b.x) < SameVertex && std::fabs(a.y - b.y) < SameVertex;
}

// The cubic B-spline basis and its two derivatives at x = i − u, over its support [−2, 2).
double basisValue(double x) {
    const double d = std::fabs(x);
    if (d < 1.0) return 2.0 / 3.0 - d * d + d * d * d / 2.0;
    if (d < 2.0) return (2.0 - d) * (2.0 - d) * (2.0 - d) / 6.0;
    return 0.0;
}

double basisFirst(double x) {
    if (x >= -2.0 && x < -1.0) return (x + 2.0) * (x + 2.0) / 2.0;
    if (x >= -1.0 && x < 0.0) return -2.0 * x - 1.5 * x * x;
    if (x >= 0.0 && x < 1.0) return -2.0 * x + 1.5 * x * x;
    if (x >= 1.0 && x < 2.0) return -(2.0 - x) * (2.0 - x) / 2.0;
    return 0.0;
}

double basisSecond(double x) {
    if (x >= -2.0 && x < -1.0) return x + 2.0;
    if (x >= -1.0 && x < 0.0) return -2.0 - 3.0 * x;
    if (x >= 0.0 && x < 1.0) return -2.0 + 3.0 * x;
    if (x >= 1.0 && x < 2.0) return 2.0 - x;
    return 0.0;
}

// The interpolation system for vertices 1..n (stored 0-based): the basis at the knots
// 1/6, 2/3, 1/6 on each inner row, identity rows at both ends and around each knuckle, whose
// three equal vertices must stay where they are.
std::vector<long double> fillMatrix(const std::vector<SplinePoint>& vertices, int n) {
    std::vector<long double> m(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0.0L);
    auto at = [&](int row, int column) -> long double& {
        return m[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(n) +
                 static_cast<std::size_t>(column - 1)];
    };
    auto identityRow = [&](int row) {
        for (int c = 1; c <= n; ++c) at(row, c) = 0.0L;
        at(row, row) = 1.0L;
    };
    identityRow(1);
    identityRow(n);
    for (int i = 2; i <= n - 1; ++i) {
        at(i, i - 1) = 1.0L / 6.0L;
        at(i, i) = 2.0L / 3.0L;
        at(i, i + 1) = 1.0L / 6.0L;
    }
    int i = 3;
    while (i < n - 1) {
        const auto vertex = [&](int k) { return vertices[static_cast<std::size_t>(k)]; };
        if (sameVertex(vertex(i), vertex(i - 1)) && sameVertex(vertex(i), vertex(i + 1))) {
            identityRow(i - 1);
            identityRow(i);
            identityRow(i + 1);
            i += 2;
        } else {
            ++i;
        }
    }
    return m;
}

// Gaussian elimination without pivoting (the system is diagonally dominant) and back
// substitution on the resulting upper band; vertices 1..n are replaced by the solution.
void solveVertices(std::vector<long double> m, std::vector<SplinePoint>& vertices, int n) {
    auto at = [&](int row, int column) -> long double& {
        return m[static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(n) +
                 static_cast<std::size_t>(column - 1)];
    };
    std::vector<long double> vx(static_cast<std::size_t>(n) + 1);
    std::vector<long double> vy(static_cast<std::size_t>(n) + 1);
    for (int k = 1; k <= n; ++k) {
        vx[static_cast<std::size_t>(k)] = vertices[static_cast<std::size_t>(k)].x;
        vy[static_cast<std::size_t>(k)] = vertices[static_cast<std::size_t>(k)].y;
    }
    for (int k = 1; k <= n; ++k) {
        for (int r = k + 1; r <= n; ++r) {
            const long double f = at(r, k) / at(k, k);
            // Rows below the band hold zeros in column k: nothing to subtract.
            if (f == 0.0L) continue;
            for (int c = 1; c <= n; ++c) at(r, c) -= f * at(k, c);
            vx[static_cast<std::size_t>(r)] -= f * vx[static_cast<std::size_t>(k)];
            vy[static_cast<std::size_t>(r)] -= f * vy[static_cast<std::size_t>(k)];
        }
    }
    std::vector<long double> wx(static_cast<std::size_t>(n) + 2, 0.0L);
    std::vector<long double> wy(static_cast<std::size_t>(n) + 2, 0.0L);
    const auto un = static_cast<std::size_t>(n);
    wx[un] = vx[un] / at(n, n);
    wy[un] = vy[un] / at(n, n);
    for (int k = n - 1; k >= 1; --k) {
        const auto uk = static_cast<std::size_t>(k);
        wx[uk] = (vx[uk] - at(k, k + 1) * wx[uk + 1]) / at(k, k);
        wy[uk] = (vy[uk] - at(k, k + 1) * wy[uk + 1]) / at(k, k);
    }
    for (int k = 1; k <= n; ++k) {
        const auto uk = static_cast<std::size_t>(k);
        vertices[uk] = {static_cast<float>(wx[uk]), static_cast<float>(wy[uk])};
    }
}

std::string outOfBounds(const char* operation, int Index) {
    return "List index out of bounds in TBSpline" + std::string(operation) + std::to_string(Index) + ").";
}

}  // namespace

void TBSpline::Clear() {
    Color = 0;
    ShowPoints = false;
    points_.clear();
    knuckles_.clear();
    vertices_.clear();
    built_ = false;
    minBound_ = {0.0f, 0.0f};
    maxBound_ = {1.0f, 1.0f};
    capacity_ = 0;
    interpolated_ = false;
    interpolation_ = 100;
}

void TBSpline::makeRoom() {
    if (NumberOfPoints() < capacity_) return;
    if (capacity_ >= MaxPoints) {
        throw SplineError("A curve holds at most " + std::to_string(MaxPoints) + " points");
    }
    capacity_ = std::min(capacity_ + CapacityStep, MaxPoints);
}

void TBSpline::AddPoint(SplinePoint point) {
    makeRoom();
    points_.push_back(point);
    knuckles_.push_back(0);
    invalidate();
}

void TBSpline::InsertPoint(int Index, SplinePoint point) {
    if (Index < 1 || Index > NumberOfPoints()) throw SplineError("Index out of range");
    makeRoom();
    points_.insert(points_.begin() + (Index - 1), point);
    knuckles_.insert(knuckles_.begin() + (Index - 1), 0);
    invalidate();
}

void TBSpline::DeletePoint(int Index) {
    if (Index < 1 || Index > NumberOfPoints()) throw SplineError("Index out of range");
    points_.erase(points_.begin() + (Index - 1));
    knuckles_.erase(knuckles_.begin() + (Index - 1));
    invalidate();
    if (points_.empty()) Clear();
}

void TBSpline::checkPoint(int Index, const char* operation) const {
    if (Index < 1 || Index > NumberOfPoints()) throw SplineError(outOfBounds(operation, Index));
}

SplinePoint TBSpline::Point(int Index) const {
    checkPoint(Index, ".FGetPoint. (");
    return points_[static_cast<std::size_t>(Index - 1)];
}

void TBSpline::setPoint(int Index, SplinePoint point) {
    checkPoint(Index, ".FSetPoint. (");
    points_[static_cast<std::size_t>(Index - 1)] = point;
    invalidate();
}

bool TBSpline::Knuckle(int Index) const {
    if (Index == 1 || Index == NumberOfPoints()) return false;
    checkPoint(Index, "FGetKnuckle. (");
    return knuckles_[static_cast<std::size_t>(Index - 1)] != 0;
}

void TBSpline::setKnuckle(int Index, bool knuckle) {
    checkPoint(Index, ".FSetKnuckle. (");
    knuckles_[static_cast<std::size_t>(Index - 1)] = knuckle ? 1 : 0;
    invalidate();
}

int TBSpline::vertexCount() const {
    int n = 0;
    for (int i = 1; i <= NumberOfPoints(); ++i) n += Knuckle(i) ? 3 : 1;
    return n;
}

SplinePoint TBSpline::Vertex(int Index) const {
    Interpolate();
    if (NumberOfPoints() < 2) return {};
    if (Index < 0 || Index >= static_cast<int>(vertices_.size())) {
        throw SplineError(outOfBounds(".FGetVertex. (", Index));
    }
    return vertices_[static_cast<std::size_t>(Index)];
}

void TBSpline::setVertex(int Index, SplinePoint vertex) {
    Interpolate();
    if (Index < 0 || Index >= static_cast<int>(vertices_.size())) {
        throw SplineError(outOfBounds(".FSetVertex. (", Index));
    }
    vertices_[static_cast<std::size_t>(Index)] = vertex;
}

void TBSpline::setInterpolated(bool interpolated) {
    if (interpolated == interpolated_) return;
    interpolated_ = interpolated;
    invalidate();
}

void TBSpline::setInterpolation(int segments) {
    interpolation_ = std::clamp(segments, 1, MaxInterpolation);
}

void TBSpline::GetBounds(SplinePoint& min, SplinePoint& max) const {
    for (const SplinePoint& p : points_) {
        min = {std::min(min.x, p.x), std::min(min.y, p.y)};
        max = {std::max(max.x, p.x), std::max(max.y, p.y)};
    }
}

void TBSpline::Interpolate() const {
    if (built_) return;
    if (NumberOfPoints() < 2) {
        built_ = true;
        return;
    }
    const int n = vertexCount();
    vertices_.assign(static_cast<std::size_t>(n) + 2, SplinePoint{});
    int v = 1;
    minBound_ = maxBound_ = points_.front();
    for (int i = 1; i <= NumberOfPoints(); ++i) {
        const SplinePoint p = points_[static_cast<std::size_t>(i - 1)];
        for (int copies = Knuckle(i) ? 3 : 1; copies > 0; --copies)
            vertices_[static_cast<std::size_t>(v++)] = p;
        minBound_ = {std::min(minBound_.x, p.x), std::min(minBound_.y, p.y)};
        maxBound_ = {std::max(maxBound_.x, p.x), std::max(maxBound_.y, p.y)};
    }
    if (interpolated_ && n >= 3 && n <= MaxSolvedVertices)
        solveVertices(fillMatrix(vertices_, n), vertices_, n);
    built_ = true;
    const auto un = static_cast<std::size_t>(n);
    vertices_[0] = {2.0f * vertices_[1].x - vertices_[2].x, 2.0f * vertices_[1].y - vertices_[2].y};
    vertices_[un + 1] = {2.0f * vertices_[un].x - vertices_[un - 1].x,
                         2.0f * vertices_[un].y - vertices_[un - 1].y};
}

SplinePoint TBSpline::evaluate(double t, Basis basis) const {
    Interpolate();
    if (NumberOfPoints() < 2) return {};
    const int n = static_cast<int>(vertices_.size()) - 2;
    const double u = static_cast<float>((n - 1) * t + 1.0);
    const int first = std::max(0, static_cast<int>(u - 1.0));
    double x = 0.0;
    double y = 0.0;
    // At t = 1 the fourth vertex would be n + 2, which does not exist (its weight is 0).
    const int last = std::min(first + 3, n + 1);
    for (int i = first; i <= last; ++i) {
        // The basis is a function of x = i − u: along u its slope changes sign, its bend does not.
        const double w = basis == Basis::Value   ? basisValue(i - u)
                         : basis == Basis::First ? -basisFirst(i - u)
                                                 : basisSecond(i - u);
        x += w * vertices_[static_cast<std::size_t>(i)].x;
        y += w * vertices_[static_cast<std::size_t>(i)].y;
    }
    return {static_cast<float>(x), static_cast<float>(y)};
}

SplinePoint TBSpline::SplineXY(double t) const {
    return evaluate(t, Basis::Value);
}

SplinePoint TBSpline::FirstDerivative(double t) const {
    return evaluate(t, Basis::First);
}

SplinePoint TBSpline::SecondDerivative(double t) const {
    return evaluate(t, Basis::Second);
}

bool TBSpline::KnownX(SplineResults& Results, float X) const {
    return known(Results, X, true);
}

bool TBSpline::KnownY(SplineResults& Results, float Y) const {
    return known(Results, Y, false);
}

bool TBSpline::known(SplineResults& Results, float value, bool byX) const {
    Interpolate();
    Results = {};
    if (points_.empty()) return false;
    const auto coordinate = [byX](SplinePoint p) { return byX ? p.x : p.y; };
    const auto hit = [&](double t) {
        if (Results.Count >= MaxResults) {
            throw SplineError(std::string("Max. number of results exceeded in TBSpline.") +
                              (byX ? "KnownX" : "KnownY"));
        }
        SplinePoint p = SplineXY(t);
        (byX ? p.x : p.y) = value;
        ++Results.Count;
        Results.Params.push_back(static_cast<float>(t));
        Results.Points.push_back(p);
    };
    if (NumberOfPoints() == 2) {
        double a = coordinate(points_[0]);
        double b = coordinate(points_[1]);
        if (a > b) std::swap(a, b);
        if (value < a || value > b) return false;
        hit(b - a < Coincident ? 0.5 : (value - a) / (b - a));
        return true;
    }
    const auto error = [value](double c) {
        return value == 0.0f ? std::fabs(c - value) : std::fabs(c - value) / std::fabs(value);
    };
    double previous = coordinate(points_[0]);
    for (int k = 1; k <= ScanSteps; ++k) {
        const double tk = static_cast<double>(k) / ScanSteps;
        const double current = coordinate(SplineXY(tk));
        // Each crossing counts once: a sample exactly on the value belongs to the step ending
        // there (or, for the first sample, to the first step).
        const bool crosses =
            (previous - value) * (current - value) < 0.0 || current == value || (k == 1 && previous == value);
        if (crosses) {
            double t0 = static_cast<double>(k - 1) / ScanSteps;
            double t1 = tk;
            double c0 = previous;
            double c1 = current;
            double t = current == value ? t1 : t0;
            if (current != value && !(k == 1 && previous == value)) {
                for (int pass = 0; pass < RefinePasses; ++pass) {
                    t = std::fabs(c0 - c1) < Coincident ? (t0 + t1) / 2.0
                                                        : t0 + (value - c0) / (c1 - c0) * (t1 - t0);
                    const double c = coordinate(SplineXY(t));
                    if (error(c) < RefineError) break;
                    if ((c - value) * (c0 - value) > 0.0) {
                        t0 = t;
                        c0 = c;
                    } else {
                        t1 = t;
                        c1 = c;
                    }
                }
            }
            hit(t);
        }
        previous = current;
    }
    return Results.Count > 0;
}

std::vector<std::pair<int, int>> TBSpline::polyline() const {
    std::vector<std::pair<int, int>> line;
    line.reserve(static_cast<std::size_t>(interpolation_) + 1);
    for (int i = 0; i <= interpolation_; ++i) {
        const SplinePoint p = SplineXY(static_cast<double>(i) / interpolation_);
        line.emplace_back(clampedRound(p.x, -1000000, 1000000), clampedRound(p.y, -1000000, 1000000));
    }
    return line;
}

}  // namespace kestrave
