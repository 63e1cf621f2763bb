#pragma once

#include "view3d/HeightField.h"

#include <cstdint>
#include <vector>

namespace orvane::view3d {

// A height-field mesh held in memory: the vertices of its grid row by row, six floats each
// (normal x, y, z, then position x, y, z: GL's interleaved N3F_V3F layout), drawn as one
// triangle strip between each row and the next, B0, A0, B1, A1, ... with A the row before B:
// the strips of the one-pass build, each grid point stored once.
struct GridMesh {
    static constexpr int FloatsPerVertex = 6;

    bool HasMesh = false; // the sampling scales were valid: a sink would get BeginMesh
    bool TwoSided = false;
    int Columns = 0;
    int Rows = 0; // 0 when there is no strip to draw
    std::vector<float> Vertices;

    int StripCount() const { return Rows > 1 && Columns > 0 ? Rows - 1 : 0; }
    int VerticesPerStrip() const { return 2 * Columns; }
    long long TriangleCount() const {
        return static_cast<long long>(StripCount()) * (Columns > 1 ? 2 * Columns - 2 : 0);
    }
    const float* Vertex(int row, int column) const {
        return Vertices.data() +
               (static_cast<std::size_t>(row) * static_cast<std::size_t>(Columns) +
                static_cast<std::size_t>(column)) *
                   FloatsPerVertex;
    }
    // Sends the mesh to a sink exactly as the one-pass build would have.
    void Replay(HeightFieldSink& sink) const;
};

// The vertex indices of a grid's strips, one strip after another: 2 * columns per strip,
// (rows - 1) strips.
void FillStripIndices(int columns, int rows, std::uint32_t* out);

} // namespace orvane::view3d
