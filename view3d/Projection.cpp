#include "view3d/Projection.h"

#include <algorithm>
#include <cmath>

namespace orvane::view3d {

bool PerspectiveFrustum(int width, int height, const PerspectiveSettings& cam, Frustum& out) {
    if (width < 1 || height < 1) {
        return false;
    }
    const double w = width;
    const double h = height;
    const double m = std::max(w, h);
    const double s = cam.SceneScale;
    const double b = cam.NearPlaneBias;
    const double kx = b / (w * s);
    const double ky = b / (h * s);
    // Symmetric about the viewport's centre.
    out.Right = w * (w * kx) / (2 * m);
    out.Left = -out.Right;
    out.Top = h * (h * ky) / (2 * m);
    out.Bottom = -out.Top;
    out.Near = cam.FocalLength * 2 * RenderDpi / (25.4 * m) * b;
    out.Far = out.Near + cam.DepthOfView;
    return true;
}

Matrix4f FrustumMatrix(const Frustum& f) {
    const double rl = f.Right - f.Left;
    const double tb = f.Top - f.Bottom;
    const double fn = f.Far - f.Near;
    Matrix4f m;
    // Row-vector form = transpose of the column-vector matrix in the GL manual.
    m.M[0][0] = static_cast<float>(2 * f.Near / rl);
    m.M[1][1] = static_cast<float>(2 * f.Near / tb);
    m.M[2][0] = static_cast<float>((f.Right + f.Left) / rl);
    m.M[2][1] = static_cast<float>((f.Top + f.Bottom) / tb);
    m.M[2][2] = static_cast<float>(-(f.Far + f.Near) / fn);
    m.M[2][3] = -1;
    m.M[3][2] = static_cast<float>(-2 * f.Far * f.Near / fn);
    m.M[3][3] = 0;
    return m;
}

Matrix4f LookAtMatrix(const Vector4f& eye, const Vector4f& centre, const Vector4f& up) {
    const Vector4f f = Normalize3(Sub3(centre, eye));
    const Vector4f s = Normalize3(Cross3(f, up));
    const Vector4f u = Cross3(s, f);
    Matrix4f m;
    for (int i = 0; i < 3; ++i) {
        m.M[i][0] = s[i];
        m.M[i][1] = u[i];
        m.M[i][2] = -f[i];
        m.M[i][3] = 0;
    }
    m.M[3][0] = -Dot3(s, eye);
    m.M[3][1] = -Dot3(u, eye);
    m.M[3][2] = Dot3(f, eye);
    m.M[3][3] = 1;
    return m;
}

double HorizontalFieldDeg(const Frustum& f) {
    return (std::atan2(f.Right, f.Near) - std::atan2(f.Left, f.Near)) * 180.0 / M_PI;
}

} // namespace orvane::view3d
