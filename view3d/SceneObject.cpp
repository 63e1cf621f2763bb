#include "view3d/SceneObject.h"

#include <cmath>

namespace orvane::view3d {

namespace {
// Polar-angle limits keep the camera 0.025 rad off the up axis, where the orbit's side
// vector and the look-at matrix would degenerate.
constexpr float PolarMin = 0.025f;
constexpr float PolarMax = 3.1165926f;
constexpr float DegToRad = 0.017453292f;
constexpr float DegenerateSide = 0.001f;
} // namespace

void TGLCoordinates::SetCoordinate(int index, float value) {
    FValue[index] = value;
    FOwner.TransformationChanged();
}

void TGLCoordinates::SetPoint(float x, float y, float z) {
    FValue[0] = x;
    FValue[1] = y;
    FValue[2] = z;
    FOwner.TransformationChanged();
}

void TGLCoordinates::SetVector(const TVector4f& value) {
    FValue = value;
    FOwner.TransformationChanged();
}

void TGLCoordinates::Translate(const TVector4f& delta) {
    FValue[0] += delta[0];
    FValue[1] += delta[1];
    FValue[2] += delta[2];
    FOwner.TransformationChanged();
}

TGLBaseSceneObject::TGLBaseSceneObject(TGLChangeNotifier* notifier) : FNotifier(notifier) {}

void TGLBaseSceneObject::SetVisible(bool visible) {
    if (visible == FVisible) {
        return;
    }
    FVisible = visible;
    NotifyChange();
}

void TGLBaseSceneObject::AddChild(TGLBaseSceneObject& child) {
    child.FParent = this;
    FChildren.push_back(&child);
    child.InvalidateAbsolute();
}

TMatrix4f TGLBaseSceneObject::LocalMatrix() const {
    const TVector4f& up = Up.AsVector();
    const TVector4f& dir = Direction.AsVector();
    const TVector4f& s = Scale.AsVector();
    const TVector4f side = Cross3(up, dir);
    TMatrix4f m;
    for (int c = 0; c < 3; ++c) {
        m.M[0][c] = side[c] * s[0];
        m.M[1][c] = up[c] * s[1];
        m.M[2][c] = dir[c] * s[2];
        m.M[3][c] = Position[c];
    }
    m.M[0][3] = 0;
    m.M[1][3] = 0;
    m.M[2][3] = 0;
    m.M[3][3] = 1;
    return m;
}

const TMatrix4f& TGLBaseSceneObject::AbsoluteMatrix() const {
    if (!FAbsoluteValid) {
        FAbsolute = FParent ? Multiply(LocalMatrix(), FParent->AbsoluteMatrix()) : LocalMatrix();
        FAbsoluteValid = true;
    }
    return FAbsolute;
}

TVector4f TGLBaseSceneObject::AbsolutePosition() const {
    const TMatrix4f& m = AbsoluteMatrix();
    return {m.M[3][0], m.M[3][1], m.M[3][2], m.M[3][3]};
}

TVector4f TGLBaseSceneObject::AbsoluteUp() const {
    const TMatrix4f& m = AbsoluteMatrix();
    return Normalize3({m.M[1][0], m.M[1][1], m.M[1][2], 0});
}

void TGLBaseSceneObject::SetAbsolutePosition(const TVector4f& world) {
    if (!FParent) {
        Position.SetVector(world);
        return;
    }
    Position.SetVector(Transform(world, Inverse(FParent->AbsoluteMatrix())));
}

void TGLBaseSceneObject::InvalidateAbsolute() {
    FAbsoluteValid = false;
    for (TGLBaseSceneObject* c : FChildren) {
        c->InvalidateAbsolute();
    }
}

void TGLBaseSceneObject::TransformationChanged() {
    InvalidateAbsolute();
    NotifyChange();
}

void TGLBaseSceneObject::NotifyChange() {
    if (FNotifier) {
        FNotifier->RequestRedraw();
    }
}

void TGLBaseSceneObject::MoveObjectAround(const TGLBaseSceneObject& target, float pitchDeltaDeg,
                                          float turnDeltaDeg) {
    const TVector4f t = target.AbsolutePosition();
    const TVector4f c = AbsolutePosition();
    const TVector4f u = AbsoluteUp();

    const TVector4f v = Sub3(c, t);
    const float dist = Length3(v);
    const TVector4f n = Scale3(v, 1.0f / dist);

    TVector4f r = Cross3(u, n);
    const float rLen = Length3(r);
    // Looking straight along the up axis leaves no side vector: any horizontal axis will do.
    r = rLen < DegenerateSide ? TVector4f{1, 0, 0, 0} : Scale3(r, 1.0f / rLen);

    const float cosP = Dot3(u, n);
    float p = std::atan2(std::sqrt(1.0f - cosP * cosP), cosP) + pitchDeltaDeg * DegToRad;
    // Written so that NaN (from a zero distance or rounding) lands on the lower limit.
    if (!(p >= PolarMin)) {
        p = PolarMin;
    } else if (p > PolarMax) {
        p = PolarMax;
    }

    TVector4f w = RotateAround3(u, r, p);
    w = RotateAround3(w, u, turnDeltaDeg * DegToRad);
    w = Scale3(w, dist);

    SetAbsolutePosition({t[0] + w[0], t[1] + w[1], t[2] + w[2], c[3]});
}

} // namespace orvane::view3d
