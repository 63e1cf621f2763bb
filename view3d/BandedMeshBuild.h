#pragma once

#include "view3d/GridMesh.h"
#include "view3d/HeightField.h"

#include <cstddef>
#include <vector>

namespace orvane::view3d {

// Samples per row and rows of the height field's own grid, as its one-pass build walks it.
struct GridSize {
    int Columns = 0;
    int Rows = 0;
};
GridSize HeightFieldGridSize(const HeightField& field);

// Triangles a mesh drawn while the camera moves may have. On a CPU renderer a frame costs a
// part per triangle and a part that does not shrink with the mesh: at this size a frame of
// the finest relief's coarse mesh (1/16 of its 2,000,000 triangles) stays well under a
// fifth of one of the full mesh.
constexpr long long CoarseTriangleBudget = 150000;

// The smallest stride (every stride-th sample, 1 = the full grid) whose mesh stays within
// the budget.
int CoarseMeshStride(GridSize full, long long triangleBudget = CoarseTriangleBudget);

// A height field's mesh before it is built: where its samples lie. With stride 1 the grid
// is the height field's own and the mesh is exactly that of HeightField::BuildList
// (vertices, normals, strip order); with stride k it takes every k-th sample of the same
// scales, plus the last row and column so that it covers the same extent, and the normals
// and the holes around missing points follow the same rules on that grid (a missing point
// between its samples leaves no hole there). Reads the field's scales when made; Build calls its
// height callback, so the field must outlive the layout.
class MeshLayout {
public:
    explicit MeshLayout(const HeightField& field, int stride = 1);

    bool HasMesh() const { return hasMesh_; }
    bool TwoSided() const { return twoSided_; }
    // The grid's size; no row when there is no strip to draw.
    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    std::size_t FloatCount() const {
        return static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_) *
               GridMesh::FloatsPerVertex;
    }

    // Writes the grid's vertices into `out` (FloatCount floats, GridMesh's layout) in bands
    // of rows, one per thread (0: one per core); each band samples the row before and after
    // it for the normals of its edge rows. Calls the height callback from several threads at
    // once. Returns the missing points (NaN heights), one list per row, whose strips are cut
    // around them.
    MissingColumns Build(float* out, int threadCount = 0) const;

private:
    const HeightField& field_;
    std::vector<float> xs_; // sample positions
    std::vector<float> ys_;
    float invX_ = 1; // inverse sample spacings for the normals
    float invY_ = 1;
    bool hasMesh_ = false;
    bool twoSided_ = false;
    int columns_ = 0;
    int rows_ = 0;
};

// The layout built into memory.
GridMesh BuildGridMesh(const MeshLayout& layout, int threadCount = 0);
GridMesh BuildGridMesh(const HeightField& field, int stride = 1, int threadCount = 0);

} // namespace orvane::view3d
