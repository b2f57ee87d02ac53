#pragma once
// The zones of the alignment points: an incremental Delaunay triangulation of points in the
// plane and its dual, the Voronoi diagram, drawn over a picture. Every pixel of a zone is nearer
// to its own point than to any other, which is the rule by which stacking gives pixels to points;
// the diagram only shows that rule, stacking does not read it.
//
// The triangulation starts from a rectangle cut into two triangles along a diagonal; its four
// corners stay points 0..3, so that every added site lies inside the triangulated area and n
// sites always give 2n + 2 triangles. The diagram's y axis points up.

#include <array>
#include <cstdint>
#include <span>

#include "platform/bitmap24.h"
#include "registration/capped_list.h"

namespace kestrave {

struct DiagramPoint {
    long double X = 0.0L;
    long double Y = 0.0L;
};

// One Delaunay triangle, which is also one vertex of the Voronoi diagram (its circumcentre).
struct TVertex {
    long double CX = 0.0L;  // circumcentre
    long double CY = 0.0L;
    long double R2 = 0.0L;  // squared circumradius
    // The triangle's points (indexes into the point list), counter-clockwise.
    std::array<std::int32_t, 3> V{};
    // N[k]: the triangle across the edge V[k] -> V[(k + 1) % 3]; -1 on the rectangle's sides.
    std::array<std::int32_t, 3> N{};
};

using TPointList = CappedList<DiagramPoint, 1048576>;
using TVertexList = CappedList<TVertex, 1048576>;

class TVoronoiDiagram {
public:
    // A point within this distance (squared) of a circumcircle counts as inside it.
    static constexpr long double Tolerance = 1e-5L;
    static constexpr std::int32_t CornerCount = 4;

    struct Rect {
        long double X1 = 0.0L;
        long double Y1 = 0.0L;
        long double X2 = 0.0L;
        long double Y2 = 0.0L;
    };

    // The diagram of no site inside the rectangle (X1, Y1)-(X2, Y2); the corners are taken in
    // either order. Throws std::invalid_argument for a bound that is not a finite number.
    TVoronoiDiagram(long double X1, long double Y1, long double X2, long double Y2);

    // Inserts one site (Bowyer-Watson) and returns true. Refused, with the diagram unchanged:
    // a point that is not a finite number or not strictly inside the rectangle, a point within
    // sqrt(Tolerance) of a point already in the diagram, and a point the lists cannot hold.
    // StartTriangle, when it holds P, spares the search for the triangle that does.
    bool AddPoint(DiagramPoint P, std::int32_t StartTriangle = -1);

    // Draws the switched-on layers over `image` in yellow for the world window (X1, Y1)-(X2, Y2).
    // The window is widened about its centre to the picture's proportions, so that distances
    // keep their ratios on the picture: px = Round(W (x - X1) / (X2 - X1)), py = Round(H (Y2 - y)
    // / (Y2 - Y1)) with W, H the picture's size. Nothing is drawn for an empty window.
    void Draw(Bitmap24& image, long double X1, long double Y1, long double X2, long double Y2) const;

    const TPointList& Points() const { return points_; }
    const TVertexList& Vertices() const { return vertices_; }
    const Rect& Bounds() const { return bounds_; }

    // Cells: lines between the circumcentres of neighbouring triangles; on a side of the
    // rectangle the line runs to the window's edge. Triangles (pen width 2), split into those
    // with a corner of the rectangle (border triangles) and the others. Points: small discs.
    bool DrawTriangles = false;
    bool DrawBorderTriangles = false;
    bool DrawCells = false;
    bool DrawPoints = false;

private:
    Rect bounds_;
    TPointList points_;
    TVertexList vertices_;
};

// Draws the zones of points given as pixel positions of `image` (x to the right, y down) over it,
// as the alignment-point views show them: cell edges only, the diagram spanning three times the
// picture in each direction so that its rectangle stays out of sight. Points outside that span
// and repeated points are left out.
void drawPointZones(Bitmap24& image, std::span<const DiagramPoint> pixelPoints);

}  // namespace kestrave
