#include "view3d/HeightFieldNormals.h"

#include <cmath>

namespace orvane::view3d {

void ComputeRowNormals(const float* z, const float* prevZ, const float* nextZ, int m, float invX,
                       float invY, float* normals) {
    for (int i = 0; i < m; ++i) {
        const float zi = z[i];
        float dx = 0;
        if (i > 0) {
            dx = (z[i - 1] - zi) * invX;
        }
        if (i < m - 1) {
            dx = dx + (zi - z[i + 1]) * invX;
        }
        float dy = 0;
        if (prevZ) {
            dy = (prevZ[i] - zi) * invY;
        }
        if (nextZ) {
            dy = dy + (zi - nextZ[i]) * invY;
        }
        const float len = std::sqrt(dx * dx + dy * dy + 1.0f);
        const float inv = 1.0f / len;
        float* n = normals + 3 * i;
        n[0] = dx * inv;
        n[1] = dy * inv;
        n[2] = inv;
    }
}

} // namespace orvane::view3d
