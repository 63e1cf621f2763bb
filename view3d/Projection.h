#pragma once

#include "view3d/VectorMath.h"

namespace orvane::view3d {

struct Frustum {
    double Left = 0;
    double Right = 0;
    double Bottom = 0;
    double Top = 0;
    double Near = 0;
    double Far = 0;
};

struct PerspectiveSettings {
    float FocalLength = 100;
    float SceneScale = 2.5f;
    float NearPlaneBias = 0.01f;
    float DepthOfView = 100;
};

// Rendering resolution the projection assumes, whatever the screen.
constexpr double RenderDpi = 96.0;

// Frustum of a viewport W x H pixels. The half-angles grow with the size in
// pixels (tan of the horizontal half-angle = 25.4 W / (4 S F D)), so a larger viewer
// shows more of the scene at the same scale. False (frustum untouched) when W or H < 1.
bool PerspectiveFrustum(int width, int height, const PerspectiveSettings& cam, Frustum& out);

// The glFrustum matrix, row-vector form.
Matrix4f FrustumMatrix(const Frustum& f);

// The gluLookAt matrix, row-vector form: maps side, up and -forward onto x, y, z and
// translates by -eye. Forward parallel to up gives a degenerate (zero side) matrix.
Matrix4f LookAtMatrix(const Vector4f& eye, const Vector4f& centre, const Vector4f& up);

// Horizontal field of view in degrees of a frustum.
double HorizontalFieldDeg(const Frustum& f);

} // namespace orvane::view3d
