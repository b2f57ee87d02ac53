#include "registration/voronoi_diagram.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

namespace kestrave {

namespace {

// Twice the signed area of (a, b, c): positive when the three turn counter-clockwise.
long double orient(const DiagramPoint& a, const DiagramPoint& b, const DiagramPoint& c) {
    return (b.X - a.X) * (c.Y - a.Y) - (b.Y - a.Y) * (c.X - a.X);
}

long double distance2(const DiagramPoint& a, long double x, long double y) {
    const long double dx = a.X - x;
    const long double dy = a.Y - y;
    return dx * dx + dy * dy;
}

// Circumcentre and squared radius of a counter-clockwise triangle: with b and c taken relative
// to a, the centre u solves 2 u.b = |b|^2 and 2 u.c = |c|^2.
void setCircumcircle(TVertex& t, const TPointList& points) {
    const DiagramPoint& a = points[t.V[0]];
    const long double bx = points[t.V[1]].X - a.X, by = points[t.V[1]].Y - a.Y;
    const long double cx = points[t.V[2]].X - a.X, cy = points[t.V[2]].Y - a.Y;
    const long double d = 2.0L * (bx * cy - by * cx);
    const long double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    const long double ux = (cy * b2 - by * c2) / d;
    const long double uy = (bx * c2 - cx * b2) / d;
    t.CX = a.X + ux;
    t.CY = a.Y + uy;
    t.R2 = ux * ux + uy * uy;
}

bool holds(const TVertex& t, const TPointList& points, const DiagramPoint& p) {
    for (int k = 0; k < 3; ++k)
        if (orient(points[t.V[k]], points[t.V[(k + 1) % 3]], p) < 0.0L) return false;
    return true;
}

bool circleHolds(const TVertex& t, const DiagramPoint& p) {
    return distance2(p, t.CX, t.CY) < t.R2 + TVoronoiDiagram::Tolerance;
}

// One edge of the cavity's outline: the cavity triangle's edge k and the triangle outside it.
struct OutlineEdge {
    std::int32_t from = 0;
    std::int32_t to = 0;
    std::int32_t outside = -1;
};

// Pixel writer: pen width 1 or 2 (the second pixel beside the first across the line).
class Pen {
public:
    Pen(Bitmap24& image, int width) : image_(image), width_(width) {}

    void plot(long x, long y) {
        if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
        // Yellow: red and green full, blue off.
        SetRGBTriple(255, 255, 0, image_.pixel(static_cast<int>(x), static_cast<int>(y)));
    }

    // A line between two points in pixel coordinates. It is clipped (in floating point) to the
    // picture and a one-pixel margin first, so that far-off ends convert safely; then every
    // column (or row, for steep lines) takes the pixel nearest to the line.
    void line(long double x0, long double y0, long double x1, long double y1) {
        if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
        if (!clip(x0, y0, x1, y1)) return;
        const long double dx = x1 - x0, dy = y1 - y0;
        const bool steep = std::fabs(dy) > std::fabs(dx);
        const long double major0 = steep ? y0 : x0, major1 = steep ? y1 : x1;
        const long double minor0 = steep ? x0 : y0;
        const long double dMajor = steep ? dy : dx, dMinor = steep ? dx : dy;
        long first = std::lrint(major0), last = std::lrint(major1);
        if (first > last) std::swap(first, last);
        for (long m = first; m <= last; ++m) {
            long double t = dMajor == 0.0L ? 0.0L : (static_cast<long double>(m) - major0) / dMajor;
            t = std::clamp(t, 0.0L, 1.0L);
            const long n = std::lrint(minor0 + t * dMinor);
            for (int w = 0; w < width_; ++w) {
                if (steep)
                    plot(n + w, m);
                else
                    plot(m, n + w);
            }
        }
    }

    void disc(long double x, long double y, int radius) {
        if (!std::isfinite(x) || !std::isfinite(y)) return;
        const long double limit = static_cast<long double>(image_.width() + image_.height()) + radius;
        if (std::fabs(x) > limit || std::fabs(y) > limit) return;
        const long cx = std::lrint(x), cy = std::lrint(y);
        for (int j = -radius; j <= radius; ++j)
            for (int i = -radius; i <= radius; ++i)
                if (i * i + j * j <= radius * radius) plot(cx + i, cy + j);
    }

private:
    // Liang-Barsky clipping to [-1, width] x [-1, height].
    bool clip(long double& x0, long double& y0, long double& x1, long double& y1) const {
        const long double dx = x1 - x0, dy = y1 - y0;
        long double t0 = 0.0L, t1 = 1.0L;
        const long double p[4] = {-dx, dx, -dy, dy};
        const long double q[4] = {x0 + 1.0L, image_.width() - x0, y0 + 1.0L, image_.height() - y0};
        for (int i = 0; i < 4; ++i) {
            if (p[i] == 0.0L) {
                if (q[i] < 0.0L) return false;
                continue;
            }
            const long double r = q[i] / p[i];
            if (p[i] < 0.0L)
                t0 = std::max(t0, r);
            else
                t1 = std::min(t1, r);
            if (t0 > t1) return false;
        }
        const long double sx = x0, sy = y0;
        x0 = sx + t0 * dx;
        y0 = sy + t0 * dy;
        x1 = sx + t1 * dx;
        y1 = sy + t1 * dy;
        return true;
    }

    Bitmap24& image_;
    int width_;
};

}  // namespace

TVoronoiDiagram::TVoronoiDiagram(long double X1, long double Y1, long double X2, long double Y2) {
    if (!std::isfinite(X1) || !std::isfinite(Y1) || !std::isfinite(X2) || !std::isfinite(Y2))
        throw std::invalid_argument("diagram bounds must be finite");
    if (X1 > X2) std::swap(X1, X2);
    if (Y1 > Y2) std::swap(Y1, Y2);
    bounds_ = {X1, Y1, X2, Y2};
    points_.Add({X1, Y1});
    points_.Add({X2, Y1});
    points_.Add({X2, Y2});
    points_.Add({X1, Y2});
    // Both triangles share the rectangle's circumcircle.
    TVertex t;
    t.CX = (X1 + X2) * 0.5L;
    t.CY = (Y1 + Y2) * 0.5L;
    t.R2 = ((X2 - X1) * (X2 - X1) + (Y2 - Y1) * (Y2 - Y1)) * 0.25L;
    t.V = {0, 1, 2};
    t.N = {-1, -1, 1};
    vertices_.Add(t);
    t.V = {0, 2, 3};
    t.N = {0, -1, -1};
    vertices_.Add(t);
}

bool TVoronoiDiagram::AddPoint(DiagramPoint P, std::int32_t StartTriangle) {
    if (!std::isfinite(P.X) || !std::isfinite(P.Y)) return false;
    if (!(P.X > bounds_.X1 && P.X < bounds_.X2 && P.Y > bounds_.Y1 && P.Y < bounds_.Y2)) return false;
    for (std::int32_t i = 0; i < points_.Count(); ++i)
        if (distance2(points_[i], P.X, P.Y) < Tolerance) return false;
    if (points_.Count() >= TPointList::MaxCount || vertices_.Count() > TVertexList::MaxCount - 2)
        return false;

    // The triangle that holds P: the one given, else the newest one that does.
    std::int32_t start = -1;
    if (StartTriangle >= 0 && StartTriangle < vertices_.Count() &&
        holds(vertices_[StartTriangle], points_, P))
        start = StartTriangle;
    for (std::int32_t t = vertices_.Count() - 1; start < 0 && t >= 0; --t)
        if (holds(vertices_[t], points_, P)) start = t;
    if (start < 0) return false;  // only rounding can leave a point of the rectangle uncovered

    // The cavity: the triangles whose circumcircle holds P, found breadth-first from P's own.
    const std::size_t triangleCount = static_cast<std::size_t>(vertices_.Count());
    std::vector<char> examined(triangleCount, 0), member(triangleCount, 0);
    TLongIntList cavity;
    cavity.Add(start);
    examined[static_cast<std::size_t>(start)] = member[static_cast<std::size_t>(start)] = 1;
    for (std::int32_t i = 0; i < cavity.Count(); ++i) {
        for (const std::int32_t n : vertices_[cavity[i]].N) {
            if (n < 0 || examined[static_cast<std::size_t>(n)]) continue;
            examined[static_cast<std::size_t>(n)] = 1;
            if (circleHolds(vertices_[n], P)) {
                cavity.Add(n);
                member[static_cast<std::size_t>(n)] = 1;
            }
        }
    }

    // The outline, cavity triangle by cavity triangle; each edge becomes a triangle with P.
    std::vector<std::int32_t> slots;
    std::vector<OutlineEdge> outline;
    for (std::int32_t i = 0; i < cavity.Count(); ++i) {
        const std::int32_t t = cavity[i];
        slots.push_back(t);
        const TVertex& v = vertices_[t];
        for (int k = 0; k < 3; ++k) {
            const std::int32_t n = v.N[k];
            if (n < 0 || !member[static_cast<std::size_t>(n)])
                outline.push_back({v.V[k], v.V[(k + 1) % 3], n});
        }
    }
    // The new triangles fan out from P, so the outline must turn counter-clockwise around P and
    // pass through every corner of the cavity (two edges more than the cavity has triangles).
    // Exact arithmetic guarantees both: P beyond an edge of a cavity triangle lies at least as
    // deep in the circle of the triangle across it, and no two points are closer than
    // sqrt(Tolerance). Should rounding ever break them, the point is refused rather than the
    // triangulation spoiled.
    if (outline.size() != slots.size() + 2) return false;
    for (const OutlineEdge& e : outline)
        if (orient(points_[e.from], points_[e.to], P) <= 0.0L) return false;

    const std::int32_t p = points_.Add(P);
    // The first new triangles take the cavity's slots, the rest (always two) are appended.
    while (slots.size() < outline.size()) slots.push_back(vertices_.Add(TVertex{}));
    for (std::size_t j = 0; j < outline.size(); ++j) {
        const OutlineEdge& e = outline[j];
        TVertex t;
        t.V = {e.from, e.to, p};
        t.N = {e.outside, -1, -1};
        // Around P the new triangles meet edge to edge: across to -> P lies the one starting at
        // `to`, across P -> from the one ending at `from`.
        for (std::size_t i = 0; i < outline.size(); ++i) {
            if (outline[i].from == e.to) t.N[1] = slots[i];
            if (outline[i].to == e.from) t.N[2] = slots[i];
        }
        setCircumcircle(t, points_);
        vertices_[slots[j]] = t;
        if (e.outside < 0) continue;
        // The triangle outside had this edge, the other way round, towards a cavity triangle.
        TVertex& o = vertices_[e.outside];
        for (int k = 0; k < 3; ++k)
            if (o.V[k] == e.to && o.V[(k + 1) % 3] == e.from) o.N[k] = slots[j];
    }
    return true;
}

void TVoronoiDiagram::Draw(Bitmap24& image, long double X1, long double Y1, long double X2,
                           long double Y2) const {
    if (image.empty()) return;
    if (!std::isfinite(X1) || !std::isfinite(Y1) || !std::isfinite(X2) || !std::isfinite(Y2)) return;
    if (X1 > X2) std::swap(X1, X2);
    if (Y1 > Y2) std::swap(Y1, Y2);
    if (!(X2 > X1 && Y2 > Y1)) return;
    const long double W = image.width(), H = image.height();
    // World units per pixel along each axis; the smaller one grows to the larger.
    const long double perPixelX = (X2 - X1) / W, perPixelY = (Y2 - Y1) / H;
    if (perPixelX < perPixelY) {
        const long double centre = (X1 + X2) * 0.5L, half = perPixelY * W * 0.5L;
        X1 = centre - half;
        X2 = centre + half;
    } else if (perPixelY < perPixelX) {
        const long double centre = (Y1 + Y2) * 0.5L, half = perPixelX * H * 0.5L;
        Y1 = centre - half;
        Y2 = centre + half;
    }
    const auto px = [&](long double x) { return W * (x - X1) / (X2 - X1); };
    const auto py = [&](long double y) { return H * (Y2 - y) / (Y2 - Y1); };

    // The cell edge across a side of the rectangle is a ray from the circumcentre straight out
    // through that side (it separates two corners, so it runs along the rectangle's middle). It
    // is drawn to the window's edge on that side, and not at all from a circumcentre that already
    // lies beyond that edge: a line back to the edge would run inside a site's zone.
    const long double midX = (bounds_.X1 + bounds_.X2) * 0.5L, midY = (bounds_.Y1 + bounds_.Y2) * 0.5L;
    const DiagramPoint sideEnds[CornerCount] = {{midX, Y1}, {X2, midY}, {midX, Y2}, {X1, midY}};
    const auto outward = [&](const TVertex& v, std::int32_t corner) {
        switch (corner) {
            case 0:
                return v.CY > Y1;
            case 1:
                return v.CX < X2;
            case 2:
                return v.CY < Y2;
            default:
                return v.CX > X1;
        }
    };

    Pen thin(image, 1), thick(image, 2);
    for (std::int32_t t = 0; t < vertices_.Count(); ++t) {
        const TVertex& v = vertices_[t];
        if (DrawCells) {
            for (int k = 0; k < 3; ++k) {
                const std::int32_t n = v.N[k];
                if (n >= 0 && n < t) continue;  // drawn from the other side
                DiagramPoint end;
                if (n >= 0)
                    end = {vertices_[n].CX, vertices_[n].CY};
                else if (v.V[k] < CornerCount && outward(v, v.V[k]))
                    end = sideEnds[v.V[k]];
                else
                    continue;
                thin.line(px(v.CX), py(v.CY), px(end.X), py(end.Y));
            }
        }
        const bool border =
            std::any_of(v.V.begin(), v.V.end(), [](std::int32_t i) { return i < CornerCount; });
        if ((DrawTriangles && !border) || (DrawBorderTriangles && border)) {
            for (int k = 0; k < 3; ++k) {
                const DiagramPoint& a = points_[v.V[k]];
                const DiagramPoint& b = points_[v.V[(k + 1) % 3]];
                thick.line(px(a.X), py(a.Y), px(b.X), py(b.Y));
            }
        }
    }
    if (DrawPoints)
        for (std::int32_t i = 0; i < points_.Count(); ++i) thin.disc(px(points_[i].X), py(points_[i].Y), 2);
}

void drawPointZones(Bitmap24& image, std::span<const DiagramPoint> pixelPoints) {
    const long double W = image.width(), H = image.height();
    TVoronoiDiagram diagram(-W, -H, 2.0L * W, 2.0L * H);
    diagram.DrawCells = true;
    for (const DiagramPoint& point : pixelPoints) diagram.AddPoint({point.X, H - point.Y});
    diagram.Draw(image, 0.0L, 0.0L, W, H);
}

}  // namespace kestrave
