#pragma once

#include "view3d/HeightField.h"
#include "view3d/MeshStrips.h"

#include <cstddef>
#include <vector>

namespace orvane::view3d {

// Samples per row and rows of the height field's own grid, as its one-pass build walks it.
struct TGridSize {
    int Columns = 0;
    int Rows = 0;
};
TGridSize HeightFieldGridSize(const TGLHeightField& field);

// Triangles a mesh drawn while the camera moves may have: a frame of it costs a fraction of
// one of the finest relief (about 2,000,000 triangles) on a CPU renderer.
constexpr long long CoarseTriangleBudget = 250000;

// The smallest stride (every stride-th sample, 1 = the full grid) whose mesh stays within
// the budget.
int CoarseMeshStride(TGridSize full, long long triangleBudget = CoarseTriangleBudget);

// A height field's mesh before it is built: where its samples lie and how long its strips
// are. With stride 1 the grid is the height field's own and the strips are exactly those of
// TGLHeightField::BuildList (vertices, normals, order); with stride k it takes every k-th
// sample of the same scales, plus the last row and column so that it covers the same
// extent, and the normals follow the same rule on that grid. Reads the field's scales when
// made; Build calls its height callback.
class TMeshLayout {
public:
    TMeshLayout(const TGLHeightField& field, int stride = 1);

    bool HasMesh() const { return FHasMesh; }
    bool TwoSided() const { return FTwoSided; }
    int StripCount() const { return FStripCount; }
    int VerticesPerStrip() const { return FVerticesPerStrip; }
    std::size_t FloatCount() const {
        return static_cast<std::size_t>(FStripCount) * static_cast<std::size_t>(FVerticesPerStrip) *
               TMeshStrips::FloatsPerVertex;
    }

    // Writes the strips into `out` (FloatCount floats, TMeshStrips' layout) in bands of rows,
    // one per thread (0: one per core); each band samples one row beyond each of its edges
    // for the normals there. Calls the height callback from several threads at once.
    void Build(float* out, int threadCount = 0) const;

private:
    const TGLHeightField& FField;
    std::vector<float> FXs; // sample positions
    std::vector<float> FYs;
    float FInvX = 1; // inverse sample spacings for the normals
    float FInvY = 1;
    bool FHasMesh = false;
    bool FTwoSided = false;
    int FStripCount = 0;
    int FVerticesPerStrip = 0;
};

// The layout built into memory.
TMeshStrips BuildMeshStrips(const TMeshLayout& layout, int threadCount = 0);
TMeshStrips BuildMeshStrips(const TGLHeightField& field, int stride = 1, int threadCount = 0);

} // namespace orvane::view3d
