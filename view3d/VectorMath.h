#pragma once

// Single-precision vectors and row-vector 4x4 matrices for the scene: a point p is
// transformed as p x M, so row 3 holds the translation. Stored row-major, which is
// exactly OpenGL's column-major layout: the data can go to glLoadMatrixf as it is.

namespace orvane::view3d {

struct TVector4f {
    float V[4] = {0, 0, 0, 0};

    constexpr TVector4f() = default;
    constexpr TVector4f(float x, float y, float z, float w) : V{x, y, z, w} {}

    constexpr float& operator[](int i) { return V[i]; }
    constexpr float operator[](int i) const { return V[i]; }
    constexpr float X() const { return V[0]; }
    constexpr float Y() const { return V[1]; }
    constexpr float Z() const { return V[2]; }
    constexpr float W() const { return V[3]; }
    bool operator==(const TVector4f& o) const {
        return V[0] == o.V[0] && V[1] == o.V[1] && V[2] == o.V[2] && V[3] == o.V[3];
    }
    bool operator!=(const TVector4f& o) const { return !(*this == o); }
};

struct TMatrix4f {
    float M[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    static TMatrix4f Identity() { return {}; }
    const float* Data() const { return &M[0][0]; }
};

// Point or vector (w = 0) kind only matters through w: p x M uses all four components.
TVector4f Transform(const TVector4f& p, const TMatrix4f& m);
// a x b in row-vector terms: apply a first, then b.
TMatrix4f Multiply(const TMatrix4f& a, const TMatrix4f& b);
// Inverse of a general matrix; identity when singular.
TMatrix4f Inverse(const TMatrix4f& m);

// 3-component helpers on the x, y, z of four-component vectors (w of the result = 0).
TVector4f Sub3(const TVector4f& a, const TVector4f& b);
TVector4f Scale3(const TVector4f& a, float s);
TVector4f Cross3(const TVector4f& a, const TVector4f& b);
float Dot3(const TVector4f& a, const TVector4f& b);
float Length3(const TVector4f& a);
// Unit vector; the zero vector stays zero.
TVector4f Normalize3(const TVector4f& a);
// Right-handed rotation of v about the unit axis by angleRad (Rodrigues).
TVector4f RotateAround3(const TVector4f& v, const TVector4f& axis, float angleRad);

} // namespace orvane::view3d
