#include "view3d/VectorMath.h"

#include <cmath>
#include <utility>

namespace orvane::view3d {

Vector4f Transform(const Vector4f& p, const Matrix4f& m) {
    Vector4f r;
    for (int c = 0; c < 4; ++c) {
        r[c] = p[0] * m.M[0][c] + p[1] * m.M[1][c] + p[2] * m.M[2][c] + p[3] * m.M[3][c];
    }
    return r;
}

Matrix4f Multiply(const Matrix4f& a, const Matrix4f& b) {
    Matrix4f r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.M[i][j] = a.M[i][0] * b.M[0][j] + a.M[i][1] * b.M[1][j] + a.M[i][2] * b.M[2][j] +
                        a.M[i][3] * b.M[3][j];
        }
    }
    return r;
}

Matrix4f Inverse(const Matrix4f& m) {
    // Gauss-Jordan with partial pivoting in double: the scene matrices are small affine
    // ones, but a general inverse keeps parent frames with scale or rotation correct.
    double a[4][8];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            a[i][j] = m.M[i][j];
            a[i][j + 4] = i == j ? 1.0 : 0.0;
        }
    }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r) {
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) {
                pivot = r;
            }
        }
        if (std::fabs(a[pivot][col]) < 1e-30) {
            return Matrix4f::Identity();
        }
        if (pivot != col) {
            for (int j = 0; j < 8; ++j) {
                std::swap(a[pivot][j], a[col][j]);
            }
        }
        const double inv = 1.0 / a[col][col];
        for (int j = 0; j < 8; ++j) {
            a[col][j] *= inv;
        }
        for (int r = 0; r < 4; ++r) {
            if (r != col && a[r][col] != 0.0) {
                const double f = a[r][col];
                for (int j = 0; j < 8; ++j) {
                    a[r][j] -= f * a[col][j];
                }
            }
        }
    }
    Matrix4f r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.M[i][j] = static_cast<float>(a[i][j + 4]);
        }
    }
    return r;
}

Vector4f Sub3(const Vector4f& a, const Vector4f& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2], 0};
}

Vector4f Scale3(const Vector4f& a, float s) {
    return {a[0] * s, a[1] * s, a[2] * s, 0};
}

Vector4f Cross3(const Vector4f& a, const Vector4f& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0], 0};
}

float Dot3(const Vector4f& a, const Vector4f& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

float Length3(const Vector4f& a) {
    return std::sqrt(Dot3(a, a));
}

Vector4f Normalize3(const Vector4f& a) {
    const float len = Length3(a);
    if (len == 0.0f) {
        return {0, 0, 0, 0};
    }
    return Scale3(a, 1.0f / len);
}

Vector4f RotateAround3(const Vector4f& v, const Vector4f& axis, float angleRad) {
    const float c = std::cos(angleRad);
    const float s = std::sin(angleRad);
    const Vector4f k = axis;
    const Vector4f kxv = Cross3(k, v);
    const float kdv = Dot3(k, v);
    return {v[0] * c + kxv[0] * s + k[0] * kdv * (1 - c),
            v[1] * c + kxv[1] * s + k[1] * kdv * (1 - c),
            v[2] * c + kxv[2] * s + k[2] * kdv * (1 - c), 0};
}

} // namespace orvane::view3d
