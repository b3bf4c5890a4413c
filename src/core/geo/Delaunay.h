// Delaunay triangulation of points of known elevation, and interpolation of
// the elevation of other points from the triangle that holds them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TDVertex {
    double X = 0, Y = 0, Z = 0;
};

// A triangle's edge in world units, as ShowTriangles gives it.
struct TDEdge {
    int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

struct TDTriangle {
    int32_t P1 = 0, P2 = 0, P3 = 0; // vertex indexes
    int32_t CircleKnown = 0;        // 1 once the circumcircle is stored
    double XC = 0, YC = 0, R = 0;   // circumcircle
    int32_t MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
};

// A 1-based growable array: writing beyond the end grows it by GrowBy.
template <class T, int32_t GrowBy>
class TDArray {
public:
    explicit TDArray(int32_t Initial) : Items(static_cast<size_t>(Initial)) {}
    T& operator[](int32_t i)
    {
        if (static_cast<size_t>(i) >= Items.size())
            Items.resize(static_cast<size_t>(i) + GrowBy);
        return Items[static_cast<size_t>(i)];
    }
    const T& operator[](int32_t i) const { return Items.at(static_cast<size_t>(i)); }
    std::vector<T> Items;
};
using TDVertexClass = TDArray<TDVertex, 1000>;
using TDTriangleClass = TDArray<TDTriangle, 2000>;

class TDelaunay {
public:
    using TMessage = std::function<void(const std::string&)>;
    using TLineSink = std::function<void(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2)>;

    static constexpr const char* CoincidentMessage = "INCIRCUM - F - Points are coincident !!";

    TDelaunay();

    // Adds the vertex (X, -Y, Z). Not stored, and false returned, when a held
    // vertex lies within 1e-6 of it in both coordinates, or when a coordinate
    // is not finite or beyond 1e9.
    bool AddPoint(double X, double Y, double Z);
    // Sorts the vertices by X, triangulates them (three vertices at least)
    // and gives every triangle its integer bounding box.
    void Mesh();
    // The triangles' edges in world coordinates (Y negated back), for the
    // caller to draw.
    void ShowTriangles(const TLineSink& DrawWorldLine) const;
    // Interpolated Z at (X, Y), Y already negated; 0 outside every triangle.
    int32_t Interpolate(int32_t X, int32_t Y) const;

    int32_t VertexCount() const { return VertexSlot - 1; }

    // Circumcircle (centre, radius) of three corners; false when they lie on
    // one horizontal line within 1e-6 (the points are coincident).
    static bool Circumcircle(double x1, double y1, double x2, double y2, double x3, double y3, double& XC,
                             double& YC, double& R);

    TDVertexClass Vertices{10000};
    TDTriangleClass Triangles{20000};
    int32_t TriangleCount = 0;
    int32_t VertexSlot = 1;

    // Receives the message about coincident points, at most once per Mesh.
    TMessage Message;

private:
    void SortVertices(int32_t l, int32_t r);
    int32_t Triangulate(int32_t n);
    void BuildTriangleIndex();

    // Duplicate check over every held vertex: cells of 4e-6 in an open
    // addressing table, the vertices of a cell chained.
    struct TDupCell {
        int64_t X = 0, Y = 0;
        int32_t Head = -1; // -1: slot free
    };
    struct TDupEntry {
        double X, Y;
        int32_t Next;
    };
    TDupCell* FindDupCell(int64_t X, int64_t Y);
    int32_t DupUsed = 0;
    std::vector<TDupCell> DupCells;
    std::vector<TDupEntry> DupEntries;

    // Triangle boxes by grid cell, triangle indexes ascending in each cell.
    double GridX0 = 0, GridY0 = 0, GridCell = 1;
    int32_t GridNX = 0, GridNY = 0;
    std::vector<int32_t> GridStart, GridItems;
};
