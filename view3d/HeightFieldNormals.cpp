#include "view3d/HeightFieldNormals.h"

#include <cmath>
#include <limits>

namespace orvane::view3d {

void ComputeRowNormals(const float* z, const float* prevZ, const float* nextZ, int m, float invX,
                       float invY, float* normals) {
    for (int i = 0; i < m; ++i) {
        const float zi = z[i];
        float* n = normals + 3 * i;
        if (std::isnan(zi)) {
            n[0] = n[1] = n[2] = std::numeric_limits<float>::quiet_NaN();
            continue;
        }
        float dx = 0;
        if (i > 0 && !std::isnan(z[i - 1])) {
            dx = (z[i - 1] - zi) * invX;
        }
        if (i < m - 1 && !std::isnan(z[i + 1])) {
            dx = dx + (zi - z[i + 1]) * invX;
        }
        float dy = 0;
        if (prevZ && !std::isnan(prevZ[i])) {
            dy = (prevZ[i] - zi) * invY;
        }
        if (nextZ && !std::isnan(nextZ[i])) {
            dy = dy + (zi - nextZ[i]) * invY;
        }
        const float len = std::sqrt(dx * dx + dy * dy + 1.0f);
        const float inv = 1.0f / len;
        n[0] = dx * inv;
        n[1] = dy * inv;
        n[2] = inv;
    }
}

} // namespace orvane::view3d
