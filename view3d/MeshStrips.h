#pragma once

#include "view3d/HeightField.h"

#include <vector>

namespace orvane::view3d {

// A height-field mesh held in memory: triangle strips of one length, each vertex six floats
// (normal x, y, z, then position x, y, z), GL's interleaved N3F_V3F layout, strips back to
// back in the order a one-pass build sends them to its sink.
struct TMeshStrips {
    static constexpr int FloatsPerVertex = 6;

    bool HasMesh = false; // the sampling scales were valid: a sink would get BeginMesh
    bool TwoSided = false;
    int StripCount = 0;
    int VerticesPerStrip = 0;
    std::vector<float> Vertices;

    long long VertexCount() const { return static_cast<long long>(StripCount) * VerticesPerStrip; }
    long long TriangleCount() const {
        return VerticesPerStrip < 3 ? 0
                                    : static_cast<long long>(StripCount) * (VerticesPerStrip - 2);
    }
    const float* Strip(int s) const {
        return Vertices.data() +
               static_cast<size_t>(s) * static_cast<size_t>(VerticesPerStrip) * FloatsPerVertex;
    }
    // Sends the mesh to a sink exactly as the one-pass build would have.
    void Replay(THeightFieldSink& sink) const;
};

} // namespace orvane::view3d
