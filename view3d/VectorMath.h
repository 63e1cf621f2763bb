#pragma once

// Single-precision vectors and row-vector 4x4 matrices for the scene: a point p is
// transformed as p x M, so row 3 holds the translation. Stored row-major, which is
// exactly OpenGL's column-major layout: the data can go to glLoadMatrixf as it is.

namespace orvane::view3d {

struct Vector4f {
    float V[4] = {0, 0, 0, 0};

    constexpr Vector4f() = default;
    constexpr Vector4f(float x, float y, float z, float w) : V{x, y, z, w} {}

    constexpr float& operator[](int i) { return V[i]; }
    constexpr float operator[](int i) const { return V[i]; }
    constexpr float X() const { return V[0]; }
    constexpr float Y() const { return V[1]; }
    constexpr float Z() const { return V[2]; }
    constexpr float W() const { return V[3]; }
    bool operator==(const Vector4f& o) const {
        return V[0] == o.V[0] && V[1] == o.V[1] && V[2] == o.V[2] && V[3] == o.V[3];
    }
    bool operator!=(const Vector4f& o) const { return !(*this == o); }
};

struct Matrix4f {
    float M[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    static Matrix4f Identity() { return {}; }
    const float* Data() const { return &M[0][0]; }
};

// Point or vector (w = 0) kind only matters through w: p x M uses all four components.
Vector4f Transform(const Vector4f& p, const Matrix4f& m);
// a x b in row-vector terms: apply a first, then b.
Matrix4f Multiply(const Matrix4f& a, const Matrix4f& b);
// Inverse of a general matrix; identity when singular.
Matrix4f Inverse(const Matrix4f& m);

// 3-component helpers on the x, y, z of four-component vectors (w of the result = 0).
Vector4f Sub3(const Vector4f& a, const Vector4f& b);
Vector4f Scale3(const Vector4f& a, float s);
Vector4f Cross3(const Vector4f& a, const Vector4f& b);
float Dot3(const Vector4f& a, const Vector4f& b);
float Length3(const Vector4f& a);
// Unit vector; the zero vector stays zero.
Vector4f Normalize3(const Vector4f& a);
// Right-handed rotation of v about the unit axis by angleRad (Rodrigues).
Vector4f RotateAround3(const Vector4f& v, const Vector4f& axis, float angleRad);

} // namespace orvane::view3d
