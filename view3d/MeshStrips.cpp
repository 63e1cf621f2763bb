#include "view3d/MeshStrips.h"

namespace orvane::view3d {

void TMeshStrips::Replay(THeightFieldSink& sink) const {
    if (!HasMesh) {
        return;
    }
    sink.BeginMesh(TwoSided);
    for (int s = 0; s < StripCount; ++s) {
        const float* v = Strip(s);
        sink.BeginStrip();
        for (int i = 0; i < VerticesPerStrip; ++i, v += FloatsPerVertex) {
            sink.Vertex(v, v[3], v[4], v[5]);
        }
        sink.EndStrip();
    }
}

} // namespace orvane::view3d
